// The core's reading of a configuration: registers to the page's items, the item counts of a
// module, and what a stored configuration means for the connected module.
#include "link/catalogue.h"
#include "module/identification.h"
#include "module/itemcounts.h"
#include "module/registerdecoding.h"
#include "module/storedfilecheck.h"
#include "module/tables.h"
#include "module/writeexecution.h"

#include <QTest>

namespace
{

RegisterRead registers(std::initializer_list<std::pair<quint8, quint8>> values)
{
    RegisterRead read;
    for (const auto &[reg, value] : values)
        read[reg] = value;
    return read;
}

IdentityRecord module(const char *letter, const char *band = "868")
{
    IdentityRecord id;
    id.typeLetter = QString::fromLatin1(letter);
    id.commandSet = QStringLiteral("3");
    id.hardware = QStringLiteral("10");
    id.speed = QStringLiteral("16MHz");
    id.band = QString::fromLatin1(band);
    return id;
}

} // namespace

class TestModuleConfig : public QObject
{
    Q_OBJECT
private slots:
    void firmwareTypeOfALetter_data();
    void firmwareTypeOfALetter();
    void bRegistersSelectTheirItems_data();
    void bRegistersSelectTheirItems();
    void cRegistersSelectTheirItems();
    void itemCountsFollowTheModule();
    void storedConfigurationIsCheckedAsAWhole_data();
    void storedConfigurationIsCheckedAsAWhole();
    void plannedRegistersLeaveTheEepromBitOut();
};

void TestModuleConfig::firmwareTypeOfALetter_data()
{
    QTest::addColumn<QString>("letter");
    QTest::addColumn<FirmwareType>("type");
    QTest::newRow("B") << "B" << FirmwareType::B;
    QTest::newRow("C") << "C" << FirmwareType::C;
    QTest::newRow("calibration software") << "x" << FirmwareType::Calibration;
    QTest::newRow("capital X") << "X" << FirmwareType::Unknown;
    QTest::newRow("stray letter") << "@" << FirmwareType::Unknown;
    QTest::newRow("none yet") << "" << FirmwareType::Unknown;
}

void TestModuleConfig::firmwareTypeOfALetter()
{
    QFETCH(QString, letter);
    QFETCH(FirmwareType, type);
    QCOMPARE(firmwareType(letter), type);
}

void TestModuleConfig::bRegistersSelectTheirItems_data()
{
    QTest::addColumn<RegisterRead>("read");
    QTest::addColumn<BPageValues>("expected");

    BPageValues full;
    full.frqRx = 79;
    full.frqTx = 0;
    full.hfBaud = 2;
    full.kBreite = 6;
    full.code = 2;
    full.rxTx = 0;
    full.modArt = 1;
    full.configBaud = 0;
    full.pwrupB0 = 1;
    full.pwrupB2 = 0;
    full.pwrupB4 = 1;
    full.pwrupB5 = 0;
    full.pwrContB0 = 0;
    full.pwrContB1 = 1;
    full.recal = 2;
    full.recalText = QStringLiteral("30");
    full.rssi = 1;
    full.rssiText = QStringLiteral("1.5");
    QTest::newRow("every register, UART coding") << registers({{0x09, 80},
                                                               {0x0A, 1},
                                                               {0x0B, 2},
                                                               {0x0C, 6},
                                                               {0x10, 0},
                                                               {0x0D, 2},
                                                               {0x0E, 1},
                                                               {0x0F, 0},
                                                               {0x11, 0x11},
                                                               {0x12, 0x02},
                                                               {0x13, 30},
                                                               {0x14, 15}})
                                                 << full;

    // Outside UART coding the module is switched by command, whatever the switch register says.
    BPageValues nrz;
    nrz.code = 0;
    nrz.rxTx = 1;
    QTest::newRow("NRZ coding") << registers({{0x0D, 0}, {0x10, 0}}) << nrz;
    // In UART coding a switch register that could not be read shows no selection.
    BPageValues uart;
    uart.code = 2;
    uart.rxTx = -1;
    QTest::newRow("UART without its switch") << registers({{0x0D, 2}}) << uart;
    // Values beyond a list, and channel 0, select nothing; the intervals' edits keep their text.
    BPageValues beyond;
    beyond.frqRx = -1;
    beyond.hfBaud = -1;
    beyond.recal = 1;
    beyond.rssi = 0;
    QTest::newRow("values beyond the lists")
        << registers({{0x09, 0}, {0x0B, 0x40}, {0x13, 1}, {0x14, 0}}) << beyond;
    QTest::newRow("nothing read") << RegisterRead{} << BPageValues{};
}

void TestModuleConfig::bRegistersSelectTheirItems()
{
    QFETCH(RegisterRead, read);
    QFETCH(BPageValues, expected);
    BPageValues page;
    decodeBRegisters(read, bItemCounts(module("B"))).applyTo(page);
    QCOMPARE(page, expected);
}

void TestModuleConfig::cRegistersSelectTheirItems()
{
    CPageValues page;
    page.recalText = QStringLiteral("kept");
    decodeCRegisters(registers({{0x09, 140},
                                {0x0A, 139},
                                {0x0C, 3},
                                {0x0D, 0x25},
                                {0x0E, 0x01},
                                {0x0F, 1},
                                {0x10, 0x16}}),
                     cItemCounts(module("C", "433")))
        .applyTo(page);
    CPageValues expected;
    expected.frqRx = -1; // the 433 band has 139 channels
    expected.frqTx = 138;
    expected.rs232Baud = 3;
    expected.pwrupC0 = 1;
    expected.pwrupC2 = 1;
    expected.pwrupC5 = 1;
    expected.pwrContC0 = 1;
    expected.pwrContC1 = 0;
    expected.recal = 1;
    expected.recalText = QStringLiteral("kept");
    const int data[5] = {0, 1, 1, 0, 1};
    std::copy(std::begin(data), std::end(data), expected.data);
    QCOMPARE(page, expected);
}

void TestModuleConfig::itemCountsFollowTheModule()
{
    const BItemCounts b868 = bItemCounts(module("B"));
    QCOMPARE(b868[0], 159);
    QCOMPARE(bItemCounts(module("B", "433"))[1], 139);
    // Before a band is known the design-time list counts.
    QCOMPARE(bItemCounts(module("B", ""))[0], int(designTimeChannelItems().size()));
    QCOMPARE(b868[2], int(splitItems(rateListsFor("B", 3, "16MHz")->hfBaudB).size()));
    const CItemCounts c = cItemCounts(module("C"));
    QCOMPARE(c[3], int(splitItems(rateListsFor("C", 3, "16MHz")->rs232BaudC).size()));
    QCOMPARE(c[9], 3);
    QCOMPARE(c[14], 2);
}

void TestModuleConfig::storedConfigurationIsCheckedAsAWhole_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<bool>("cPage");
    QTest::addColumn<QString>("refusal");

    StoredConfig c;
    c.info = QStringLiteral("rack");
    c.typeLetter = QStringLiteral("C");
    c.c = CPageValues{};
    c.c->frqRx = 5;
    const QByteArray good = encodeStoredConfig(c);
    QTest::newRow("usable") << good << true << QString();
    QTest::newRow("empty") << QByteArray() << true << "Memory cell empty or file not found!";
    QTest::newRow("another type")
        << good << false
        << "Saved configuration is only valid for same module typ\r\n\r\nConfiguration was saved "
           "with C-version\r\nConnected module = B-version";
    QByteArray damaged = good;
    damaged.replace("\r\n5\r\n", "\r\n999\r\n");
    QTest::newRow("item beyond its list")
        << damaged << true << "Stored configuration damaged (line 3)!\r\nNothing was changed.";
}

void TestModuleConfig::storedConfigurationIsCheckedAsAWhole()
{
    QFETCH(QByteArray, file);
    QFETCH(bool, cPage);
    QFETCH(QString, refusal);
    const IdentityRecord id = module(cPage ? "C" : "B");
    const StoredConfigUse use =
        useStoredConfig(file, true, id.typeLetter, !cPage, cPage, bItemCounts(id), cItemCounts(id));
    QCOMPARE(use.refusal.english, refusal);
    QCOMPARE(use.usable(), refusal.isEmpty());
    if (use.usable())
        QCOMPARE(use.c->frqRx, 5);
    else
        QVERIFY(!use.b && !use.c);
}

void TestModuleConfig::plannedRegistersLeaveTheEepromBitOut()
{
    CPageValues page;
    page.frqRx = page.frqTx = 0;
    page.hfBaud = page.rs232Baud = 1;
    page.pwrupC0 = page.pwrupC2 = page.pwrupC5 = page.pwrContC0 = page.pwrContC1 = 0;
    page.recal = 0;
    std::fill(std::begin(page.data), std::end(page.data), 1);
    page.eeprom = true;
    const auto planned = plannedRegisters(planCWrite(page));
    QCOMPARE(planned.size(), 8);
    QCOMPARE(planned.first(), (std::pair<quint8, quint8>{0x09, 1}));
    QCOMPARE(planned.last(), (std::pair<quint8, quint8>{0x10, 0x1F}));
}

QTEST_MAIN(TestModuleConfig)
#include "tst_moduleconfig.moc"
