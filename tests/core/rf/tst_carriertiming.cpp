#include "link/txemptyclock.h"
#include "rf/carrier.h"

#include <QTest>

class TestCarrierTiming : public QObject
{
    Q_OBJECT
private slots:
    void alternationBurst_data();
    void alternationBurst();
    void timeEdits_data();
    void timeEdits();
    void startRefusalsOfACModule_data();
    void startRefusalsOfACModule();
    void codingOfABModule_data();
    void codingOfABModule();
    void streamKeepsTheLineRate_data();
    void streamKeepsTheLineRate();
    void writeAnsweringAnEventStartsWhereTheLineEmptied();
};

void TestCarrierTiming::alternationBurst_data()
{
    QTest::addColumn<qint64>("transmitMs");
    QTest::addColumn<qint64>("radioBaud");
    QTest::addColumn<qint64>("a");
    QTest::addColumn<qint64>("c");
    QTest::addColumn<qint64>("R");
    QTest::addColumn<bool>("tooShort");

    // R - 2 bytes are written per period.
    QTest::newRow("9600, TX 100: 100 bytes")
        << 100LL << 9600LL << 4LL << 921600LL << 102LL << false;
    QTest::newRow("9600, TX 8: 2 bytes") << 8LL << 9600LL << 4LL << 38400LL << 4LL << false;
    QTest::newRow("9600, TX 7: too short") << 7LL << 9600LL << 4LL << 28800LL << 3LL << true;
    QTest::newRow("1200, TX 100") << 100LL << 1200LL << 33LL << 80400LL << 9LL << false;
    QTest::newRow("38400, TX 20") << 20LL << 38400LL << 1LL << 729600LL << 81LL << false;
    QTest::newRow("TX shorter than a") << 2LL << 9600LL << 4LL << -19200LL << -2LL << true;
    // Halves go to the even neighbour: 40000 / 16000 = 2.5, 13500 / 9000 = 1.5, 22500 / 9000 = 2.5.
    QTest::newRow("a half rounds to even") << 10LL << 16000LL << 2LL << 128000LL << 14LL << false;
    QTest::newRow("R 1.5 rounds to 2") << 40LL << 1350LL << 30LL << 13500LL << 2LL << true;
    QTest::newRow("R 2.5 rounds to 2") << 28LL << 2250LL << 18LL << 22500LL << 2LL << true;
    QTest::newRow("no radio rate") << 100LL << 0LL << 0LL << 0LL << 0LL << true;
}

void TestCarrierTiming::alternationBurst()
{
    QFETCH(qint64, transmitMs);
    QFETCH(qint64, radioBaud);
    QFETCH(qint64, a);
    QFETCH(qint64, c);
    QFETCH(qint64, R);
    QFETCH(bool, tooShort);
    const CarrierBurst burst = carrierBurst(transmitMs, radioBaud);
    QCOMPARE(burst.a, a);
    QCOMPARE(burst.c, c);
    QCOMPARE(burst.R, R);
    QCOMPARE(burst.tooShort(), tooShort);
    QCOMPARE(burst.bytes(), R - 2);
}

void TestCarrierTiming::timeEdits_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("ms"); // -1: refused

    QTest::newRow("whole number") << "150" << 150;
    QTest::newRow("blanks around it") << " 20 " << 20;
    QTest::newRow("zero") << "0" << 0;
    QTest::newRow("decimal comma") << "1,5" << -1;
    QTest::newRow("decimal point") << "1.5" << -1;
    QTest::newRow("letters") << "abc" << -1;
    QTest::newRow("number with unit") << "100ms" << -1;
    QTest::newRow("empty") << "" << -1;
}

void TestCarrierTiming::timeEdits()
{
    QFETCH(QString, text);
    QFETCH(int, ms);
    const std::optional<int> parsed = parseWholeMs(text);
    QCOMPARE(parsed.value_or(-1), ms);
}

void TestCarrierTiming::startRefusalsOfACModule_data()
{
    QTest::addColumn<QString>("pc");
    QTest::addColumn<QString>("module");
    QTest::addColumn<QString>("radio");
    QTest::addColumn<int>("transmitMs"); // -1: continuous
    QTest::addColumn<CarrierRefusal>("refusal");
    QTest::newRow("continuous, line above the radio") << "19200"
                                                      << "19200"
                                                      << "9600" << -1 << CarrierRefusal::None;
    QTest::newRow("module at another rate") << "19200"
                                            << "9600"
                                            << "4800" << -1 << CarrierRefusal::RatesDiffer;
    QTest::newRow("radio as fast as the line")
        << "9600"
        << "9600"
        << "9600" << -1 << CarrierRefusal::PcNotFasterThanRadio;
    QTest::newRow("radio rate not a number") << "19200"
                                             << "19200"
                                             << "" << -1 << CarrierRefusal::PcNotFasterThanRadio;
    // At 9600 baud a = 4 ms: 6 ms give R = 2, 8 ms give R = 4.
    QTest::newRow("burst too short") << "19200"
                                     << "19200"
                                     << "9600" << 6 << CarrierRefusal::TransmitTimeTooShort;
    QTest::newRow("shortest burst") << "19200"
                                    << "19200"
                                    << "9600" << 8 << CarrierRefusal::None;
}

void TestCarrierTiming::startRefusalsOfACModule()
{
    QFETCH(QString, pc);
    QFETCH(QString, module);
    QFETCH(QString, radio);
    QFETCH(int, transmitMs);
    QFETCH(CarrierRefusal, refusal);
    const auto time = transmitMs < 0 ? std::nullopt : std::optional(transmitMs);
    QCOMPARE(carrierRefusalC(pc, module, radio, time), refusal);
}

void TestCarrierTiming::codingOfABModule_data()
{
    QTest::addColumn<int>("coding"); // 0 NRZ, 1 Manchester, 2 UART
    QTest::addColumn<bool>("modulated");
    QTest::addColumn<int>("switchTo"); // -1: the module's own coding serves
    QTest::addColumn<int>("pattern");

    QTest::newRow("unmodulated, Manchester: NRZ") << 1 << false << 0 << 0xFF;
    QTest::newRow("unmodulated, NRZ: kept") << 0 << false << -1 << 0xFF;
    QTest::newRow("unmodulated, UART: kept") << 2 << false << -1 << 0xFF;
    QTest::newRow("modulated, NRZ: Manchester") << 0 << true << 1 << 0xAA;
    QTest::newRow("modulated, UART: Manchester") << 2 << true << 1 << 0xAA;
    QTest::newRow("modulated, Manchester: kept") << 1 << true << -1 << 0xAA;
}

void TestCarrierTiming::codingOfABModule()
{
    QFETCH(int, coding);
    QFETCH(bool, modulated);
    QFETCH(int, switchTo);
    QFETCH(int, pattern);
    QCOMPARE(carrierCodingB(coding, modulated).value_or(-1), switchTo);
    QCOMPARE(int(carrierPatternByte(modulated)), pattern);
}

void TestCarrierTiming::streamKeepsTheLineRate_data()
{
    QTest::addColumn<int>("baud");
    QTest::addColumn<int>("passEveryMs");
    QTest::addColumn<int>("durationMs");
    QTest::addColumn<qint64>("deviceQueue");
    QTest::addColumn<qint64>("bytes");

    // One byte at 0, then one for each 10-bit time that has passed: 1 + duration / byte time.
    QTest::newRow("115200, events handled every 1 ms") << 115200 << 1 << 1000 << -1LL << 11520LL;
    QTest::newRow("19200, every 3 ms") << 19200 << 3 << 999 << -1LL << 1919LL;
    QTest::newRow("9600, every 7 ms") << 9600 << 7 << 994 << -1LL << 955LL;
    QTest::newRow("1200, every 1 ms") << 1200 << 1 << 1000 << -1LL << 120LL;
    QTest::newRow("device keeping up") << 115200 << 1 << 1000 << 12LL << 11520LL;
    // An event loop that comes round only every 50 ms: the idle line is not made up.
    QTest::newRow("115200, every 50 ms") << 115200 << 50 << 1000 << -1LL << 21LL;
    QTest::newRow("device far behind") << 115200 << 1 << 1000 << 1000LL << 1LL;
}

void TestCarrierTiming::streamKeepsTheLineRate()
{
    QFETCH(int, baud);
    QFETCH(int, passEveryMs);
    QFETCH(int, durationMs);
    QFETCH(qint64, deviceQueue);
    QFETCH(qint64, bytes);

    // A stream that writes one byte on every empty event, handled in passes of the event loop.
    TxLine line;
    line.setBaudRate(baud);
    line.written(1, 0);
    qint64 written = 1;
    for (qint64 t = passEveryMs; t <= durationMs; t += passEveryMs) {
        const qint64 now = t * 1'000'000;
        while (line.beginEvent(now, deviceQueue)) {
            line.written(1, now);
            ++written;
            line.endEvent();
        }
    }
    QCOMPARE(written, bytes);
    QVERIFY(line.owed());
}

void TestCarrierTiming::writeAnsweringAnEventStartsWhereTheLineEmptied()
{
    TxLine line;
    line.setBaudRate(9600); // 1.0417 ms a byte
    line.written(1, 0);
    QVERIFY(!line.beginEvent(1'000'000));
    QVERIFY(line.beginEvent(1'500'000));
    line.written(1, 1'500'000);
    line.endEvent();
    QCOMPARE(line.emptyAtNs(), 2 * 1'041'667LL);
    // Outside an event a write starts when it is made.
    QVERIFY(line.beginEvent(3'000'000));
    line.endEvent();
    line.written(1, 5'000'000);
    QCOMPARE(line.emptyAtNs(), 5'000'000 + 1'041'667LL);
    line.reset();
    QVERIFY(!line.owed());
    QVERIFY(!line.beginEvent(10'000'000));
}

QTEST_APPLESS_MAIN(TestCarrierTiming)
#include "tst_carriertiming.moc"
