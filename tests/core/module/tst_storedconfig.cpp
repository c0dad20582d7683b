#include "module/storedconfig.h"
#include "module/storedfilecheck.h"

#include <QtTest>

namespace
{

BPageValues sampleB()
{
    BPageValues b;
    b.frqRx = 0;
    b.frqTx = 138;
    b.hfBaud = 2;
    b.kBreite = 1;
    b.code = 2;
    b.rxTx = -1;
    b.modArt = 1;
    b.configBaud = 8;
    b.pwrupB2 = 1;
    b.pwrupB0 = 0;
    b.pwrupB4 = 1;
    b.pwrupB5 = 0;
    b.pwrContB1 = 1;
    b.pwrContB0 = 0;
    b.recal = 2;
    b.rssi = 0;
    b.recalText = "60";
    b.rssiText = "";
    b.eeprom = true;
    return b;
}

// Item counts of a 868 MHz B page and a C page, in line order.
const BItemCounts kBCounts = {160, 160, 4, 4, 3, 2, 2, 9, 2, 2, 2, 2, 2, 2, 3, 3};
const CItemCounts kCCounts = {160, 160, 8, 8, 2, 2, 2, 2, 2, 3, 2, 2, 2, 2, 2};

QStringList lines(const QByteArray &bytes)
{
    QByteArray body = bytes;
    if (body.endsWith("\r\n"))
        body.chop(2);
    return QString::fromLatin1(body).split(QStringLiteral("\r\n"));
}

} // namespace

class TestStoredConfig : public QObject
{
    Q_OBJECT
private slots:
    void codePage_data();
    void codePage();
    void unassignedBytesRoundTrip();
    void bLayoutLines();
    void cLayoutLines();
    void roundTrips();
    void damaged_data();
    void damaged();
    void lineBreaks_data();
    void lineBreaks();
    void typeLetter_data();
    void typeLetter();
    void defectFoundWithoutModule_data();
    void defectFoundWithoutModule();
};

void TestStoredConfig::codePage_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("ASCII") << "M1 Lager" << QByteArray("M1 Lager");
    QTest::newRow("Latin-1 umlauts") << QStringLiteral("Prüfstand Größe")
                                     << QByteArray("Pr\xfc"
                                                   "fstand Gr\xf6\xdf"
                                                   "e");
    QTest::newRow("euro sign is 0x80") << QStringLiteral("5 €") << QByteArray("5 \x80");
    QTest::newRow("quotes and dashes") << QStringLiteral("„a“ – b…")
                                       << QByteArray("\x84"
                                                     "a\x93 \x96 b\x85");
    QTest::newRow("Z caron and trademark") << QStringLiteral("Žž™") << QByteArray("\x8e\x9e\x99");
    QTest::newRow("Cyrillic becomes ?") << QStringLiteral("Жa") << QByteArray("?a");
    QTest::newRow("emoji is one ?") << QStringLiteral("a😀b") << QByteArray("a?b");
}

void TestStoredConfig::codePage()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QCOMPARE(toWindows1252(text), bytes);
    if (!bytes.contains('?'))
        QCOMPARE(fromWindows1252(bytes), text);
}

void TestStoredConfig::unassignedBytesRoundTrip()
{
    const QByteArray unassigned("\x81\x8d\x8f\x90\x9d");
    const QString text = fromWindows1252(unassigned);
    QCOMPARE(text, QStringLiteral("\u0081\u008d\u008f\u0090\u009d"));
    QCOMPARE(toWindows1252(text), unassigned);
}

void TestStoredConfig::bLayoutLines()
{
    StoredConfig config;
    config.info = QStringLiteral("Kühlhaus");
    config.typeLetter = "B";
    config.b = sampleB();
    const QByteArray bytes = encodeStoredConfig(config);
    QVERIFY(bytes.endsWith("\r\n"));
    QCOMPARE(bytes.count("\r\n"), 21);
    QCOMPARE(lines(bytes), (QStringList{QStringLiteral("Kühlhaus"),
                                        "B",
                                        "0",
                                        "138",
                                        "2",
                                        "1",
                                        "2",
                                        "-1",
                                        "1",
                                        "8",
                                        "1",
                                        "0",
                                        "1",
                                        "0",
                                        "1",
                                        "0",
                                        "2",
                                        "0",
                                        "60",
                                        "",
                                        "-1"}));
}

void TestStoredConfig::cLayoutLines()
{
    StoredConfig config;
    config.info = "";
    config.typeLetter = "C";
    CPageValues c;
    c.frqRx = 4;
    c.frqTx = 5;
    c.hfBaud = 7;
    c.rs232Baud = 3;
    c.pwrupC2 = 0;
    c.pwrupC0 = 1;
    c.pwrupC5 = 0;
    c.pwrContC1 = 1;
    c.pwrContC0 = 0;
    c.recal = 1;
    c.data[0] = 1;
    c.data[1] = 0;
    c.data[2] = 1;
    c.data[3] = 0;
    c.data[4] = 1;
    c.recalText = "";
    c.eeprom = false;
    config.c = c;
    const QByteArray bytes = encodeStoredConfig(config);
    QCOMPARE(bytes.count("\r\n"), 19);
    QCOMPARE(lines(bytes), (QStringList{"", "C", "4", "5", "7", "3", "0", "1", "0", "1", "0", "1",
                                        "1", "0", "1", "0", "1", "", "0"}));
}

void TestStoredConfig::roundTrips()
{
    StoredConfig config;
    config.info = QStringLiteral("Test € line\r\nbreak");
    config.typeLetter = "x";
    config.b = sampleB();
    config.b->rssiText = QStringLiteral("0,5");
    const QStringList read = storedConfigLines(encodeStoredConfig(config));
    QCOMPARE(read.size(), kStoredBLineCount);
    QCOMPARE(read.at(0), QStringLiteral("Test € line  break"));
    int damaged = 0;
    const auto b = parseStoredBLines(read, kBCounts, &damaged);
    QVERIFY(b);
    QCOMPARE(*b, *config.b);

    CPageValues c;
    c.frqRx = 158;
    c.data[2] = 1;
    c.recalText = "42";
    c.eeprom = true;
    config.b.reset();
    config.c = c;
    const auto back =
        parseStoredCLines(storedConfigLines(encodeStoredConfig(config)), kCCounts, &damaged);
    QVERIFY(back);
    QCOMPARE(*back, c);
}

void TestStoredConfig::damaged_data()
{
    QTest::addColumn<bool>("cLayout");
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("line");
    const QByteArray b =
        "info\r\nB\r\n0\r\n1\r\n2\r\n1\r\n2\r\n1\r\n1\r\n8\r\n1\r\n0\r\n1\r\n0\r\n1"
        "\r\n0\r\n2\r\n0\r\n60\r\n\r\n-1\r\n";
    QTest::newRow("complete B file") << false << b << 0;
    QTest::newRow("B file cut after line 10")
        << false << b.left(b.indexOf("1\r\n0\r\n1\r\n0")) << 11;
    QTest::newRow("B file without its check mark") << false << b.left(b.size() - 4) << 21;
    QByteArray letters = b;
    letters.replace("\r\n8\r\n", "\r\nacht\r\n");
    QTest::newRow("B item line 10 not a number") << false << letters << 10;
    QByteArray check = b;
    check.replace("\r\n-1\r\n", "\r\nja\r\n");
    QTest::newRow("B check mark not a number") << false << check << 21;
    QByteArray c = "info\r\nC\r\n0\r\n1\r\n2\r\n3\r\n0\r\n1\r\n0\r\n1\r\n0\r\n1\r\n1\r\n0\r\n1"
                   "\r\n0\r\n1\r\n\r\n0\r\n";
    QTest::newRow("complete C file") << true << c << 0;
    QTest::newRow("C file of two lines") << true << QByteArray("info\r\nC\r\n") << 3;
    QByteArray blank = c;
    blank.replace("\r\n3\r\n", "\r\n\r\n");
    QTest::newRow("C empty item line 6") << true << blank << 6;

    // An index outside its box's list is a damaged line; -1 means no selection.
    const auto withItem = [](QByteArray file, int line, const QByteArray &value) {
        QList<QByteArray> pieces = file.split('\n');
        pieces[line - 1] = value + '\r';
        return pieces.join('\n');
    };
    QTest::newRow("B channel 9999") << false << withItem(b, 3, "9999") << 3;
    QTest::newRow("B channel -5") << false << withItem(b, 4, "-5") << 4;
    QTest::newRow("B code -2") << false << withItem(b, 7, "-2") << 7;
    QTest::newRow("B RSSI box 2147483647") << false << withItem(b, 18, "2147483647") << 18;
    QTest::newRow("B one past the last baud item") << false << withItem(b, 10, "9") << 10;
    QTest::newRow("B last baud item") << false << withItem(b, 10, "8") << 0;
    QTest::newRow("B -1 is no selection") << false << withItem(b, 5, "-1") << 0;
    QTest::newRow("B index with blanks around") << false << withItem(b, 5, " 3 ") << 0;
    QTest::newRow("B number too large for int") << false << withItem(b, 3, "4294967296") << 3;
    QTest::newRow("C data bit 2") << true << withItem(c, 15, "2") << 15;
    QTest::newRow("C channel -2147483648") << true << withItem(c, 3, "-2147483648") << 3;
}

void TestStoredConfig::damaged()
{
    QFETCH(bool, cLayout);
    QFETCH(QByteArray, file);
    QFETCH(int, line);
    const QStringList read = storedConfigLines(file);
    int damagedLine = 0;
    const bool ok = cLayout ? parseStoredCLines(read, kCCounts, &damagedLine).has_value()
                            : parseStoredBLines(read, kBCounts, &damagedLine).has_value();
    QCOMPARE(ok, line == 0);
    QCOMPARE(damagedLine, line);
}

void TestStoredConfig::lineBreaks_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("CR LF") << QByteArray("a\r\nB\r\n") << QStringList{"a", "B"};
    QTest::newRow("bare LF") << QByteArray("a\nB\n") << QStringList{"a", "B"};
    QTest::newRow("last line without break") << QByteArray("a\r\nB") << QStringList{"a", "B"};
    QTest::newRow("empty first line") << QByteArray("\r\nC\r\n") << QStringList{"", "C"};
    QTest::newRow("empty file") << QByteArray() << QStringList{};
    QTest::newRow("CR only") << QByteArray("a\rB\r0\r") << QStringList{"a", "B", "0"};
    QTest::newRow("CR only, empty lines kept")
        << QByteArray("\rC\r\r1") << QStringList{"", "C", "", "1"};
    QTest::newRow("doubled CR before LF stays with its line")
        << QByteArray("a\r\nB\r\r\n0\r\n") << QStringList{"a", "B\r", "0"};
    QTest::newRow("mixed LF and CR LF") << QByteArray("a\nB\r\n0\n") << QStringList{"a", "B", "0"};
}

void TestStoredConfig::typeLetter_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("letter");
    QTest::newRow("plain") << QByteArray("i\r\nB\r\n") << "B";
    QTest::newRow("trailing CR") << QByteArray("i\r\nB\r\r\n") << "B";
    QTest::newRow("trailing blank") << QByteArray("i\r\nB \r\n") << "B";
    QTest::newRow("blanks and tab around") << QByteArray("i\r\n \tx  \r\n") << "x";
    QTest::newRow("CR-only file") << QByteArray("i\rC\r0\r") << "C";
    QTest::newRow("inner blank kept") << QByteArray("i\nB C\n") << "B C";
    QTest::newRow("no second line") << QByteArray("i\r\n") << "";
}

void TestStoredConfig::typeLetter()
{
    QFETCH(QByteArray, file);
    QTEST(storedTypeLetter(storedConfigLines(file)), "letter");
}

void TestStoredConfig::lineBreaks()
{
    QFETCH(QByteArray, file);
    QTEST(storedConfigLines(file), "lines");
}

QTEST_APPLESS_MAIN(TestStoredConfig)
void TestStoredConfig::defectFoundWithoutModule_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("line"); // -1: no defect
    QTest::addColumn<QString>("text");
    StoredConfig c;
    c.info = QStringLiteral("M1");
    c.typeLetter = QStringLiteral("C");
    CPageValues page;
    page.frqRx = 500;
    c.c = page;
    const QByteArray whole = encodeStoredConfig(c);
    QTest::newRow("whole C file, items beyond any list") << whole << -1 << QString();
    QTest::newRow("empty") << QByteArray() << 0 << QString();
    QTest::newRow("blank line only") << QByteArray("\r\n") << 0 << QString();
    QTest::newRow("description only") << QByteArray("M1") << 2 << QString();
    QTest::newRow("no module type") << QByteArray("M1\r\nQ\r\n1\r\n") << 2 << "Q";
    QTest::newRow("damaged item") << QByteArray("M1\r\nB\r\n1\r\nfast\r\n") << 4 << "fast";
    QTest::newRow("cut short") << whole.left(whole.indexOf("\r\n", 12) + 2) << 5 << QString();
}

void TestStoredConfig::defectFoundWithoutModule()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, line);
    QFETCH(QString, text);
    const auto defect = storedConfigDefect(bytes);
    QCOMPARE(defect.has_value(), line >= 0);
    if (defect) {
        QCOMPARE(defect->line, line);
        QCOMPARE(defect->text, text);
    }
}

#include "tst_storedconfig.moc"
