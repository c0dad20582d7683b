#include "support_emulator.h"

#include <QTest>

class TestEmulator : public QObject
{
    Q_OBJECT
private slots:
    void identification_data();
    void identification();
    void commands_data();
    void commands();
    void startupReport_data();
    void startupReport();
    void commandsDuringBootAreIgnored();
    void eepromBitAndPowerCycle();
    void answerTiming();
    void partialFrameIsDroppedAfterPause();
    void moduleRate_data();
    void moduleRate();
    void bRateChangesAfterItsAnswer();
    void cRateChangesAtPowerUpOnly();
    void cCommandsOnlyWithRtsOff_data();
    void cCommandsOnlyWithRtsOff();
    void sleepAndWake_data();
    void sleepAndWake();
    void recalibrationReport_data();
    void recalibrationReport();
    void faults_data();
    void faults();
    void faultTargetsFrameAndCount();
    void reportQueuesBehindAnswer();
    void logRecordsFramesAndAnswers();
};

void TestEmulator::identification_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<int>("band");
    QTest::addColumn<int>("commandSet");
    QTest::addColumn<int>("speed");
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<QByteArray>("answer");

    QTest::newRow("B firmware type 2") << "B" << 868 << 3 << 16 << hex("B00001") << hex("0002");
    QTest::newRow("C firmware type 3") << "C" << 868 << 3 << 16 << hex("B00001") << hex("0003");
    QTest::newRow("calibration software type FF")
        << "x" << 868 << 3 << 16 << hex("B00001") << hex("00FF");
    QTest::newRow("version with continuation")
        << "C" << 868 << 3 << 16 << hex("B00000") << hex("0001040C");
    QTest::newRow("command set") << "B" << 868 << 2 << 16 << hex("B00002") << hex("0002");
    QTest::newRow("hardware") << "C" << 868 << 3 << 16 << hex("B00003") << hex("000A");
    QTest::newRow("band 868 is 1") << "C" << 868 << 3 << 16 << hex("B00004") << hex("0001");
    QTest::newRow("band 433 is 0") << "B" << 433 << 3 << 16 << hex("B00004") << hex("0000");
    QTest::newRow("serial little endian")
        << "C" << 868 << 3 << 16 << hex("B00005") << hex("0040E20100");
    QTest::newRow("speed 16 MHz is 0") << "C" << 868 << 3 << 16 << hex("B00006") << hex("0000");
    QTest::newRow("speed 64 MHz is 1") << "C" << 868 << 4 << 64 << hex("B00006") << hex("0001");
    QTest::newRow("speed query refused below command set 3")
        << "C" << 868 << 2 << 16 << hex("B00006") << hex("3802");
    QTest::newRow("speed query refused by B")
        << "B" << 868 << 3 << 16 << hex("B00006") << hex("3802");
    QTest::newRow("unknown query") << "B" << 868 << 3 << 16 << hex("B00007") << hex("3802");
}

void TestEmulator::identification()
{
    QFETCH(QString, type);
    QFETCH(int, band);
    QFETCH(int, commandSet);
    QFETCH(int, speed);
    QFETCH(QByteArray, frame);
    QFETCH(QByteArray, answer);

    EmulatorConfig config;
    config.type = type[0].toLatin1();
    config.band = band;
    config.commandSet = commandSet;
    config.speedMHz = speed;
    ModuleEmulator module(config);
    EmulatorClock clock{module};
    clock.powerUp();
    QCOMPARE(clock.exchange(frame).toHex(), answer.toHex());
}

void TestEmulator::commands_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<QByteArray>("answer");

    QTest::newRow("current RSSI signed") << "B" << hex("B00100") << hex("01A9");
    QTest::newRow("maximum RSSI") << "C" << hex("B00101") << hex("01C4");
    QTest::newRow("temperature") << "C" << hex("B00102") << hex("0117");
    QTest::newRow("supply voltage tenths") << "C" << hex("B00103") << hex("0121");
    QTest::newRow("unknown measurement") << "C" << hex("B00104") << hex("3802");
    QTest::newRow("B read RX channel 80") << "B" << hex("B00209") << hex("0250");
    QTest::newRow("B read last register") << "B" << hex("B00214") << hex("0200");
    QTest::newRow("B read beyond its map") << "B" << hex("B00215") << hex("3802");
    QTest::newRow("B read below its map") << "B" << hex("B00208") << hex("3802");
    QTest::newRow("C read serial rate 19200") << "C" << hex("B0020C") << hex("0204");
    QTest::newRow("C read beyond its map") << "C" << hex("B00211") << hex("3802");
    QTest::newRow("calibration software is not read") << "x" << hex("B00209") << hex("3801");
    QTest::newRow("write echoes code without EEPROM bit") << "B" << hex("B08905") << hex("0905");
    QTest::newRow("B writes register 14") << "B" << hex("B01405") << hex("1405");
    QTest::newRow("C has no register 11") << "C" << hex("B01100") << hex("3801");
    QTest::newRow("calibration software write") << "x" << hex("B01000") << hex("1000");
    QTest::newRow("calibration software has no EEPROM") << "x" << hex("B08905") << hex("3802");
    QTest::newRow("B transmitter on") << "B" << hex("B02001") << hex("2001");
    QTest::newRow("B recalibration started") << "B" << hex("B02200") << hex("2200");
    QTest::newRow("C recalibration started") << "C" << hex("B02100") << hex("2100");
    QTest::newRow("C knows no 22") << "C" << hex("B02200") << hex("3801");
    QTest::newRow("unknown command code") << "B" << hex("B03300") << hex("3801");
}

void TestEmulator::commands()
{
    QFETCH(QString, type);
    QFETCH(QByteArray, frame);
    QFETCH(QByteArray, answer);

    EmulatorConfig config;
    config.type = type[0].toLatin1();
    config.rssiDbm = -87;
    config.maxRssiDbm = -60;
    config.temperatureC = 23;
    config.supplyTenthsVolt = 33;
    ModuleEmulator module(config);
    EmulatorClock clock{module};
    clock.powerUp();
    // The recalibration result comes later; this window sees only the answer.
    QCOMPARE(clock.exchange(frame, 20).toHex(), answer.toHex());
}

void TestEmulator::startupReport_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<int>("powerUpRegister");
    QTest::addColumn<bool>("calibrationMissing");
    QTest::addColumn<QByteArray>("report");
    QTest::addColumn<bool>("asleep");

    QTest::newRow("B runs after power-up") << "B" << 0x24 << false << hex("003200") << false;
    QTest::newRow("C runs after power-up") << "C" << 0x24 << false << hex("003000") << false;
    QTest::newRow("calibration software") << "x" << 0x00 << false << hex("003200") << false;
    QTest::newRow("B sleeps after power-up") << "B" << 0x20 << false << hex("003201") << true;
    QTest::newRow("C sleeps after power-up") << "C" << 0x01 << false << hex("003001") << true;
    QTest::newRow("calibration data missing") << "C" << 0x24 << true << hex("003080") << false;
}

void TestEmulator::startupReport()
{
    QFETCH(QString, type);
    QFETCH(int, powerUpRegister);
    QFETCH(bool, calibrationMissing);
    QFETCH(QByteArray, report);
    QFETCH(bool, asleep);

    EmulatorConfig config;
    config.type = type[0].toLatin1();
    config.calibrationDataMissing = calibrationMissing;
    config.bootDelayMs = 50;
    ModuleEmulator module(config);
    module.setEeprom(config.type == 'B' ? 0x11 : 0x0D, quint8(powerUpRegister));
    EmulatorClock clock{module};
    module.lineOpened(0);
    QCOMPARE(clock.collect(49).toHex(), QByteArray());
    QCOMPARE(clock.collect(100).toHex(), report.toHex());
    QCOMPARE(module.isAsleep(), asleep);
    const QByteArray typeAnswer = clock.exchange(hex("B00001"));
    QCOMPARE(typeAnswer.isEmpty(), asleep);
}

void TestEmulator::commandsDuringBootAreIgnored()
{
    ModuleEmulator module;
    EmulatorClock clock{module};
    module.lineOpened(0);
    module.receive(hex("B00001"), 10);
    QCOMPARE(clock.collect(200).toHex(), QByteArray("003000"));
}

void TestEmulator::eepromBitAndPowerCycle()
{
    EmulatorConfig config;
    config.type = 'B';
    ModuleEmulator module(config);
    EmulatorClock clock{module};
    clock.powerUp();
    QCOMPARE(clock.exchange(hex("B08905")).toHex(), QByteArray("0905"));
    QCOMPARE(clock.exchange(hex("B00A07")).toHex(), QByteArray("0a07"));
    QCOMPARE(module.eeprom(0x09), quint8(5));
    QCOMPARE(module.eeprom(0x0A), quint8(80));
    QCOMPARE(clock.exchange(hex("B0020A")).toHex(), QByteArray("0207"));

    module.lineClosed(clock.now);
    clock.now += 10;
    clock.powerUp();
    QCOMPARE(clock.exchange(hex("B00209")).toHex(), QByteArray("0205"));
    QCOMPARE(clock.exchange(hex("B0020A")).toHex(), QByteArray("0250"));
}

void TestEmulator::answerTiming()
{
    EmulatorConfig config;
    config.processingDelayMs = 1;
    ModuleEmulator module(config);
    EmulatorClock clock{module};
    module.setPcBaud(19200, 0);
    clock.powerUp();
    // 3 bytes in and 2 bytes out at 10 bits each and 19200 baud, plus 1 ms of processing.
    const double byteMs = 10000.0 / 19200;
    module.receive(hex("B00001"), clock.now);
    const double lastByteAt = clock.now + 1 + 5 * byteMs;
    QVERIFY(module.nextOutputAt().has_value());
    QVERIFY(qAbs(*module.nextOutputAt() - (lastByteAt - byteMs)) < 1e-6);
    QCOMPARE(module.takeOutput(lastByteAt - byteMs - 0.01).size(), 0);
    QCOMPARE(module.takeOutput(lastByteAt - 0.01).toHex(), QByteArray("00"));
    QCOMPARE(module.takeOutput(lastByteAt).toHex(), QByteArray("03"));
    QVERIFY(!module.nextOutputAt().has_value());
}

void TestEmulator::partialFrameIsDroppedAfterPause()
{
    ModuleEmulator module;
    EmulatorClock clock{module};
    clock.powerUp();
    module.receive(hex("B000"), clock.now);
    clock.now += 500;
    QCOMPARE(clock.exchange(hex("01")).toHex(), QByteArray());
    QCOMPARE(clock.exchange(hex("B00001")).toHex(), QByteArray("0003"));
}

void TestEmulator::moduleRate_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<int>("rateRegister");
    QTest::addColumn<int>("rateValue");
    QTest::addColumn<int>("pcBaud");
    QTest::addColumn<bool>("answers");

    QTest::newRow("C stored 19200 at 19200") << "C" << 0x0C << 4 << 19200 << true;
    QTest::newRow("C stored 19200 at 9600") << "C" << 0x0C << 4 << 9600 << false;
    QTest::newRow("C stored 115200 at 115200") << "C" << 0x0C << 7 << 115200 << true;
    QTest::newRow("C stored 1200 at 1200") << "C" << 0x0C << 0 << 1200 << true;
    QTest::newRow("B Autobaud at 2400") << "B" << 0x0F << 0 << 2400 << true;
    QTest::newRow("B Autobaud at 115200") << "B" << 0x0F << 0 << 115200 << true;
    QTest::newRow("B stored 1200 at 1200") << "B" << 0x0F << 1 << 1200 << true;
    QTest::newRow("B stored 115200 at 57600") << "B" << 0x0F << 8 << 57600 << false;
    QTest::newRow("calibration software at 19200") << "x" << 0x0F << 0 << 19200 << true;
    QTest::newRow("calibration software at 9600") << "x" << 0x0F << 0 << 9600 << false;
}

void TestEmulator::moduleRate()
{
    QFETCH(QString, type);
    QFETCH(int, rateRegister);
    QFETCH(int, rateValue);
    QFETCH(int, pcBaud);
    QFETCH(bool, answers);

    EmulatorConfig config;
    config.type = type[0].toLatin1();
    ModuleEmulator module(config);
    module.setEeprom(rateRegister, quint8(rateValue));
    module.setPcBaud(pcBaud, 0);
    EmulatorClock clock{module};
    const QByteArray report = clock.powerUp();
    QCOMPARE(report.size(), 3);
    // At a foreign rate even the start-up report arrives as noise.
    QCOMPARE(report.at(1) == char(0xFF), !answers);
    QCOMPARE(clock.exchange(hex("B00003"), 100).isEmpty(), !answers);
}

void TestEmulator::bRateChangesAfterItsAnswer()
{
    EmulatorConfig config;
    config.type = 'B';
    ModuleEmulator module(config);
    module.setPcBaud(19200, 0);
    EmulatorClock clock{module};
    clock.powerUp();
    QCOMPARE(clock.exchange(hex("B00F03")).toHex(), QByteArray("0f03"));
    QCOMPARE(clock.exchange(hex("B00001")).toHex(), QByteArray());
    module.setPcBaud(4800, clock.now);
    QCOMPARE(clock.exchange(hex("B00001")).toHex(), QByteArray("0002"));
    QCOMPARE(module.moduleBaud(), 4800);
}

void TestEmulator::cRateChangesAtPowerUpOnly()
{
    ModuleEmulator module;
    module.setPcBaud(19200, 0);
    EmulatorClock clock{module};
    clock.powerUp();
    QCOMPARE(clock.exchange(hex("B08C03")).toHex(), QByteArray("0c03"));
    QCOMPARE(clock.exchange(hex("B00001")).toHex(), QByteArray("0003"));

    module.lineClosed(clock.now);
    clock.powerUp();
    QCOMPARE(clock.exchange(hex("B00001")).toHex(), QByteArray());
    module.setPcBaud(9600, clock.now);
    QCOMPARE(clock.exchange(hex("B00001")).toHex(), QByteArray("0003"));
}

void TestEmulator::cCommandsOnlyWithRtsOff_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<bool>("rts");
    QTest::addColumn<bool>("answers");

    QTest::newRow("C with RTS off") << "C" << false << true;
    QTest::newRow("C with RTS on is in data mode") << "C" << true << false;
    QTest::newRow("B ignores RTS") << "B" << true << true;
    QTest::newRow("calibration software ignores RTS") << "x" << true << true;
}

void TestEmulator::cCommandsOnlyWithRtsOff()
{
    QFETCH(QString, type);
    QFETCH(bool, rts);
    QFETCH(bool, answers);

    EmulatorConfig config;
    config.type = type[0].toLatin1();
    ModuleEmulator module(config);
    EmulatorClock clock{module};
    clock.powerUp();
    module.setRts(rts, clock.now);
    QCOMPARE(clock.exchange(hex("B00003")).isEmpty(), !answers);
}

void TestEmulator::sleepAndWake_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<QByteArray>("sleepFrame");
    QTest::addColumn<bool>("rtsBefore");
    QTest::addColumn<bool>("wakesByRts");
    QTest::addColumn<QByteArray>("wakeReport");

    QTest::newRow("B with wake-up pin 12") << "B" << hex("B02101") << true << true << hex("3201");
    QTest::newRow("B with wake-up pin 9 needs the button")
        << "B" << hex("B02131") << true << false << hex("3201");
    QTest::newRow("calibration software") << "x" << hex("B02100") << true << true << hex("3201");
    QTest::newRow("C wakes by RTS whatever bit 4")
        << "C" << hex("B02031") << false << true << hex("3001");
}

void TestEmulator::sleepAndWake()
{
    QFETCH(QString, type);
    QFETCH(QByteArray, sleepFrame);
    QFETCH(bool, rtsBefore);
    QFETCH(bool, wakesByRts);
    QFETCH(QByteArray, wakeReport);

    EmulatorConfig config;
    config.type = type[0].toLatin1();
    ModuleEmulator module(config);
    EmulatorClock clock{module};
    clock.powerUp();
    module.setRts(rtsBefore, clock.now);
    QCOMPARE(clock.exchange(sleepFrame).toHex(), sleepFrame.mid(1).toHex());
    QVERIFY(module.isAsleep());
    QCOMPARE(clock.exchange(hex("B00003")).toHex(), QByteArray());

    // The tool's wake-up pulse: B modules see off then on, C modules on then off.
    if (rtsBefore) {
        module.setRts(false, clock.now);
        clock.now += 10;
        module.setRts(true, clock.now);
    } else {
        module.setRts(true, clock.now);
        module.setRts(false, clock.now + 0.01);
    }
    if (wakesByRts) {
        QCOMPARE(clock.collect(20).toHex(), wakeReport.toHex());
    } else {
        QCOMPARE(clock.collect(20).toHex(), QByteArray());
        module.pressWakeButton(clock.now);
        QCOMPARE(clock.collect(20).toHex(), wakeReport.toHex());
    }
    QVERIFY(!module.isAsleep());
    module.setRts(false, clock.now);
    QCOMPARE(clock.exchange(hex("B00003")).toHex(), QByteArray("000a"));
}

void TestEmulator::recalibrationReport_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<int>("result");
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<QByteArray>("report");

    QTest::newRow("B successful") << "B" << 1 << hex("B02200") << hex("2201");
    QTest::newRow("calibration software failed") << "x" << 2 << hex("B02200") << hex("2202");
    QTest::newRow("C successful") << "C" << 1 << hex("B02100") << hex("2101");
}

void TestEmulator::recalibrationReport()
{
    QFETCH(QString, type);
    QFETCH(int, result);
    QFETCH(QByteArray, frame);
    QFETCH(QByteArray, report);

    EmulatorConfig config;
    config.type = type[0].toLatin1();
    config.recalibrationResult = quint8(result);
    config.recalibrationMs = 300;
    ModuleEmulator module(config);
    EmulatorClock clock{module};
    clock.powerUp();
    QCOMPARE(clock.exchange(frame, 20).toHex(), (frame.mid(1, 1) + '\0').toHex());
    QCOMPARE(clock.collect(250).toHex(), QByteArray());
    QCOMPARE(clock.collect(100).toHex(), report.toHex());
}

void TestEmulator::faults_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("value");
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<QByteArray>("answer");

    const int silent = int(FaultKind::Silent);
    const int wrongCode = int(FaultKind::WrongCode);
    const int moduleError = int(FaultKind::ModuleError);
    const int shortAnswer = int(FaultKind::ShortAnswer);
    const int shortContinuation = int(FaultKind::ShortContinuation);
    const int reportBefore = int(FaultKind::ReportBefore);

    QTest::newRow("silent") << silent << 0 << hex("B00003") << QByteArray();
    QTest::newRow("wrong code by default") << wrongCode << 0 << hex("B00209") << hex("4250");
    QTest::newRow("wrong code given") << wrongCode << 0x31 << hex("B00101") << hex("31C4");
    QTest::newRow("wrong code drops continuation")
        << wrongCode << 0 << hex("B00000") << hex("4001");
    QTest::newRow("module error 0") << moduleError << 0 << hex("B00003") << hex("3800");
    QTest::newRow("module error other") << moduleError << 5 << hex("B00003") << hex("3805");
    QTest::newRow("one byte") << shortAnswer << 0 << hex("B00003") << hex("00");
    QTest::newRow("version continuation one short")
        << shortContinuation << 0 << hex("B00000") << hex("000104");
    QTest::newRow("serial continuation two short")
        << shortContinuation << 2 << hex("B00005") << hex("0040E2");
    QTest::newRow("continuation fault leaves 2-byte answers")
        << shortContinuation << 1 << hex("B00003") << hex("000A");
    QTest::newRow("report before the answer")
        << reportBefore << 0 << hex("B00003") << hex("2201000A");
}

void TestEmulator::faults()
{
    QFETCH(int, kind);
    QFETCH(int, value);
    QFETCH(QByteArray, frame);
    QFETCH(QByteArray, answer);

    ModuleEmulator module;
    EmulatorClock clock{module};
    clock.powerUp();
    EmulatorFault fault;
    fault.kind = FaultKind(kind);
    fault.value = quint8(value);
    fault.report = hex("2201");
    module.injectFault(fault);
    QCOMPARE(clock.exchange(frame).toHex(), answer.toHex());
    QCOMPARE(module.pendingFaults(), 0);
    QCOMPARE(clock.exchange(hex("B00003")).toHex(), QByteArray("000a"));
}

void TestEmulator::faultTargetsFrameAndCount()
{
    ModuleEmulator module;
    EmulatorClock clock{module};
    clock.powerUp();
    EmulatorFault firstVersionLost;
    firstVersionLost.frame = hex("B00000");
    module.injectFault(firstVersionLost);
    EmulatorFault twoReadsFail;
    twoReadsFail.kind = FaultKind::ModuleError;
    twoReadsFail.frame = hex("B002");
    twoReadsFail.count = 2;
    module.injectFault(twoReadsFail);

    QCOMPARE(clock.exchange(hex("B00003")).toHex(), QByteArray("000a"));
    QCOMPARE(clock.exchange(hex("B00000")).toHex(), QByteArray());
    QCOMPARE(clock.exchange(hex("B00000")).toHex(), QByteArray("0001040c"));
    QCOMPARE(clock.exchange(hex("B00209")).toHex(), QByteArray("3800"));
    QCOMPARE(clock.exchange(hex("B00F05")).toHex(), QByteArray("0f05"));
    QCOMPARE(clock.exchange(hex("B0020F")).toHex(), QByteArray("3800"));
    // A module error is refused, so the write before it took effect and the reads come back.
    QCOMPARE(clock.exchange(hex("B0020F")).toHex(), QByteArray("0205"));
}

void TestEmulator::reportQueuesBehindAnswer()
{
    ModuleEmulator module;
    EmulatorClock clock{module};
    clock.powerUp();
    module.receive(hex("B00005"), clock.now);
    // The answer starts 2.6 ms after the frame began and lasts 2.6 ms; the report due at 3 ms
    // waits for the line.
    module.emitReport(hex("30A9"), clock.now + 3.0);
    QCOMPARE(clock.collect(50).toHex(), QByteArray("0040e2010030a9"));
}

void TestEmulator::logRecordsFramesAndAnswers()
{
    ModuleEmulator module;
    QList<EmulatorLogEntry::Kind> seen;
    module.setLogCallback([&seen](const EmulatorLogEntry &entry) { seen.append(entry.kind); });
    EmulatorClock clock{module};
    clock.powerUp();
    // Radio data while RTS is on ("L" would be a LinkControl request).
    module.setRts(true, clock.now);
    clock.exchange(hex("55"));
    module.setRts(false, clock.now);
    clock.exchange(hex("B00001"));

    const QList<EmulatorLogEntry> &log = module.log();
    QCOMPARE(log.size(), 4);
    QCOMPARE(log[0].kind, EmulatorLogEntry::Report);
    QCOMPARE(log[1].kind, EmulatorLogEntry::Ignored);
    QCOMPARE(log[1].bytes, hex("55"));
    QCOMPARE(log[2].kind, EmulatorLogEntry::Frame);
    QCOMPARE(log[2].bytes, hex("B00001"));
    QCOMPARE(log[3].kind, EmulatorLogEntry::Answer);
    QCOMPARE(log[3].bytes, hex("0003"));
    QVERIFY(log[3].atMs > log[2].atMs);
    QCOMPARE(seen.size(), 4);
}

QTEST_GUILESS_MAIN(TestEmulator)
#include "tst_emulator.moc"
