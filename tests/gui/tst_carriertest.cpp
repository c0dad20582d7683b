#include "support_window.h"

#include "rf/carriertest.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>

#include <functional>

namespace
{

const QString kWarning =
    QStringLiteral("Warning, configuration in RAM will be changed!\r\n(recovered after \"Stop\")");

// The RF-tests page's carrier group on a connected emulated module.
struct CarrierRig : WindowRig {
    explicit CarrierRig(const EmulatorConfig &config,
                        const std::function<void(ModuleEmulator &)> &beforeConnect = {})
        : WindowRig(config)
    {
        form->setLanguageIndex(1);
        if (beforeConnect)
            beforeConnect(device->emulator());
        connectModule();
        messages.clear();
        mark();
    }

    ModuleEmulator &module() { return device->emulator(); }
    QPushButton *start() const { return button("BtnStartHF_Test"); }
    QLineEdit *edit(const char *name) const { return find<QLineEdit>(name); }
    void setUp(const QString &modulation, const QString &mode, const QString &tx = {},
               const QString &rx = {})
    {
        choose("CBox_Mod_Test", modulation);
        choose("CBox_RX_TX_Switch_Test", mode);
        edit("Edit_TX_Time")->setText(tx);
        edit("Edit_RX_Time")->setText(rx);
    }

    // Frames of three bytes written since the last mark, as "B0 20 01".
    void mark() { m_mark = int(device->frames().size()); }
    QStringList commands() const
    {
        QStringList texts;
        const QList<QByteArray> frames = device->frames();
        for (int i = m_mark; i < frames.size(); ++i) {
            if (frames[i].size() == 3)
                texts << QString::fromLatin1(frames[i].toHex(' ').toUpper());
        }
        return texts;
    }
    QStringList switches() const { return commands().filter(QStringLiteral("B0 20 ")); }
    // Single pattern bytes written since the last mark.
    int patternWrites() const
    {
        int count = 0;
        const QList<QByteArray> frames = device->frames();
        for (int i = m_mark; i < frames.size(); ++i)
            count += frames[i].size() == 1 ? 1 : 0;
        return count;
    }
    bool timerRunning() const { return form->activities().timerSlot().isRunning(); }

    // Runs action once condition holds, looked at every 5 ms while events are processed, also
    // inside the alternation's waits. After 10 s the action runs anyway and the test fails.
    void whenTrue(std::function<bool()> condition, std::function<void()> action)
    {
        auto *timer = new QTimer(form.get());
        auto *elapsed = new QElapsedTimer;
        elapsed->start();
        QObject::connect(timer, &QTimer::timeout, timer, [=, this] {
            const bool met = condition();
            if (!met && elapsed->elapsed() < 10000)
                return;
            timedOut = !met;
            timer->stop();
            timer->deleteLater();
            delete elapsed;
            action();
        });
        timer->start(5);
    }

    bool timedOut = false;

private:
    int m_mark = 0;
};

EmulatorConfig moduleOfType(char type)
{
    EmulatorConfig config;
    config.type = type;
    return config;
}

} // namespace

class TestCarrierTest : public QObject
{
    Q_OBJECT
private slots:
    void bTransmitterByCommand();
    void bTransmitterByRts();
    void bAlternation_data();
    void bAlternation();
    void cStreamTransmitOnly();
    void cAlternation();
    void refusals_data();
    void refusals();
    void readOutWriteAndDisconnectStopTheStream();
    void portFailureEndsTheTestOnce_data();
    void portFailureEndsTheTestOnce();
    void closingTheWindowEndsTheAlternation();
    void timeFieldsLookActiveOnlyForAlternation();
    void silentModuleEndsTheTestWithOneMessage_data();
    void silentModuleEndsTheTestWithOneMessage();
    void timesOutsideTheirRangeAreRefused_data();
    void timesOutsideTheirRangeAreRefused();
    void stopDuringALongBurstClearsTheQueuedBytes();
};

void TestCarrierTest::bTransmitterByCommand()
{
    CarrierRig rig(moduleOfType('B'));
    QCOMPARE(rig.combo("CBox_Code_B")->currentText(), QStringLiteral("Manchester"));
    rig.find<QCheckBox>("CheckBox_EEPROM")->setChecked(true);
    rig.setUp(QStringLiteral("unmodulated"), QStringLiteral("Only TX"));
    rig.start()->click();

    // An unmodulated carrier needs a coding other than Manchester: NRZ goes to RAM only.
    QCOMPARE(rig.messages, QStringList{kWarning});
    QCOMPARE(rig.start()->text(), QStringLiteral("Stop"));
    QVERIFY(!rig.find<QCheckBox>("CheckBox_EEPROM")->isChecked());
    QVERIFY(rig.commands().contains(QStringLiteral("B0 0D 00")));
    QCOMPARE(rig.commands().last(), QStringLiteral("B0 20 01"));
    QCOMPARE(rig.module().ram(0x0D), quint8(0));
    QCOMPARE(rig.module().eeprom(0x0D), quint8(1));
    QVERIFY(rig.module().transmitterOn());
    QCOMPARE(rig.form->activities().txState(), 1);
    for (const char *name : {"CBox_Mod_Test", "CBox_RX_TX_Switch_Test"})
        QVERIFY(!rig.combo(name)->isEnabled());
    for (const char *name : {"Edit_TX_Time", "Edit_RX_Time"})
        QVERIFY(!rig.edit(name)->isEnabled());

    rig.mark();
    rig.start()->click();
    QCOMPARE(rig.commands().first(), QStringLiteral("B0 20 00"));
    QVERIFY(rig.commands().contains(QStringLiteral("B0 0D 01")));
    QVERIFY(!rig.module().transmitterOn());
    QCOMPARE(rig.module().ram(0x0D), quint8(1));
    QCOMPARE(rig.combo("CBox_Code_B")->currentText(), QStringLiteral("Manchester"));
    QCOMPARE(rig.start()->text(), QStringLiteral("Start"));
    QCOMPARE(rig.form->activities().txState(), 0);
    QVERIFY(rig.combo("CBox_Mod_Test")->isEnabled());
    QVERIFY(rig.edit("Edit_TX_Time")->isEnabled());
    QCOMPARE(rig.messages, QStringList{kWarning});
}

void TestCarrierTest::bTransmitterByRts()
{
    // UART coding with RX/TX switching "über TX_EN": the RTS line drives the transmitter.
    CarrierRig rig(moduleOfType('B'), [](ModuleEmulator &module) {
        module.setEeprom(0x0D, 2);
        module.setEeprom(0x10, 0);
    });
    rig.device->clearRecords();
    rig.setUp(QStringLiteral("unmodulated"), QStringLiteral("Only TX"));
    rig.start()->click();
    // Any coding but Manchester serves an unmodulated carrier: nothing is written.
    QCOMPARE(rig.messages, QStringList());
    QCOMPARE(rig.device->lineEventTexts(), QStringList{QStringLiteral("rts 0")});
    QVERIFY(rig.module().transmitterOn());

    rig.device->clearRecords();
    rig.start()->click();
    QCOMPARE(rig.device->lineEventTexts(), QStringList{QStringLiteral("rts 1")});
    QVERIFY(!rig.module().transmitterOn());
    QCOMPARE(rig.messages, QStringList());
}

void TestCarrierTest::bAlternation_data()
{
    QTest::addColumn<QString>("tx");
    QTest::addColumn<QString>("rx");
    QTest::addColumn<int>("stopAfterSwitches");
    QTest::newRow("short phases") << "20"
                                  << "15" << 6;
    QTest::newRow("Stop ends a long receive phase") << "20"
                                                    << "60000" << 2;
}

void TestCarrierTest::bAlternation()
{
    QFETCH(QString, tx);
    QFETCH(QString, rx);
    QFETCH(int, stopAfterSwitches);
    CarrierRig rig(moduleOfType('B'));
    rig.setUp(QStringLiteral("modulated"), QStringLiteral("RX and TX"), tx, rx);
    rig.whenTrue([&] { return rig.switches().size() >= stopAfterSwitches; },
                 [&] { rig.start()->click(); });
    // The click returns when the loop has ended.
    rig.start()->click();
    QVERIFY(!rig.timedOut);

    const QStringList switches = rig.switches();
    QVERIFY(switches.size() >= stopAfterSwitches + 2);
    // The phases alternate from transmit; Stop and the loop's end switch to receive.
    for (int i = 0; i < switches.size() - 2; ++i)
        QCOMPARE(switches[i], i % 2 == 0 ? QStringLiteral("B0 20 01") : QStringLiteral("B0 20 00"));
    QCOMPARE(switches.mid(switches.size() - 2),
             QStringList({QStringLiteral("B0 20 00"), QStringLiteral("B0 20 00")}));
    QVERIFY(!rig.module().transmitterOn());
    QVERIFY(!rig.timerRunning());
    QCOMPARE(rig.form->activities().txState(), 0);
    QCOMPARE(rig.start()->text(), QStringLiteral("Start"));
    QCOMPARE(rig.messages, QStringList());
}

void TestCarrierTest::cStreamTransmitOnly()
{
    CarrierRig rig(moduleOfType('C'));
    rig.find<QCheckBox>("CheckBox_EEPROM_C")->setChecked(true);
    rig.setUp(QStringLiteral("modulated"), QStringLiteral("Only TX"));
    rig.start()->click();
    // Handshake and fast-send on, CRC and RSSI telegrams off, in RAM only.
    QCOMPARE(rig.messages, QStringList{kWarning});
    QVERIFY(rig.commands().contains(QStringLiteral("B0 10 06")));
    QCOMPARE(rig.module().ram(0x10), quint8(6));
    QCOMPARE(rig.module().eeprom(0x10), quint8(0));
    QVERIFY(!rig.find<QCheckBox>("CheckBox_EEPROM_C")->isChecked());
    QVERIFY(rig.form->activities().carrierStreaming());

    // Each transmit-buffer-empty event feeds one more pattern byte.
    QTRY_VERIFY(rig.module().carrier().latest().bytes >= 50);
    QCOMPARE(rig.module().carrier().latest().unmodulated, 0);
    QCOMPARE(rig.module().carrier().latest().modulated, rig.module().carrier().latest().bytes);

    rig.mark();
    rig.start()->click();
    QVERIFY(!rig.form->activities().carrierStreaming());
    QVERIFY(rig.commands().contains(QStringLiteral("B0 10 00")));
    QCOMPARE(rig.module().ram(0x10), quint8(0));
    QCOMPARE(rig.combo("CBox_Data_C1")->currentIndex(), 0);
    QCOMPARE(rig.combo("CBox_Data_C2")->currentIndex(), 0);
    QVERIFY(!rig.find<QCheckBox>("CheckBox_EEPROM_C")->isChecked());
    QCOMPARE(rig.messages, QStringList{kWarning});
    QVERIFY(rig.switches().isEmpty());
}

void TestCarrierTest::cAlternation()
{
    // Data options at 6 already: no warning and no write at Start or Stop.
    CarrierRig rig(moduleOfType('C'), [](ModuleEmulator &module) { module.setEeprom(0x10, 6); });
    QCOMPARE(rig.combo("CBox_HFbaud_C")->currentText(), QStringLiteral("9600"));
    rig.setUp(QStringLiteral("unmodulated"), QStringLiteral("RX and TX"), QStringLiteral("100"),
              QStringLiteral("50"));
    rig.whenTrue([&] { return rig.patternWrites() >= 200; }, [&] { rig.start()->click(); });
    rig.start()->click();
    QVERIFY(!rig.timedOut);
    // 100 bytes at the start of every period: the bursts are whole.
    QVERIFY(rig.patternWrites() >= 200);
    QCOMPARE(rig.patternWrites() % 100, 0);
    QTRY_COMPARE(rig.module().carrier().totalBytes(), qint64(rig.patternWrites()));
    QCOMPARE(rig.module().carrier().latest().modulated, 0);
    QVERIFY(rig.commands().isEmpty());
    QVERIFY(!rig.timerRunning());
    QVERIFY(!rig.form->activities().carrierStreaming());
    QCOMPARE(rig.messages, QStringList());

    // 7 ms are too short at 9600: the message, then the test stops.
    rig.mark();
    rig.edit("Edit_TX_Time")->setText(QStringLiteral("7"));
    rig.start()->click();
    QCOMPARE(rig.messages, QStringList{QStringLiteral("Transmit time to short for this datarate")});
    QCOMPARE(rig.patternWrites(), 0);
    QCOMPARE(rig.start()->text(), QStringLiteral("Start"));
    QVERIFY(!rig.timerRunning());
}

enum class Setup {
    MonitorRunning,
    LinkControlRunning,
    NoModulation,
    ModuleRateDiffers,
    RadioNotSlower,
    TransmitTimeNotWhole,
    ReceiveTimeNotWhole,
    TimesEmpty,
};
Q_DECLARE_METATYPE(Setup)

void TestCarrierTest::refusals_data()
{
    QTest::addColumn<Setup>("setup");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<bool>("configurationTouched");

    QTest::newRow("monitor running")
        << Setup::MonitorRunning << QStringList{"Monitor is running, stop first!"} << false;
    QTest::newRow("LinkControl running")
        << Setup::LinkControlRunning << QStringList{"LinkControl is running, stop first!"} << false;
    QTest::newRow("no modulation chosen")
        << Setup::NoModulation << QStringList{"Choose configuration first!"} << false;
    QTest::newRow("module rate differs")
        << Setup::ModuleRateDiffers
        << QStringList{"RS232 datarate of PC and module must be the same!"} << false;
    QTest::newRow("PC rate not above the radio rate")
        << Setup::RadioNotSlower
        << QStringList{"For carrierout RS232 datarate must be higher than RF datarate"} << false;
    QTest::newRow("transmit time not whole")
        << Setup::TransmitTimeNotWhole << QStringList{"Transmit time: enter a whole number (ms)!"}
        << false;
    QTest::newRow("receive time not whole")
        << Setup::ReceiveTimeNotWhole << QStringList{"Receive time: enter a whole number (ms)!"}
        << false;
    // An empty time is found after the preparation; Stop undoes it.
    QTest::newRow("times empty") << Setup::TimesEmpty
                                 << QStringList{kWarning, "Enter transmit and receive time first"}
                                 << true;
}

void TestCarrierTest::refusals()
{
    QFETCH(Setup, setup);
    QFETCH(QStringList, expected);
    QFETCH(bool, configurationTouched);
    CarrierRig rig(moduleOfType('C'));
    rig.setUp(QStringLiteral("unmodulated"), QStringLiteral("RX and TX"), QStringLiteral("100"),
              QStringLiteral("50"));
    switch (setup) {
    case Setup::MonitorRunning:
        rig.button("BtnMonitor_Start")->setText(QStringLiteral("Stop"));
        break;
    case Setup::LinkControlRunning:
        rig.button("BtnStartLinkControl")->setText(QStringLiteral("Stop"));
        break;
    case Setup::NoModulation:
        rig.combo("CBox_Mod_Test")->setCurrentIndex(-1);
        break;
    case Setup::ModuleRateDiffers:
        rig.choose("CBox_RS232_baud_C", QStringLiteral("9600"));
        break;
    case Setup::RadioNotSlower:
        rig.choose("CBox_HFbaud_C", QStringLiteral("19200"));
        break;
    case Setup::TransmitTimeNotWhole:
        rig.edit("Edit_TX_Time")->setText(QStringLiteral("1,5"));
        break;
    case Setup::ReceiveTimeNotWhole:
        rig.edit("Edit_RX_Time")->setText(QStringLiteral("50 ms"));
        break;
    case Setup::TimesEmpty:
        rig.edit("Edit_RX_Time")->clear();
        break;
    }
    rig.start()->click();
    QCOMPARE(rig.messages, expected);
    QCOMPARE(rig.start()->text(), QStringLiteral("Start"));
    QVERIFY(rig.combo("CBox_RX_TX_Switch_Test")->isEnabled());
    QVERIFY(!rig.timerRunning());
    QCOMPARE(rig.patternWrites(), 0);
    QCOMPARE(rig.module().ram(0x10), quint8(0));
    QCOMPARE(rig.combo("CBox_Data_C2")->currentIndex(), 0);
    if (configurationTouched) {
        QCOMPARE(rig.commands().filter(QStringLiteral("B0 10 ")),
                 QStringList({QStringLiteral("B0 10 06"), QStringLiteral("B0 10 00")}));
    } else {
        QCOMPARE(rig.commands(), QStringList());
    }
}

void TestCarrierTest::readOutWriteAndDisconnectStopTheStream()
{
    CarrierRig rig(moduleOfType('C'));
    rig.setUp(QStringLiteral("unmodulated"), QStringLiteral("Only TX"));
    rig.start()->click();
    QTRY_VERIFY(rig.module().carrier().totalBytes() >= 20);

    // The read-out stops the stream (restoring the options), reads, and starts it anew.
    rig.mark();
    rig.button("BtnAuslesen")->click();
    const QStringList commands = rig.commands();
    const qsizetype restored = commands.indexOf(QStringLiteral("B0 10 00"));
    const qsizetype identified = commands.indexOf(QStringLiteral("B0 00 01"));
    const qsizetype prepared = commands.lastIndexOf(QStringLiteral("B0 10 06"));
    QVERIFY(restored >= 0 && restored < identified && identified < prepared);
    QVERIFY(rig.form->activities().carrierStreaming());
    QCOMPARE(rig.start()->text(), QStringLiteral("Stop"));
    const qint64 before = rig.module().carrier().totalBytes();
    QTRY_VERIFY(rig.module().carrier().totalBytes() >= before + 20);

    // So does the configuration write.
    rig.mark();
    rig.button("BtnKonfigurieren")->click();
    QVERIFY(rig.commands().indexOf(QStringLiteral("B0 10 00")) <
            rig.commands().lastIndexOf(QStringLiteral("B0 10 06")));
    QVERIFY(rig.form->activities().carrierStreaming());
    const qint64 afterWrite = rig.module().carrier().totalBytes();
    QTRY_VERIFY(rig.module().carrier().totalBytes() >= afterWrite + 20);
    QCOMPARE(rig.messages, QStringList({kWarning, kWarning, kWarning}));

    // Disconnect stops the test before the port closes: the options go back first.
    rig.mark();
    rig.button("BtnTrennen")->click();
    QVERIFY(!rig.form->activities().carrierStreaming());
    QCOMPARE(rig.start()->text(), QStringLiteral("Start"));
    QCOMPARE(rig.commands().last(), QStringLiteral("B0 10 00"));
    QCOMPARE(rig.module().ram(0x10), quint8(0));
    QVERIFY(!rig.form->port().isOpen());
    QCOMPARE(rig.messages.size(), 3);
}

enum class Failure { StreamLineLost, StreamWriteFails, AlternationLineLost, CAlternationLineLost };
Q_DECLARE_METATYPE(Failure)

void TestCarrierTest::portFailureEndsTheTestOnce_data()
{
    QTest::addColumn<Failure>("failure");
    QTest::addColumn<QString>("report");
    QTest::newRow("C stream, line lost")
        << Failure::StreamLineLost
        << QStringLiteral("ReadFile function failed (win error code: 5)\r\nInput/output error: the "
                          "adapter was unplugged or the line failed; plug it in and connect again");
    QTest::newRow("C stream, a write fails")
        << Failure::StreamWriteFails
        << QStringLiteral(
               "WriteFile function failed (win error code: 5)\r\nInput/output error: the adapter "
               "was unplugged or the line failed; plug it in and connect again");
    QTest::newRow("B alternation, line lost")
        << Failure::AlternationLineLost
        << QStringLiteral("ReadFile function failed (win error code: 5)\r\nInput/output error: the "
                          "adapter was unplugged or the line failed; plug it in and connect again");
    // The bursts write nothing to a closed line, and the alternation ends with the line.
    QTest::newRow("C alternation, line lost")
        << Failure::CAlternationLineLost
        << QStringLiteral("ReadFile function failed (win error code: 5)\r\nInput/output error: the "
                          "adapter was unplugged or the line failed; plug it in and connect again");
}

void TestCarrierTest::portFailureEndsTheTestOnce()
{
    QFETCH(Failure, failure);
    QFETCH(QString, report);
    const bool stream = failure == Failure::StreamLineLost || failure == Failure::StreamWriteFails;
    CarrierRig rig(moduleOfType(failure == Failure::AlternationLineLost ? 'B' : 'C'));
    if (failure == Failure::CAlternationLineLost) {
        rig.setUp(QStringLiteral("unmodulated"), QStringLiteral("RX and TX"), QStringLiteral("20"),
                  QStringLiteral("20"));
        rig.whenTrue([&] { return rig.module().carrier().totalBytes() >= 10; },
                     [&] {
                         rig.messages.clear();
                         rig.device->simulateLoss(PortOperation::Read, 5);
                     });
        rig.start()->click();
        QVERIFY(!rig.timedOut);
    } else if (stream) {
        rig.setUp(QStringLiteral("unmodulated"), QStringLiteral("Only TX"));
        rig.start()->click();
        QTRY_VERIFY(rig.module().carrier().totalBytes() >= 10);
        rig.messages.clear();
        if (failure == Failure::StreamLineLost)
            rig.device->simulateLoss(PortOperation::Read, 5);
        else
            rig.device->failNext(PortOperation::Write, 5);
        QTRY_COMPARE(rig.start()->text(), QStringLiteral("Start"));
    } else {
        rig.setUp(QStringLiteral("modulated"), QStringLiteral("RX and TX"), QStringLiteral("20"),
                  QStringLiteral("20"));
        rig.whenTrue([&] { return rig.switches().size() >= 3; },
                     [&] { rig.device->simulateLoss(PortOperation::Read, 5); });
        rig.start()->click();
        QVERIFY(!rig.timedOut);
    }
    QCOMPARE(rig.messages, QStringList{report});
    QCOMPARE(rig.start()->text(), QStringLiteral("Start"));
    QVERIFY(!rig.timerRunning());
    QVERIFY(!rig.form->activities().carrierStreaming());
    QCOMPARE(rig.form->activities().txState(), 0);
    QVERIFY(rig.combo("CBox_Mod_Test")->isEnabled());
    // After the failure has been shown the window disconnects, whatever failed.
    QVERIFY(!rig.form->port().isOpen());
    QVERIFY(rig.button("BtnVerbinden")->isEnabled());
}

void TestCarrierTest::closingTheWindowEndsTheAlternation()
{
    CarrierRig rig(moduleOfType('B'));
    rig.setUp(QStringLiteral("modulated"), QStringLiteral("RX and TX"), QStringLiteral("60000"),
              QStringLiteral("20"));
    rig.whenTrue([&] { return !rig.switches().isEmpty(); }, [&] { rig.form->close(); });
    rig.start()->click();
    QVERIFY(!rig.timedOut);
    QVERIFY(!rig.timerRunning());
    QVERIFY(!rig.form->carrier().loopActive());
    QCOMPARE(rig.switches().last(), QStringLiteral("B0 20 00"));
    QVERIFY(!rig.module().transmitterOn());
}

void TestCarrierTest::timeFieldsLookActiveOnlyForAlternation()
{
    CarrierRig rig(moduleOfType('B'));
    auto *edit = rig.edit("Edit_TX_Time");
    const QColor window = QApplication::palette(edit).color(QPalette::Base);
    QVERIFY(!rig.find<QLabel>("Label_TX_Time")->isEnabled());
    QVERIFY(edit->palette().color(QPalette::Base) != window);

    rig.choose("CBox_RX_TX_Switch_Test", QStringLiteral("RX and TX"));
    for (const char *name :
         {"Label_RX_Time", "Label_TX_Time", "Label_RX_Time_Einheit", "Label_TX_Time_Einheit"})
        QVERIFY2(rig.find<QLabel>(name)->isEnabled(), name);
    QCOMPARE(rig.edit("Edit_RX_Time")->palette().color(QPalette::Base), window);
    QCOMPARE(edit->palette().color(QPalette::Base), window);

    rig.choose("CBox_RX_TX_Switch_Test", QStringLiteral("Only TX"));
    QVERIFY(!rig.find<QLabel>("Label_RX_Time")->isEnabled());
    QVERIFY(edit->palette().color(QPalette::Base) != window);
    // Only Start and Stop change whether the fields can be edited.
    QVERIFY(edit->isEnabled());
}

void TestCarrierTest::silentModuleEndsTheTestWithOneMessage_data()
{
    QTest::addColumn<QString>("mode");
    QTest::addColumn<int>("switchesBeforeSilence");
    QTest::newRow("alternation: the module goes silent in the middle") << "RX and TX" << 3;
    QTest::newRow("transmit only: the switch to transmit is not answered") << "Only TX" << 0;
}

void TestCarrierTest::silentModuleEndsTheTestWithOneMessage()
{
    QFETCH(QString, mode);
    QFETCH(int, switchesBeforeSilence);
    // NRZ coding with RX/TX switching by command.
    CarrierRig rig(moduleOfType('B'), [](ModuleEmulator &module) { module.setEeprom(0x0D, 0); });
    QVERIFY(rig.form->shared().RxTxSwitchByCommand);
    // Phases far longer than the 5 ms in which the fault is injected after a switch.
    rig.setUp(QStringLiteral("unmodulated"), mode, QStringLiteral("300"), QStringLiteral("300"));
    EmulatorFault silence;
    silence.kind = FaultKind::Silent;
    silence.frame = QByteArray::fromHex("B020");
    silence.count = -1;
    if (switchesBeforeSilence == 0)
        rig.module().injectFault(silence);
    else
        rig.whenTrue([&] { return rig.switches().size() >= switchesBeforeSilence; },
                     [&] { rig.module().injectFault(silence); });
    rig.start()->click();
    QVERIFY(!rig.timedOut);
    // The first switch whose attempts all fail ends the test: once the message, nothing from
    // the port, and no second attempt to switch a module that does not answer.
    QCOMPARE(rig.messages, QStringList{kTransmissionErrorEn});
    const QStringList switches = rig.switches();
    QCOMPARE(switches.size(), switchesBeforeSilence + 5);
    const QString failed =
        switchesBeforeSilence % 2 == 0 ? QStringLiteral("B0 20 01") : QStringLiteral("B0 20 00");
    QCOMPARE(switches.mid(switchesBeforeSilence), QStringList(5, failed));
    QCOMPARE(rig.start()->text(), QStringLiteral("Start"));
    QVERIFY(!rig.timerRunning());
    QVERIFY(!rig.form->carrier().loopActive());
    QCOMPARE(rig.form->activities().txState(), 0);
    QVERIFY(rig.button("BtnVerbinden")->isEnabled());
    QVERIFY(!rig.form->port().isOpen());
    QCOMPARE(rig.combo("CBox_Code_B")->currentIndex(), 0);
}

void TestCarrierTest::timesOutsideTheirRangeAreRefused_data()
{
    QTest::addColumn<QString>("tx");
    QTest::addColumn<QString>("rx");
    QTest::addColumn<QString>("message");
    const QString transmit =
        QStringLiteral("Transmit time: only values from 1 to 60000 ms allowed!");
    const QString receive = QStringLiteral("Receive time: only values from 1 to 60000 ms allowed!");
    QTest::newRow("largest int") << "2147483647"
                                 << "50" << transmit;
    QTest::newRow("a thousand million") << "1000000000"
                                        << "50" << transmit;
    QTest::newRow("just above a minute") << "60001"
                                         << "50" << transmit;
    QTest::newRow("no transmit time") << "0"
                                      << "50" << transmit;
    QTest::newRow("negative receive time") << "100"
                                           << "-50" << receive;
    QTest::newRow("smallest int") << "100"
                                  << "-2147483648" << receive;
}

void TestCarrierTest::timesOutsideTheirRangeAreRefused()
{
    QFETCH(QString, tx);
    QFETCH(QString, rx);
    QFETCH(QString, message);
    CarrierRig rig(moduleOfType('C'));
    rig.setUp(QStringLiteral("unmodulated"), QStringLiteral("RX and TX"), tx, rx);
    rig.start()->click();
    QCOMPARE(rig.messages, QStringList{message});
    QCOMPARE(rig.start()->text(), QStringLiteral("Start"));
    QVERIFY(!rig.timerRunning());
    QCOMPARE(rig.patternWrites(), 0);
    QCOMPARE(rig.commands(), QStringList());
}

void TestCarrierTest::stopDuringALongBurstClearsTheQueuedBytes()
{
    // A minute of transmit time at radio 9600 is a burst of about 64000 bytes, far more than
    // the line carries before the user stops.
    CarrierRig rig(moduleOfType('C'), [](ModuleEmulator &module) { module.setEeprom(0x10, 6); });
    rig.setUp(QStringLiteral("unmodulated"), QStringLiteral("RX and TX"), QStringLiteral("60000"),
              QStringLiteral("20"));
    rig.device->clearRecords();
    QTimer::singleShot(0, rig.form.get(), [&] { rig.start()->click(); });
    rig.start()->click();
    QCOMPARE(rig.start()->text(), QStringLiteral("Start"));
    QVERIFY(!rig.timerRunning());
    QVERIFY(!rig.form->carrier().loopActive());
    // Stop came in while the burst was being written, and cleared what was queued for the line
    // before the module was switched back to receive.
    QVERIFY2(rig.patternWrites() < 1000, qPrintable(QString::number(rig.patternWrites())));
    const QStringList events = rig.device->lineEventTexts();
    qsizetype lastPattern = -1;
    for (qsizetype i = 0; i < events.size(); ++i) {
        if (events[i] == QLatin1String("write FF"))
            lastPattern = i;
    }
    QVERIFY(lastPattern >= 0);
    const QStringList after = events.mid(lastPattern + 1);
    QVERIFY2(!after.isEmpty() && after.first() == QLatin1String("clear out"),
             qPrintable(after.join(QLatin1Char('|'))));
    QCOMPARE(rig.messages, QStringList());
}

QTEST_MAIN(TestCarrierTest)
#include "tst_carriertest.moc"
