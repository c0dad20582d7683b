#include "emulatordevice.h"
#include "link/comport.h"
#include "link/exchangelog.h"
#include "link/modulelink.h"
#include "module/moduleidentity.h"

#include <QTest>

namespace
{

// The window's side of the dispatcher, recorded.
struct FakeHost : DispatchHost {
    QString letter;
    QString caldata = QStringLiteral("OK");
    QStringList recalibration;
    QList<int> rssiMax;
    QList<bool> wakeUps;
    bool linkControl = false;

    QString softwareTypeLetter() const override { return letter; }
    void setSoftwareTypeLetter(const QString &text) override { letter = text; }
    QString calibrationStatus() const override { return caldata; }
    void setCalibrationStatus(const QString &text) override { caldata = text; }
    void showRecalibrationStatus(const QString &text) override { recalibration << text; }
    void showMaximumRssi(int dbm) override { rssiMax << dbm; }
    void moduleWokeUp(bool cModule) override { wakeUps << cModule; }
    bool linkControlRunning() const override { return linkControl; }
};

QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray out;
    for (int v : values)
        out += char(v);
    return out;
}

// The log's lines as they reach a display, one entry per exchange.
struct RecordedPanes : ExchangeLogPanes {
    QStringList tx, rx;
    void write(const QStringList &txLines, const QStringList &rxLines) override
    {
        tx += txLines;
        rx += rxLines;
    }
    void clear() override
    {
        tx.clear();
        rx.clear();
    }
    void showLatest() override {}
};

// Port, log and link over an emulated module, connected and ready.
struct Rig {
    explicit Rig(char type)
    {
        EmulatorConfig config;
        config.type = type;
        ComPort::setDeviceFactoryForTest([this, config] {
            auto made = std::make_unique<EmulatorDevice>(config);
            device = made.get();
            return made;
        });
        port = std::make_unique<ComPort>();
        ComPort::setDeviceFactoryForTest({});
        host.letter = QString(QChar(type));
        log = std::make_unique<ExchangeLog>(&panes);
        link = std::make_unique<ModuleLink>(*port, host, *log);
        port->setPortName(QStringLiteral("COM1"));
        port->setReadTimeout(200);
        port->open();
        // Let the start-up report come and go.
        QTest::qWait(int(device->emulator().config().bootDelayMs) + 20);
        port->clearBuffers(true, true);
        device->clearRecords();
        link->state().retryCounter = 5;
    }
    ModuleEmulator &module() { return device->emulator(); }
    void answerWithCode(quint8 code, const QByteArray &frame = {})
    {
        EmulatorFault fault;
        fault.kind = FaultKind::WrongCode;
        fault.value = code;
        fault.frame = frame;
        module().injectFault(fault);
    }
    QStringList txLines()
    {
        log->flush();
        return panes.tx;
    }
    QStringList rxLines()
    {
        log->flush();
        return panes.rx;
    }

    EmulatorDevice *device = nullptr;
    std::unique_ptr<ComPort> port;
    FakeHost host;
    RecordedPanes panes;
    std::unique_ptr<ExchangeLog> log;
    std::unique_ptr<ModuleLink> link;
};

} // namespace

class TestModuleLink : public QObject
{
    Q_OBJECT
private slots:
    void answerLengthsFollowTheQuery_data();
    void answerLengthsFollowTheQuery();
    void failedAnswersAreMarked_data();
    void failedAnswersAreMarked();
    void reportsTakeEffectAndTheAnswerFollows_data();
    void reportsTakeEffectAndTheAnswerFollows();
    void cReportsAreOnlyTheCodesOfCModules();
    void errorFlagStopsEverything();
    void retryCounterWrapsAndTheLimitClosesThePort();
    void startupReportSetsTheCalibrationStatus_data();
    void startupReportSetsTheCalibrationStatus();
    void startupReportBeforeALateClearCounts();
    void unknownLetterReadsNothing();
    void receiveHandlerStaysOutDuringLinkControl();
    void exchangeDropsStaleInputAndKeepsTheAnswer_data();
    void exchangeDropsStaleInputAndKeepsTheAnswer();
    void endlessReportsEndInAFailedAnswer_data();
    void endlessReportsEndInAFailedAnswer();
    void answerToAnEarlierSendingIsNotTheNextFramesAnswer();
};

void TestModuleLink::answerLengthsFollowTheQuery_data()
{
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<QByteArray>("answer");
    QTest::newRow("version has two continuation bytes")
        << bytes({0xB0, 0x00, 0x00}) << bytes({0x00, 1, 4, 12});
    QTest::newRow("serial number has three")
        << bytes({0xB0, 0x00, 0x05}) << bytes({0x00, 0x40, 0xE2, 0x01, 0x00});
    QTest::newRow("type query is two bytes") << bytes({0xB0, 0x00, 0x01}) << bytes({0x00, 0x03});
    QTest::newRow("EEPROM write expects the bare register")
        << bytes({0xB0, 0x89, 0x05}) << QByteArray();
}

void TestModuleLink::answerLengthsFollowTheQuery()
{
    QFETCH(QByteArray, frame);
    QFETCH(QByteArray, answer);
    Rig rig('C');
    rig.link->transaction(frame);
    QVERIFY(!rig.link->state().errorFlag);
    QCOMPARE(rig.link->state().lastCommand, frame);
    if (!answer.isEmpty())
        QCOMPARE(rig.link->state().lastAnswer, answer);
    else
        QCOMPARE(rig.link->state().lastAnswer.at(0), char(0x09));
    QCOMPARE(rig.device->frames(), QList<QByteArray>{frame});
    QCOMPARE(rig.txLines().first(), ExchangeLog::hexText(frame));
}

void TestModuleLink::failedAnswersAreMarked_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("value");
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<QString>("rxLine");
    QTest::newRow("silence") << int(FaultKind::Silent) << 0 << bytes({0xB0, 0x02, 0x09})
                             << QStringLiteral("E4 ");
    QTest::newRow("one byte only") << int(FaultKind::ShortAnswer) << 0 << bytes({0xB0, 0x02, 0x09})
                                   << QStringLiteral("E4 02,");
    QTest::newRow("module error 0") << int(FaultKind::ModuleError) << 0 << bytes({0xB0, 0x02, 0x09})
                                    << QStringLiteral("E1 38,00,");
    QTest::newRow("module error other") << int(FaultKind::ModuleError) << 7
                                        << bytes({0xB0, 0x02, 0x09}) << QStringLiteral("E2 38,07,");
    QTest::newRow("wrong echo") << int(FaultKind::WrongCode) << 0x05 << bytes({0xB0, 0x02, 0x09})
                                << QStringLiteral("E3 05,50,");
    QTest::newRow("short serial continuation")
        << int(FaultKind::ShortContinuation) << 1 << bytes({0xB0, 0x00, 0x05})
        << QStringLiteral("E4 00,40,E2,01,");
}

void TestModuleLink::failedAnswersAreMarked()
{
    QFETCH(int, kind);
    QFETCH(int, value);
    QFETCH(QByteArray, frame);
    QFETCH(QString, rxLine);
    Rig rig('B');
    rig.module().setRam(0x09, 0x50);
    EmulatorFault fault;
    fault.kind = FaultKind(kind);
    fault.value = quint8(value);
    rig.module().injectFault(fault);
    rig.link->transaction(frame);
    QVERIFY(rig.link->state().errorFlag);
    QCOMPARE(rig.link->state().retryCounter, quint8(4));
    QCOMPARE(rig.rxLines().first(), rxLine);
    QVERIFY(rig.link->answerByte(rig.link->state().lastAnswer.size()) == std::nullopt);
}

void TestModuleLink::reportsTakeEffectAndTheAnswerFollows_data()
{
    QTest::addColumn<char>("type");
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("sendings");
    QTest::addColumn<QStringList>("recalibration");
    QTest::addColumn<QList<int>>("rssiMax");
    QTest::addColumn<int>("wakeUps");
    // A report that asks for nothing is no answer to another frame: the answer is read after it.
    QTest::newRow("22 started, no repeat")
        << 'B' << 0x22 << 0 << 1 << QStringList{"gestartet"} << QList<int>{} << 0;
    QTest::newRow("22 successful")
        << 'B' << 0x22 << 1 << 2 << QStringList{"erfolgreich"} << QList<int>{} << 0;
    QTest::newRow("31 not successful")
        << 'B' << 0x31 << 2 << 2 << QStringList{"nicht erfolgreich"} << QList<int>{} << 0;
    QTest::newRow("22 other value does nothing")
        << 'B' << 0x22 << 3 << 1 << QStringList{} << QList<int>{} << 0;
    QTest::newRow("30 maximum signal, signed")
        << 'B' << 0x30 << 0xA9 << 2 << QStringList{} << QList<int>{-87} << 0;
    QTest::newRow("32 01 woken up") << 'B' << 0x32 << 1 << 2 << QStringList{} << QList<int>{} << 1;
    QTest::newRow("32 00 nothing") << 'B' << 0x32 << 0 << 1 << QStringList{} << QList<int>{} << 0;
    QTest::newRow("C: 30 other than 01 nothing")
        << 'C' << 0x30 << 0xA9 << 1 << QStringList{} << QList<int>{} << 0;
}

void TestModuleLink::reportsTakeEffectAndTheAnswerFollows()
{
    QFETCH(char, type);
    QFETCH(int, code);
    QFETCH(int, value);
    QFETCH(int, sendings);
    QFETCH(QStringList, recalibration);
    QFETCH(QList<int>, rssiMax);
    QFETCH(int, wakeUps);
    Rig rig(type);
    const QByteArray frame = bytes({0xB0, 0x02, 0x0E});
    rig.module().setRam(0x0E, 0x42);
    EmulatorFault fault;
    fault.kind = FaultKind::ReportBefore;
    fault.frame = frame;
    fault.report = bytes({code, value});
    rig.module().injectFault(fault);
    rig.link->transaction(frame);
    QCOMPARE(rig.device->frames().size(), sendings);
    QCOMPARE(rig.host.recalibration, recalibration);
    QCOMPARE(rig.host.rssiMax, rssiMax);
    QCOMPARE(rig.host.wakeUps.size(), wakeUps);
    QVERIFY(!rig.link->state().errorFlag);
    QCOMPARE(rig.link->state().lastAnswer, bytes({0x02, 0x42}));
    // The report has a line of its own; a frame sent again pairs with its answer.
    QCOMPARE(rig.rxLines().mid(0, 2), QStringList({ExchangeLog::hexText(fault.report), "02,42,"}));
    QCOMPARE(rig.txLines().at(1), sendings == 2 ? QStringLiteral("B0,02,0E,") : QString());
}

void TestModuleLink::cReportsAreOnlyTheCodesOfCModules()
{
    {
        Rig rig('C');
        const QByteArray frame = bytes({0xB0, 0x01, 0x01});
        rig.answerWithCode(0x31, frame);
        rig.link->transaction(frame);
        QVERIFY(rig.link->state().errorFlag);
        QVERIFY(rig.rxLines().first().startsWith(QLatin1String("E3 31,")));
    }
    {
        Rig rig('C');
        rig.port->setRts(false);
        const QByteArray frame = bytes({0xB0, 0x02, 0x0F});
        rig.module().setRam(0x0F, 1);
        rig.answerWithCode(0x21, frame);
        rig.link->transaction(frame);
        QCOMPARE(rig.host.recalibration, QStringList{"erfolgreich"});
        QVERIFY(rig.port->rts());
        QCOMPARE(rig.device->frames().size(), 2);
    }
    {
        Rig rig('C');
        const QByteArray frame = bytes({0xB0, 0x02, 0x0F});
        rig.module().setRam(0x0F, 1);
        rig.answerWithCode(0x30, frame);
        rig.link->transaction(frame);
        QCOMPARE(rig.host.wakeUps, QList<bool>{true});
        QVERIFY(rig.port->rts());
    }
}

void TestModuleLink::errorFlagStopsEverything()
{
    Rig rig('B');
    rig.link->state().errorFlag = true;
    rig.link->transaction(bytes({0xB0, 0x00, 0x01}));
    QVERIFY(rig.device->frames().isEmpty());
    rig.log->flush();
    QVERIFY(rig.panes.tx.isEmpty());
    QVERIFY(rig.panes.rx.isEmpty());
}

void TestModuleLink::retryCounterWrapsAndTheLimitClosesThePort()
{
    Rig rig('B');
    rig.link->state().retryCounter = 0;
    EmulatorFault fault;
    fault.kind = FaultKind::Silent;
    rig.module().injectFault(fault);
    rig.link->transaction(bytes({0xB0, 0x00, 0x01}));
    QCOMPARE(rig.link->state().retryCounter, quint8(255));

    rig.link->state().errorFlag = false;
    rig.link->transaction(bytes({0xB0, 0x00, 0x01}));
    QCOMPARE(rig.link->state().retryCounter, quint8(0));
    QVERIFY(!rig.port->isOpen());
    QCOMPARE(rig.device->frames().size(), 1);
}

void TestModuleLink::startupReportSetsTheCalibrationStatus_data()
{
    QTest::addColumn<QByteArray>("report");
    QTest::addColumn<QString>("status");
    QTest::newRow("30 00 ok") << bytes({0x00, 0x30, 0x00}) << QStringLiteral("OK");
    QTest::newRow("32 01 sleep") << bytes({0x0D, 0x32, 0x01})
                                 << QStringLiteral("??? (Sleep nach Powerup eingestellt!)");
    QTest::newRow("two bytes 30 80") << bytes({0x30, 0x80}) << QStringLiteral("NOK");
    QTest::newRow("unknown status") << bytes({0x00, 0x30, 0x02}) << QString();
    QTest::newRow("wrong mark") << bytes({0x00, 0x31, 0x00}) << QString();
    QTest::newRow("one byte") << bytes({0x30}) << QString();
}

void TestModuleLink::startupReportSetsTheCalibrationStatus()
{
    QFETCH(QByteArray, report);
    QFETCH(QString, status);
    Rig rig('C');
    rig.host.caldata.clear();
    rig.module().emitReport(report, rig.device->nowMs());
    rig.link->dispatchAnswer();
    QCOMPARE(rig.host.caldata, status);
    QCOMPARE(rig.link->state().lastAnswer, report);
    QVERIFY(!rig.link->state().errorFlag);
    QCOMPARE(rig.link->state().retryCounter, quint8(5));
}

void TestModuleLink::startupReportBeforeALateClearCounts()
{
    // A PC that comes to the clear after the reopen only once the report has come: the clear is
    // for what came before the restart, not for the report.
    Rig rig('B');
    rig.device->setOpenReturnDelayMs(rig.module().config().bootDelayMs + 20);
    rig.host.caldata.clear();
    rig.port->close();
    powerUpModule(*rig.port, *rig.link, [](int) {});
    QCOMPARE(rig.host.caldata, QStringLiteral("OK"));
}

void TestModuleLink::unknownLetterReadsNothing()
{
    Rig rig('B');
    rig.link->transaction(bytes({0xB0, 0x00, 0x01}));
    rig.host.letter = QStringLiteral("A");
    rig.link->transaction(bytes({0xB0, 0x00, 0x02}));
    QVERIFY(!rig.link->state().errorFlag);
    QCOMPARE(rig.link->state().lastAnswer, bytes({0x00, 0x02}));
    QCOMPARE(rig.rxLines().mid(0, 2), (QStringList{"00,02,", "00,02,"}));
}

void TestModuleLink::receiveHandlerStaysOutDuringLinkControl()
{
    Rig rig('B');
    QObject::connect(rig.port.get(), &ComPort::bytesReceived, rig.link.get(),
                     &ModuleLink::receiveHandler);
    rig.host.linkControl = true;
    rig.module().emitReport(bytes({0x30, 0xA9}), rig.device->nowMs());
    rig.port->inputCount();
    QTRY_COMPARE(rig.port->inputCount(), 2);
    QTest::qWait(20);
    QVERIFY(rig.host.rssiMax.isEmpty());

    rig.host.linkControl = false;
    rig.module().emitReport(bytes({0x30, 0xA9}), rig.device->nowMs());
    rig.port->inputCount(); // the device learns of the report's coming
    QTRY_COMPARE(rig.host.rssiMax.size(), 1);
    // An unsolicited report pairs with an empty line in the TX log.
    QCOMPARE(rig.txLines().first(), QString());
    QCOMPARE(rig.port->inputCount(), 0);
}

void TestModuleLink::exchangeDropsStaleInputAndKeepsTheAnswer_data()
{
    QTest::addColumn<bool>("staleReport");
    QTest::addColumn<int>("writeMs");
    QTest::newRow("stale report before the frame") << true << 0;
    QTest::newRow("answer arrives while the write completes") << false << 30;
    QTest::newRow("both") << true << 30;
}

void TestModuleLink::exchangeDropsStaleInputAndKeepsTheAnswer()
{
    QFETCH(bool, staleReport);
    QFETCH(int, writeMs);
    Rig rig('B');
    rig.module().setRam(0x09, 0x42);
    if (staleReport) {
        // A maximum-RSSI report that came in before the frame is no answer to it.
        rig.module().emitReport(bytes({0x30, 0xA9}), rig.device->nowMs());
        QTRY_COMPARE(rig.port->inputCount(), 2);
    }
    // The module answers within about 3 ms, long before this write returns.
    rig.device->setWriteDurationMs(writeMs);
    rig.link->transaction(bytes({0xB0, 0x02, 0x09}));
    QVERIFY(!rig.link->state().errorFlag);
    QCOMPARE(rig.link->state().lastAnswer, bytes({0x02, 0x42}));
    QCOMPARE(rig.device->frames().size(), 1);
    QVERIFY(rig.host.rssiMax.isEmpty());
    QCOMPARE(rig.rxLines().first(), QStringLiteral("02,42,"));
    const QStringList events = rig.device->lineEventTexts();
    const qsizetype write = events.indexOf(QStringLiteral("write B0 02 09"));
    QVERIFY(write > 0);
    QCOMPARE(events.at(write - 1), QStringLiteral("clear in out"));
    // After the write only the output is cleared; the input holds the answer.
    QCOMPARE(events.at(write + 1), QStringLiteral("clear out"));
}

void TestModuleLink::endlessReportsEndInAFailedAnswer_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("value");
    QTest::newRow("maximum signal report") << 0x30 << 0xA9;
    QTest::newRow("recalibration successful") << 0x22 << 1;
    QTest::newRow("woken up") << 0x32 << 1;
}

void TestModuleLink::endlessReportsEndInAFailedAnswer()
{
    QFETCH(int, code);
    QFETCH(int, value);
    Rig rig('B');
    const QByteArray frame = bytes({0xB0, 0x02, 0x0A});
    rig.module().setRam(0x0A, quint8(value));
    EmulatorFault fault;
    fault.kind = FaultKind::WrongCode;
    fault.value = quint8(code);
    fault.count = -1;
    rig.module().injectFault(fault);
    rig.link->transaction(frame);
    // The first sending and 20 repeats; then the answer counts as failed.
    QCOMPARE(rig.device->frames().size(), 21);
    QVERIFY(rig.link->state().errorFlag);
    QCOMPARE(rig.link->state().retryCounter, quint8(4));
    QVERIFY(!rig.link->state().repeatFlag);
    const QStringList rx = rig.rxLines();
    QCOMPARE(rx.at(20), QStringLiteral("E3 ") + ExchangeLog::hexText(bytes({code, value})));
    QCOMPARE(rx.at(19), ExchangeLog::hexText(bytes({code, value})));

    // The caller's next pass starts with a fresh count of repeats.
    rig.module().clearFaults();
    rig.link->state().errorFlag = false;
    rig.link->transaction(frame);
    QVERIFY(!rig.link->state().errorFlag);
    QCOMPARE(rig.device->frames().size(), 22);
}

void TestModuleLink::answerToAnEarlierSendingIsNotTheNextFramesAnswer()
{
    // A busy module: its answer comes 30 ms after a report that made the frame go out again, and
    // the answer to the second sending follows once the module has handled that one.
    Rig rig('B');
    rig.module().config().processingDelayMs = 50;
    EmulatorFault fault;
    fault.kind = FaultKind::ReportBefore;
    fault.frame = bytes({0xB0, 0x00, 0x02});
    fault.report = bytes({0x30, 0xA9});
    fault.lateMs = 30;
    rig.module().injectFault(fault);
    rig.link->transaction(fault.frame);
    QCOMPARE(rig.link->state().lastAnswer, bytes({0x00, 0x03}));
    rig.link->transaction(bytes({0xB0, 0x00, 0x03}));
    QVERIFY(!rig.link->state().errorFlag);
    QCOMPARE(rig.link->state().lastAnswer, bytes({0x00, 0x0A}));
    QCOMPARE(rig.device->frames(),
             QList<QByteArray>({fault.frame, fault.frame, bytes({0xB0, 0x00, 0x03})}));
    QCOMPARE(rig.host.rssiMax, QList<int>{-87});
    // The answer of the earlier sending is read off before the next frame, on a line of its own.
    QCOMPARE(rig.txLines().mid(0, 4), QStringList({"B0,00,02,", "B0,00,02,", "", "B0,00,03,"}));
    QCOMPARE(rig.rxLines().mid(0, 4), QStringList({"30,A9,", "00,03,", "00,03,", "00,0A,"}));
}

QTEST_MAIN(TestModuleLink)
#include "tst_modulelink.moc"
