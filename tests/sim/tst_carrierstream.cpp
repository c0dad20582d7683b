#include "support_emulator.h"

#include <QTest>

// What the emulated module does in the carrier test: a B module's transmitter switch, a C
// module's count of the pattern stream.
class TestCarrierStream : public QObject
{
    Q_OBJECT
private slots:
    void bTransmitterSwitch_data();
    void bTransmitterSwitch();
    void streamIsCountedAtTheLineRate();
    void onlyAnAwakeCModuleAtItsRateSendsTheStream_data();
    void onlyAnAwakeCModuleAtItsRateSendsTheStream();
};

void TestCarrierStream::bTransmitterSwitch_data()
{
    QTest::addColumn<int>("switching"); // register 0x10: 0 "über TX_EN", 1 "über RS232"
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<bool>("transmitting");

    QTest::newRow("command on") << 1 << QStringList{"B02001"} << true;
    QTest::newRow("command on, then off") << 1 << QStringList{"B02001", "B02000"} << false;
    QTest::newRow("RTS falls, TX_EN") << 0 << QStringList{"rts 1", "rts 0"} << true;
    QTest::newRow("RTS rises, TX_EN") << 0 << QStringList{"rts 0", "rts 1"} << false;
    QTest::newRow("RTS falls, switched by command") << 1 << QStringList{"rts 1", "rts 0"} << false;
    QTest::newRow("command works with TX_EN too") << 0 << QStringList{"rts 1", "B02001"} << true;
}

void TestCarrierStream::bTransmitterSwitch()
{
    QFETCH(int, switching);
    QFETCH(QStringList, steps);
    QFETCH(bool, transmitting);
    EmulatorConfig config;
    config.type = 'B';
    ModuleEmulator module(config);
    module.setEeprom(0x10, quint8(switching));
    EmulatorClock clock{module};
    clock.powerUp();
    QVERIFY(!module.transmitterOn());
    for (const QString &step : steps) {
        if (step.startsWith(QLatin1String("rts "))) {
            module.setRts(step.endsWith(QLatin1Char('1')), clock.now);
            clock.collect(5);
        } else {
            const QByteArray frame = QByteArray::fromHex(step.toLatin1());
            QCOMPARE(clock.exchange(frame), frame.mid(1));
        }
    }
    QCOMPARE(module.transmitterOn(), transmitting);
}

void TestCarrierStream::streamIsCountedAtTheLineRate()
{
    ModuleEmulator module; // C module at 19200 baud
    EmulatorClock clock{module};
    clock.powerUp();
    module.setRts(true, clock.now);
    QList<bool> reports;
    module.carrier().setReportCallback(
        [&reports](const CarrierStream &, bool finished) { reports << finished; });

    // A pseudo-terminal hands the bytes over in lumps; on the line each takes 10 bits.
    for (int lump = 0; lump < 100; ++lump) {
        module.receive(QByteArray(24, char(0xAA)) + QByteArray(1, 0x55), clock.now);
        clock.collect(12.5);
    }
    CarrierStream stream = module.carrier().latest();
    QCOMPARE(stream.bytes, 2400);
    QCOMPARE(stream.modulated, 2400);
    QCOMPARE(stream.unmodulated, 0);
    QVERIFY(qAbs(stream.bytesPerSecond() - 1920.0) < 1.0);
    QVERIFY(module.carrier().running());
    QCOMPARE(reports, QList<bool>{false});

    // A pause ends the stream; the next byte starts another.
    clock.collect(1000);
    module.receive(QByteArray(10, char(0xFF)), clock.now);
    QCOMPARE(reports, QList<bool>({false, true}));
    QCOMPARE(module.carrier().streamCount(), 2);
    QCOMPARE(module.carrier().latest().unmodulated, 10);
    QCOMPARE(module.carrier().totalBytes(), 2410);
    module.lineClosed(clock.now + 10);
    QVERIFY(!module.carrier().running());
    QCOMPARE(reports, QList<bool>({false, true, true}));
}

void TestCarrierStream::onlyAnAwakeCModuleAtItsRateSendsTheStream_data()
{
    QTest::addColumn<char>("type");
    QTest::addColumn<int>("pcBaud");
    QTest::addColumn<bool>("asleep");
    QTest::addColumn<qint64>("counted");
    QTest::newRow("C module") << 'C' << 19200 << false << 30LL;
    QTest::newRow("asleep") << 'C' << 19200 << true << 0LL;
    QTest::newRow("other rate") << 'C' << 9600 << false << 0LL;
    QTest::newRow("B module") << 'B' << 19200 << false << 0LL;
}

void TestCarrierStream::onlyAnAwakeCModuleAtItsRateSendsTheStream()
{
    QFETCH(char, type);
    QFETCH(int, pcBaud);
    QFETCH(bool, asleep);
    QFETCH(qint64, counted);
    EmulatorConfig config;
    config.type = type;
    ModuleEmulator module(config);
    EmulatorClock clock{module};
    module.setPcBaud(pcBaud, clock.now);
    clock.powerUp();
    if (asleep)
        clock.exchange(QByteArray::fromHex("B02000"));
    QCOMPARE(module.isAsleep(), asleep);
    module.receive(QByteArray(30, char(0xFF)), clock.now);
    QCOMPARE(module.carrier().totalBytes(), counted);
}

QTEST_APPLESS_MAIN(TestCarrierStream)
#include "tst_carrierstream.moc"
