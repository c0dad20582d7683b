#include "module/tables.h"

#include <QtTest>

class TestTables : public QObject
{
    Q_OBJECT
private slots:
    void splitting_data();
    void splitting();
    void channelItemsOfBand_data();
    void channelItemsOfBand();
    void designTimeItems();
    void frequencies_data();
    void frequencies();
    void rateLists_data();
    void rateLists();
    void rbwLookup_data();
    void rbwLookup();
    void rbwLabel_data();
    void rbwLabel();
};

void TestTables::splitting_data()
{
    QTest::addColumn<QString>("list");
    QTest::addColumn<QStringList>("items");
    QTest::newRow("three recalibration items")
        << QStringLiteral("aus,bei dT > 20°C,alle 5 bis 150 min.")
        << QStringList{"aus", "bei dT > 20°C", "alle 5 bis 150 min."};
    QTest::newRow("inner blanks survive")
        << QStringLiteral("Pin 12 = Wakeuppin,Pin   9 = Wakeuppin")
        << QStringList{"Pin 12 = Wakeuppin", "Pin   9 = Wakeuppin"};
    QTest::newRow("trailing comma gives no empty item")
        << QStringLiteral("a,b,") << QStringList{"a", "b"};
    QTest::newRow("blank and control pieces dropped")
        << QStringLiteral(" a ,  ,\t\r\n, b\t") << QStringList{"a", "b"};
    QTest::newRow("comma inside one quote stays")
        << QStringLiteral("\"a,b\",c") << QStringList{"\"a,b\"", "c"};
    QTest::newRow("comma after exactly one quote stays")
        << QStringLiteral("x\"y,z,w") << QStringList{"x\"y,z,w"};
    QTest::newRow("comma after three quotes ends the piece")
        << QStringLiteral("\"a\"\",b") << QStringList{"\"a\"\"", "b"};
    QTest::newRow("empty text") << QString() << QStringList{};
}

void TestTables::splitting()
{
    QFETCH(QString, list);
    QFETCH(QStringList, items);
    QCOMPARE(splitItems(list), items);
}

void TestTables::channelItemsOfBand_data()
{
    QTest::addColumn<int>("band");
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");
    QTest::addColumn<QString>("last");
    QTest::newRow("433") << 433 << 139 << "K001   433.0625"
                         << "K002   433.0750"
                         << "K139   434.7875";
    QTest::newRow("868") << 868 << 159 << "K001   868.0125"
                         << "K002   868.0250"
                         << "K159   869.9875";
}

void TestTables::channelItemsOfBand()
{
    QFETCH(int, band);
    QFETCH(int, count);
    const QStringList items = channelItems(band);
    QCOMPARE(items.size(), count);
    QTEST(items.first(), "first");
    QTEST(items.at(1), "second");
    QTEST(items.last(), "last");
}

void TestTables::designTimeItems()
{
    const QStringList items = designTimeChannelItems();
    QCOMPARE(items.size(), 139);
    QCOMPARE(items.at(0), QStringLiteral("K1.......433.0625"));
    QCOMPARE(items.at(8), QStringLiteral("K9.......433.1625"));
    QCOMPARE(items.at(9), QStringLiteral("K10.....433.1750"));
    QCOMPARE(items.at(98), QStringLiteral("K99.....434.2875"));
    QCOMPARE(items.at(99), QStringLiteral("K100...434.3000"));
    QCOMPARE(items.last(), QStringLiteral("K139...434.7875"));
}

void TestTables::frequencies_data()
{
    QTest::addColumn<int>("band");
    QTest::addColumn<int>("channel");
    QTest::addColumn<double>("mhz");
    QTest::newRow("433 first") << 433 << 1 << 433.0625;
    QTest::newRow("433 K70") << 433 << 70 << 433.925;
    QTest::newRow("868 first") << 868 << 1 << 868.0125;
    QTest::newRow("868 last") << 868 << 159 << 869.9875;
}

void TestTables::frequencies()
{
    QFETCH(int, band);
    QFETCH(int, channel);
    QFETCH(double, mhz);
    QCOMPARE(channelFrequencyMHz(band, channel), mhz);
}

void TestTables::rateLists_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<int>("commandSet");
    QTest::addColumn<QString>("speed");
    QTest::addColumn<bool>("exists");
    QTest::addColumn<QStringList>("hfBaudB");
    QTest::addColumn<QStringList>("configBaudB");
    QTest::addColumn<QStringList>("hfBaudC");
    QTest::addColumn<QStringList>("rs232BaudC");
    const QStringList full{"Autobaud", "1200",  "2400",  "4800",  "9600",
                           "19200",    "38400", "57600", "115200"};
    const QStringList rs232{"1200", "2400", "4800", "9600", "19200", "38400", "57600", "115200"};
    QTest::newRow("C3 16MHz") << "C" << 3 << "16MHz" << true
                              << QStringList{"2400", "4800", "9600", "19200", "38400", "76800"}
                              << full << QStringList{"1200",  "2400",  "4800", "9600",
                                                     "19200", "38400", "76800"}
                              << rs232;
    QTest::newRow("C3 64MHz has 153600")
        << "C" << 3 << "64MHz" << true
        << QStringList{"2400", "4800", "9600", "19200", "38400", "76800", "153600"} << full
        << QStringList{"1200", "2400", "4800", "9600", "19200", "38400", "76800", "153600"}
        << rs232;
    QTest::newRow("B 16MHz") << "B" << 1 << "16MHz" << true
                             << QStringList{"2400", "4800", "9600", "19200", "38400", "76800"}
                             << full
                             << QStringList{"1200", "2400", "4800", "9600", "19200", "38400"}
                             << rs232;
    QTest::newRow("B 8MHz ends at 38400 and 57600")
        << "B" << 1 << "8MHz" << true << QStringList{"2400", "4800", "9600", "19200", "38400"}
        << QStringList{"Autobaud", "1200", "2400", "4800", "9600", "19200", "38400", "57600"}
        << QStringList{"1200", "2400", "4800", "9600", "19200"}
        << QStringList{"1200", "2400", "4800", "9600", "19200", "38400", "57600"};
    QTest::newRow("C2 uses the rows of other modules")
        << "C" << 2 << "8MHz" << true << QStringList{"2400", "4800", "9600", "19200", "38400"}
        << QStringList{"Autobaud", "1200", "2400", "4800", "9600", "19200", "38400", "57600"}
        << QStringList{"1200", "2400", "4800", "9600", "19200"}
        << QStringList{"1200", "2400", "4800", "9600", "19200", "38400", "57600"};
    QTest::newRow("C3 8MHz has no lists") << "C" << 3 << "8MHz" << false << QStringList{}
                                          << QStringList{} << QStringList{} << QStringList{};
    QTest::newRow("B 64MHz has no lists") << "B" << 3 << "64MHz" << false << QStringList{}
                                          << QStringList{} << QStringList{} << QStringList{};
}

void TestTables::rateLists()
{
    QFETCH(QString, type);
    QFETCH(int, commandSet);
    QFETCH(QString, speed);
    QFETCH(bool, exists);
    const auto lists = rateListsFor(type, commandSet, speed);
    QCOMPARE(lists.has_value(), exists);
    if (!lists)
        return;
    QTEST(splitItems(lists->hfBaudB), "hfBaudB");
    QTEST(splitItems(lists->configBaudB), "configBaudB");
    QTEST(splitItems(lists->hfBaudC), "hfBaudC");
    QTEST(splitItems(lists->rs232BaudC), "rs232BaudC");
}

void TestTables::rbwLookup_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<int>("item");
    QTest::addColumn<double>("rbw"); // -1: unchanged
    QTest::newRow("B width 12.5") << "B" << 0 << 9.6;
    QTest::newRow("B width 50.0") << "B" << 2 << 25.6;
    QTest::newRow("B width 500.0") << "B" << 6 << 307.2;
    QTest::newRow("x like B") << "x" << 3 << 51.2;
    QTest::newRow("B no selection") << "B" << -1 << -1.0;
    QTest::newRow("C rate 1200") << "C" << 0 << 9.6;
    QTest::newRow("C rate 2400") << "C" << 1 << 9.6;
    QTest::newRow("C rate 38400") << "C" << 5 << 102.4;
    QTest::newRow("C rate 76800 unchanged") << "C" << 6 << -1.0;
    QTest::newRow("C rate 153600 unchanged") << "C" << 7 << -1.0;
}

void TestTables::rbwLookup()
{
    QFETCH(QString, type);
    QFETCH(int, item);
    QFETCH(double, rbw);
    const auto value = rbwForItem(type, item);
    if (rbw < 0) {
        QVERIFY(!value);
    } else {
        QVERIFY(value);
        QCOMPARE(*value, rbw);
    }
}

void TestTables::rbwLabel_data()
{
    QTest::addColumn<double>("rbw");
    QTest::addColumn<double>("step");
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("status");
    QTest::newRow("9.6 and 12.5") << 9.6 << 12.5 << "C"
                                  << "9.6kHz / 12.5kHz"
                                  << "Step > RBW!";
    QTest::newRow("25.6 and 25") << 25.6 << 25.0 << "C"
                                 << "25.6kHz / 25kHz"
                                 << "";
    QTest::newRow("step 37.5 beyond") << 25.6 << 37.5 << "C"
                                      << "25.6kHz / 37.5kHz"
                                      << "Step > RBW!";
    QTest::newRow("nothing computed yet") << 0.0 << 0.0 << "C"
                                          << "0kHz / 0kHz"
                                          << "";
    QTest::newRow("four significant digits") << 307.2 << 12.34567 << "C"
                                             << "307.2kHz / 12.35kHz"
                                             << "";
    QTest::newRow("German decimal comma") << 102.4 << 12.5 << "de_DE"
                                          << "102,4kHz / 12,5kHz"
                                          << "";
}

void TestTables::rbwLabel()
{
    QFETCH(double, rbw);
    QFETCH(double, step);
    QFETCH(QString, locale);
    QTEST(rbwLabelText(rbw, step, QLocale(locale)), "label");
    QTEST(rbwStatusText(rbw, step), "status");
}

QTEST_APPLESS_MAIN(TestTables)
#include "tst_tables.moc"
