#include "support_emulator.h"

#include "simoptions.h"

#include <QtTest>

// The emulator's synthetic spectrum as the monitor meets it: B0 09 nn tunes the receiver,
// B0 01 00 and B0 01 01 read the level on the channel it hears.
class TestSpectrum : public QObject
{
    Q_OBJECT
private slots:
    void readings_data();
    void readings();
    void options_data();
    void options();
};

void TestSpectrum::readings_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("firstTune");  // 0: none
    QTest::addColumn<int>("secondTune"); // the channel tuned right before the query
    QTest::addColumn<double>("gapMs");   // from sending the second tune to sending the query
    QTest::addColumn<int>("query");      // 00 instantaneous, 01 held maximum
    QTest::addColumn<int>("low");
    QTest::addColumn<int>("high");

    const QStringList carrierAt80{"--carrier", "K080:-60", "--settle-ms", "20"};
    QTest::newRow("carrier heard once settled")
        << carrierAt80 << 0 << 80 << 30.0 << 0 << -62 << -58;
    QTest::newRow("noise floor beside the carrier")
        << QStringList{"--carrier", "K080:-60", "--noise-floor", "-110"} << 0 << 81 << 30.0 << 0
        << -112 << -108;
    QTest::newRow("within the settle time the old channel is heard")
        << carrierAt80 << 80 << 12 << 3.0 << 0 << -62 << -58;
    QTest::newRow("after the settle time the new channel is heard")
        << carrierAt80 << 80 << 12 << 30.0 << 0 << -117 << -113;
    QTest::newRow("held maximum of a carrier")
        << QStringList{"--carrier", "12:-75", "--carrier", "K080:-60"} << 0 << 12 << 30.0 << 1
        << -77 << -73;
    QTest::newRow("without carriers the fixed reading")
        << QStringList{} << 0 << 80 << 30.0 << 0 << -87 << -87;
}

void TestSpectrum::readings()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, firstTune);
    QFETCH(int, secondTune);
    QFETCH(double, gapMs);
    QFETCH(int, query);
    QFETCH(int, low);
    QFETCH(int, high);

    const SimOptions options = parseSimOptions(arguments);
    QVERIFY2(options.error.isEmpty(), qPrintable(options.error));
    ModuleEmulator module(options.config);
    EmulatorClock clock{module};
    clock.powerUp();
    QByteArray frame = hex("B00900");
    if (firstTune) {
        frame[2] = char(firstTune);
        QCOMPARE(clock.exchange(frame), hex("09") + char(firstTune));
    }
    // Many readings, so the jitter shows its whole range without leaving the bounds.
    for (int round = 0; round < 20; ++round) {
        frame[2] = char(secondTune);
        clock.exchange(frame, gapMs);
        const QByteArray answer = clock.exchange(hex("B001") + char(query), 20);
        QVERIFY(answer.size() >= 2);
        QCOMPARE(quint8(answer[answer.size() - 2]), quint8(0x01));
        const int dbm = qint8(answer[answer.size() - 1]);
        QVERIFY2(dbm >= low && dbm <= high, qPrintable(QString::number(dbm)));
        if (firstTune) {
            frame[2] = char(firstTune);
            clock.exchange(frame, 50);
        }
    }
}

void TestSpectrum::options_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QList<int>>("carriers"); // channel, dBm, channel, dBm, ...
    QTest::addColumn<double>("settleMs");
    QTest::newRow("channel with K")
        << QStringList{"--carrier", "K080:-60"} << true << QList<int>{80, -60} << 2.0;
    QTest::newRow("two carriers and a settle time")
        << QStringList{"--carrier", "12:-75", "--carrier", "k139:-90", "--settle-ms", "7"} << true
        << QList<int>{12, -75, 139, -90} << 7.0;
    QTest::newRow("level missing")
        << QStringList{"--carrier", "K080"} << false << QList<int>{} << 2.0;
    QTest::newRow("channel 0") << QStringList{"--carrier", "K0:-60"} << false << QList<int>{}
                               << 2.0;
    QTest::newRow("level beyond a signed byte")
        << QStringList{"--carrier", "K080:-200"} << false << QList<int>{} << 2.0;
    QTest::newRow("value missing") << QStringList{"--carrier"} << false << QList<int>{} << 2.0;
}

void TestSpectrum::options()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, accepted);
    QFETCH(QList<int>, carriers);
    QFETCH(double, settleMs);
    const SimOptions options = parseSimOptions(arguments);
    QCOMPARE(options.error.isEmpty(), accepted);
    if (!accepted)
        return;
    QList<int> parsed;
    for (const SpectrumCarrier &carrier : options.config.spectrum.carriers)
        parsed << carrier.channel << carrier.dbm;
    QCOMPARE(parsed, carriers);
    QCOMPARE(options.config.spectrum.settleMs, settleMs);
}

QTEST_APPLESS_MAIN(TestSpectrum)
#include "tst_spectrum.moc"
