#include "module/storedconfig.h"

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
    const auto b = parseStoredBLines(read, &damaged);
    QVERIFY(b);
    QCOMPARE(*b, *config.b);

    CPageValues c;
    c.frqRx = 158;
    c.data[2] = 1;
    c.recalText = "42";
    c.eeprom = true;
    config.b.reset();
    config.c = c;
    const auto back = parseStoredCLines(storedConfigLines(encodeStoredConfig(config)), &damaged);
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
}

void TestStoredConfig::damaged()
{
    QFETCH(bool, cLayout);
    QFETCH(QByteArray, file);
    QFETCH(int, line);
    const QStringList read = storedConfigLines(file);
    int damagedLine = 0;
    const bool ok = cLayout ? parseStoredCLines(read, &damagedLine).has_value()
                            : parseStoredBLines(read, &damagedLine).has_value();
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
}

void TestStoredConfig::lineBreaks()
{
    QFETCH(QByteArray, file);
    QTEST(storedConfigLines(file), "lines");
}

QTEST_APPLESS_MAIN(TestStoredConfig)
#include "tst_storedconfig.moc"
