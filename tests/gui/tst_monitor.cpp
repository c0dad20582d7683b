#include "support_window.h"

#include "module/moduledata.h"
#include "monitor/dlg_frq.h"
#include "monitor/monitorhandlers.h"
#include "monitor/monitorsweep.h"
#include "monitor/spectrumview.h"

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QSlider>
#include <QTabWidget>
#include <QTimer>

#include <functional>

namespace
{

QByteArray frame(int code, int param)
{
    return QByteArray::fromHex("B0") + char(quint8(code)) + char(quint8(param));
}

// Items selected in the 30 channel boxes, slot 1 first; -1 for an inactive slot.
QList<int> slotItems(const WindowRig &rig)
{
    QList<int> items;
    for (int n = 1; n <= 30; ++n)
        items << rig.combo(qPrintable(QStringLiteral("CBoxMonitor_C%1").arg(n)))->currentIndex();
    return items;
}

QList<int> planned(const QList<int> &items)
{
    QList<int> all = items;
    while (all.size() < 30)
        all << -1;
    return all;
}

QString labelText(const WindowRig &rig, const char *name)
{
    return rig.find<QLabel>(name)->text();
}

// Answers the frequency dialog once it is shown: fills both edits and presses OK or Cancel.
void answerDialog(const QString &centre, const QString &span, bool ok)
{
    QTimer::singleShot(0, [centre, span, ok] {
        auto *dialog = qobject_cast<TDlg_frq *>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        dialog->EditDlg_Frq_Center->setText(centre);
        dialog->EditDlg_Frq_Span->setText(span);
        (ok ? dialog->OKBtn : dialog->CancelBtn)->click();
    });
}

// Runs a function after each completed sweep while the monitor runs; stops a run that goes on
// for far too long so that a faulty loop ends the test instead of hanging it.
struct SweepHook {
    SweepHook(const WindowRig &rig, std::function<void(int)> each)
    {
        sweep = rig.form->monitorHandlers().sweep();
        start = rig.button("BtnMonitor_Start");
        QObject::connect(sweep, &MonitorSweep::sweepCompleted, sweep, [this, each] {
            ++count;
            if (each)
                each(count);
            if (count >= 200 && start->text() == QLatin1String("Stop"))
                start->click();
        });
    }
    ~SweepHook() { QObject::disconnect(sweep, &MonitorSweep::sweepCompleted, nullptr, nullptr); }

    MonitorSweep *sweep;
    QPushButton *start;
    int count = 0;
};

EmulatorConfig spectrumModule()
{
    EmulatorConfig config; // a C module in the 868 MHz band
    config.spectrum.carriers = {{3, -60}, {24, -75}};
    config.spectrum.settleMs = 2;
    config.processingDelayMs = 0.2;
    return config;
}

} // namespace

class TestMonitor : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void autosetAndClear_data();
    void autosetAndClear();
    void frequencyDialog_data();
    void frequencyDialog();
    void sweepStartStopAndDisplay();
    void receiveErrorStop_data();
    void receiveErrorStop();
    void refusedStarts();
    void planButtonsWhileRunning();
    void disconnectDuringSweep_data();
    void disconnectDuringSweep();
    void closingStopsTheSweep();
    void exportHoldsOneRowPerActiveSlotPerSweep();
};

void TestMonitor::initTestCase()
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
}

void TestMonitor::autosetAndClear_data()
{
    QTest::addColumn<QString>("band");
    QTest::addColumn<double>("rbw");
    QTest::addColumn<QString>("rbwLine");
    QTest::addColumn<QString>("status");
    QTest::addColumn<int>("slot30");
    QTest::newRow("433 MHz, RBW 25.6") << "433" << 25.6 << "25.6kHz / 57.92kHz"
                                       << "Step > RBW!" << 136;
    QTest::newRow("433 MHz, RBW 102.4") << "433" << 102.4 << "102.4kHz / 57.92kHz"
                                        << "" << 136;
    QTest::newRow("868 MHz, RBW 51.2") << "868" << 51.2 << "51.2kHz / 66.25kHz"
                                       << "Step > RBW!" << 156;
}

void TestMonitor::autosetAndClear()
{
    QFETCH(QString, band);
    QFETCH(double, rbw);
    QFETCH(QString, rbwLine);
    QFETCH(QString, status);
    QFETCH(int, slot30);

    EmulatorConfig config;
    config.band = band.toInt();
    WindowRig rig(config);
    rig.form->setLanguageIndex(1);
    rig.connectModule();
    rig.form->setReceiverBandwidthForTest(rbw);
    rig.find<QSlider>("TBarMonitor_Tempo")->setValue(3);
    rig.find<QSlider>("TBarMonitor_Mittlung")->setValue(7);
    rig.find<QSlider>("TBarMonitor_peak")->setValue(2);

    rig.button("BtnMonitor_Autoset")->click();
    const QList<int> items = slotItems(rig);
    QCOMPARE(items.first(), 2);
    QCOMPARE(items.last(), slot30);
    QVERIFY(!items.contains(-1));
    QCOMPARE(labelText(rig, "LabelMonitor_RBW"), rbwLine);
    QCOMPARE(labelText(rig, "LabelMonitor_Status"), status);
    QCOMPARE(labelText(rig, "LabelMonitor_CenterFrq"),
             band == "433" ? QStringLiteral("433.925MHz") : QStringLiteral("869.000MHz"));
    QCOMPARE(labelText(rig, "LabelMonitor_Span"),
             band == "433" ? QStringLiteral("1675kHz") : QStringLiteral("1925kHz"));
    QCOMPARE(rig.find<QSlider>("TBarMonitor_Tempo")->value(), 10);
    QCOMPARE(rig.find<QSlider>("TBarMonitor_Mittlung")->value(), 0);
    QCOMPARE(rig.find<QSlider>("TBarMonitor_peak")->value(), 10);

    rig.find<QLineEdit>("EditMonitor_Peak")->setText(QStringLiteral("-70dBm"));
    rig.find<QProgressBar>("GaugeMonitor_akt_C4")->setValue(-90);
    rig.button("BtnMonitor_FrqClear")->click();
    QCOMPARE(slotItems(rig), planned({}));
    QCOMPARE(rig.combo("CBoxMonitor_C1")->currentText(), QString());
    QCOMPARE(rig.find<QProgressBar>("GaugeMonitor_akt_C4")->value(), -128);
    for (const char *name : {"LabelMonitor_CenterFrq", "LabelMonitor_Span", "LabelMonitor_Status"})
        QCOMPARE(labelText(rig, name), QString());
    QCOMPARE(rig.text("EditMonitor_Peak"), QString());
    QCOMPARE(labelText(rig, "LabelMonitor_RBW"), rbwLine); // keeps its text
    QCOMPARE(rig.messages, QStringList());
}

void TestMonitor::frequencyDialog_data()
{
    QTest::addColumn<int>("language");
    QTest::addColumn<QString>("type");
    QTest::addColumn<int>("rateItem"); // channel width (B) or radio rate (C); -1 none
    QTest::addColumn<QString>("centre");
    QTest::addColumn<QString>("span");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<QList<int>>("items");
    QTest::addColumn<QString>("centreLabel");
    QTest::addColumn<QString>("rbwLine");

    QList<int> every8;
    for (int i = 2; i <= 130; i += 8)
        every8 << i;
    QTest::newRow("17 slots at 100 kHz step")
        << 1 << "B" << 4 << "433.925"
        << "1675" << true << QStringList{} << every8 << "433.925MHz"
        << "102.4kHz / 100kHz";
    QTest::newRow("too many channels for the bandwidth")
        << 1 << "B" << 2 << "433.925"
        << "1675" << true
        << QStringList{"Span to small for actual RBW!\r\n(Reduce span or raise radio datarate)"}
        << QList<int>{} << ""
        << "";
    QTest::newRow("lower band edge, C module at 2400")
        << 1 << "C" << 1 << "433.1"
        << "100" << true
        << QStringList{"Lowest valid frequency = 433.0625MHz\r\n=> Span to large, lower end is cut"}
        << QList<int>{0, 1, 2, 3, 4, 5, 6, 7} << "433.1MHz"
        << "";
    QTest::newRow("both edges, German, lower one first")
        << 0 << "B" << 4 << "433.925"
        << "1990" << true
        << QStringList{"Tiefste einstellbare Frequenz = 433.0625MHz\r\n=> Span zu gross, unterer "
                       "Bereich wird abgeschnitten",
                       "Höchste einstellbare Frequenz = 434.7875MHz\r\n=> Span zu groß, oberes "
                       "Ende wird abgeschnitten"}
        << QList<int>{0, 8, 16, 24, 32, 40, 48, 56, 64, 72, 80, 88, 96, 104, 112, 120, 128, 136}
        << "433.925MHz"
        << "";
    QTest::newRow("span wholly below the band")
        << 1 << "B" << 0 << "432"
        << "100" << true
        << QStringList{"Lowest valid frequency = 433.0625MHz\r\n=> Span to large, lower end is cut"}
        << QList<int>{} << "432MHz"
        << "";
    QTest::newRow("cancel") << 1 << "B" << 4 << "434"
                            << "300" << false << QStringList{} << QList<int>{} << ""
                            << "";
    QTest::newRow("empty span") << 0 << "B" << 4 << "434"
                                << "" << true << QStringList{"Eingabe nicht korrekt!"}
                                << QList<int>{} << ""
                                << "";
    QTest::newRow("centre not a number")
        << 1 << "B" << 4 << "434,0x"
        << "300" << true
        << QStringList{"Invalid entry!\r\n(Enter the center in MHz and the span in kHz as "
                       "numbers)"}
        << QList<int>{} << ""
        << "";
    QTest::newRow("negative span")
        << 1 << "B" << 4 << "434"
        << "-300" << true << QStringList{"Invalid entry!\r\n(The span must not be negative)"}
        << QList<int>{} << ""
        << "";
    QTest::newRow("centre beyond the 16-bit range")
        << 1 << "B" << 4 << "1000000"
        << "300" << true << QStringList{"Center frequency or span out of range!"} << QList<int>{}
        << ""
        << "";
    QTest::newRow("C module at a rate without a step")
        << 1 << "C" << 6 << "434"
        << "300" << true
        << QStringList{"No monitor step for the configured radio datarate!\r\n(Choose a datarate "
                       "up to 38400)"}
        << QList<int>{} << ""
        << "";
    QTest::newRow("B module without a channel width")
        << 1 << "B" << -1 << "434"
        << "300" << true << QStringList{"No channel width configured!"} << QList<int>{} << ""
        << "";
}

void TestMonitor::frequencyDialog()
{
    QFETCH(int, language);
    QFETCH(QString, type);
    QFETCH(int, rateItem);
    QFETCH(QString, centre);
    QFETCH(QString, span);
    QFETCH(bool, ok);
    QFETCH(QStringList, messages);
    QFETCH(QList<int>, items);
    QFETCH(QString, centreLabel);
    QFETCH(QString, rbwLine);

    // No module needed: the plan reads the module record and the configuration controls.
    WindowRig rig;
    rig.form->setLanguageIndex(language);
    rig.find<QLineEdit>("Edit_SW_Typ")->setText(type);
    rig.find<QLineEdit>("Edit_Frq_Version")->setText(QStringLiteral("433"));
    QComboBox *rate = rig.combo(type == "C" ? "CBox_HFbaud_C" : "CBox_K_breite_B");
    if (rateItem >= rate->count())
        rate->addItem(QStringLiteral("76800"));
    rate->setCurrentIndex(rateItem);
    rig.form->setReceiverBandwidthForTest(102.4);
    rig.button("BtnMonitor_Autoset")->click(); // a plan that the frequency set clears first

    answerDialog(centre, span, ok);
    rig.button("BtnMonitor_FrqSet")->click();
    TDlg_frq *dialog = rig.form->monitorHandlers().dialog();
    QCOMPARE(dialog->windowTitle(), language == 0 ? QStringLiteral("Frequenzeinstellung")
                                                  : QStringLiteral("Set frequency"));
    QCOMPARE(dialog->LabelCenter->text(), language == 0 ? QStringLiteral("Center-Frequenz")
                                                        : QStringLiteral("Center frequency"));
    QCOMPARE(rig.messages, messages);
    QCOMPARE(slotItems(rig), planned(items));
    QCOMPARE(labelText(rig, "LabelMonitor_CenterFrq"), centreLabel);
    QCOMPARE(labelText(rig, "LabelMonitor_Span"),
             centreLabel.isEmpty() ? QString() : span + QStringLiteral("kHz"));
    QCOMPARE(labelText(rig, "LabelMonitor_Status"), QString());
    if (!rbwLine.isEmpty())
        QCOMPARE(labelText(rig, "LabelMonitor_RBW"), rbwLine);
    // The edits keep their text for the next opening.
    QCOMPARE(dialog->EditDlg_Frq_Center->text(), centre);
}

void TestMonitor::sweepStartStopAndDisplay()
{
    WindowRig rig(spectrumModule());
    rig.form->setLanguageIndex(1);
    rig.connectModule();
    const int rxItem = rig.combo("CBox_Frq_RX_C")->currentIndex();
    auto *tabs = rig.find<QTabWidget>("PageControl1");
    tabs->setCurrentWidget(rig.find<QWidget>("Monitor"));
    // Slot 1 on the carrier at channel 3, slot 2 on an empty channel, slot 5 on channel 24.
    rig.choose("CBoxMonitor_C1", rig.combo("CBoxMonitor_C1")->itemText(2));
    rig.choose("CBoxMonitor_C2", rig.combo("CBoxMonitor_C2")->itemText(9));
    rig.choose("CBoxMonitor_C5", rig.combo("CBoxMonitor_C5")->itemText(23));
    rig.button("BtnMonitor_Spektrum")->click();
    rig.device->clearRecords();

    const MmTimerSlot &timer = rig.form->activities().timerSlot();
    bool runningStateSeen = false;
    SweepHook hook(rig, [&](int sweeps) {
        if (sweeps == 1) {
            runningStateSeen = timer.isRunning() && rig.form->port().readTimeout() == 15 &&
                               !rig.form->port().rts() &&
                               !rig.find<QSlider>("TBarMonitor_peak")->isEnabled();
            // The window answers while the sweep runs: pages, track bars, labels.
            tabs->setCurrentWidget(rig.find<QWidget>("Modulinfo"));
            tabs->setCurrentWidget(rig.find<QWidget>("Monitor"));
            QTest::mouseClick(rig.find<QLabel>("LabelMonitorC5"), Qt::LeftButton);
        }
        if (sweeps == 2)
            rig.choose("CBoxLanguage", QStringLiteral("Deutsch")); // the sweep goes on
        if (sweeps == 4)
            rig.button("BtnMonitor_Start")->click(); // stop after the current slot
    });
    rig.button("BtnMonitor_Start")->click();

    QCOMPARE(rig.messages, QStringList());
    QCOMPARE(hook.count, 4);
    QVERIFY(runningStateSeen);
    QCOMPARE(rig.find<QLabel>("LabelSpeed")->text(), QStringLiteral("Messgeschwindigkeit"));
    QCOMPARE(rig.button("BtnMonitor_Spektrum")->text(), QStringLiteral("Spektrum"));
    QCOMPARE(rig.button("BtnMonitor_Start")->text(), QStringLiteral("Start"));
    QVERIFY(!timer.isRunning());
    QCOMPARE(rig.form->port().readTimeout(), 500);
    QVERIFY(rig.form->port().rts());
    QVERIFY(rig.find<QSlider>("TBarMonitor_peak")->isEnabled());

    // The first tune goes to slot 1's channel, then each active slot is tuned and measured, and
    // the end tunes back to the configured receive channel.
    const QList<QByteArray> frames = rig.device->frames();
    QCOMPARE(frames.first(), frame(0x09, 3));
    QCOMPARE(frames.last(), frame(0x09, rxItem + 1));
    const QList<QByteArray> oneSweep{frame(0x09, 3), frame(0x01, 0),  frame(0x09, 10),
                                     frame(0x01, 0), frame(0x09, 24), frame(0x01, 0)};
    QCOMPARE(frames.mid(1, 6), oneSweep);
    QCOMPARE(frames.size(), 1 + 4 * 6 + 1);

    const auto bar = [&rig](const char *name) { return rig.find<QProgressBar>(name)->value(); };
    QVERIFY(bar("GaugeMonitor_akt_C1") >= -62);
    QVERIFY(bar("GaugeMonitor_akt_C2") <= -113);
    QVERIFY(bar("GaugeMonitor_akt_C5") >= -77 && bar("GaugeMonitor_akt_C5") <= -73);
    QCOMPARE(bar("GaugeMonitor_akt_C3"), -128);
    QCOMPARE(rig.combo("CBoxMonitor_Messung")->currentText(), QStringLiteral("C5"));
    QCOMPARE(rig.text("EditMonitor_Momentan"), QString::number(bar("GaugeMonitor_akt_C5")) + "dBm");
    QCOMPARE(rig.text("EditMonitor_Peak"), QString::number(bar("GaugeMonitor_peak_C5")) + "dBm");

    SpectrumView *view = rig.form->monitorHandlers().spectrumView();
    QVERIFY(view && view->isVisible());
    QCOMPARE(view->categories(), (QStringList{"868.0375", "868.1250", "868.3000"}));
    QCOMPARE(view->levels(), (QList<int>{bar("GaugeMonitor_akt_C1"), bar("GaugeMonitor_akt_C2"),
                                         bar("GaugeMonitor_akt_C5")}));

    // Typed text that names no slot empties the display; the peak reset drops every bar.
    QComboBox *display = rig.combo("CBoxMonitor_Messung");
    display->lineEdit()->clear();
    QTest::keyClicks(display->lineEdit(), QStringLiteral("C99"));
    QCOMPARE(rig.text("EditMonitor_Momentan"), QString());
    QCOMPARE(rig.text("EditMonitor_Peak"), QString());
    rig.button("BtnMonitor_peakReset")->click();
    QCOMPARE(bar("GaugeMonitor_peak_C1"), -128);
    QTest::mouseClick(rig.find<QLabel>("LabelMonitorC1"), Qt::LeftButton);
    QCOMPARE(rig.text("EditMonitor_Momentan"), QStringLiteral("-128dBm"));
    QCOMPARE(rig.text("EditMonitor_Peak"), QStringLiteral("-128dBm"));
}

void TestMonitor::receiveErrorStop_data()
{
    QTest::addColumn<int>("failures");
    QTest::addColumn<bool>("stops");
    QTest::newRow("five active slots fail in a row") << 5 << true;
    QTest::newRow("four failures then a success go on") << 4 << false;
}

void TestMonitor::receiveErrorStop()
{
    QFETCH(int, failures);
    QFETCH(bool, stops);

    WindowRig rig(spectrumModule());
    rig.form->setLanguageIndex(1);
    rig.connectModule();
    for (int n = 1; n <= 3; ++n)
        rig.choose(qPrintable(QStringLiteral("CBoxMonitor_C%1").arg(n)),
                   rig.combo("CBoxMonitor_C1")->itemText(n * 10));
    // The module stops answering signal-strength queries.
    EmulatorFault fault;
    fault.kind = FaultKind::Silent;
    fault.frame = QByteArray::fromHex("B001");
    fault.count = failures;
    rig.device->emulator().injectFault(fault);
    rig.device->clearRecords();

    SweepHook hook(rig, [&rig](int sweeps) {
        if (sweeps == 3)
            rig.button("BtnMonitor_Start")->click();
    });
    rig.button("BtnMonitor_Start")->click();

    QCOMPARE(rig.messages, stops ? QStringList{"Receive error"} : QStringList{});
    QCOMPARE(hook.count, stops ? 1 : 3);
    QCOMPARE(rig.button("BtnMonitor_Start")->text(), QStringLiteral("Start"));
    QVERIFY(!rig.form->activities().timerSlot().isRunning());
    const QList<QByteArray> frames = rig.device->frames();
    // After the stop the module is still tuned back to its receive channel.
    QCOMPARE(frames.last(), frame(0x09, rig.combo("CBox_Frq_RX_C")->currentIndex() + 1));
    QCOMPARE(frames.count(frame(0x01, 0)), stops ? 5 : 9);
    QVERIFY(rig.form->port().isOpen());
}

void TestMonitor::refusedStarts()
{
    WindowRig rig(spectrumModule());
    rig.form->setLanguageIndex(0);
    rig.connectModule();
    rig.device->clearRecords();

    rig.find<QPushButton>("BtnStartLinkControl")->setText(QStringLiteral("Stop"));
    rig.button("BtnMonitor_Start")->click();
    rig.find<QPushButton>("BtnStartLinkControl")->setText(QStringLiteral("Start"));
    rig.find<QPushButton>("BtnStartHF_Test")->setText(QStringLiteral("Stop"));
    rig.button("BtnMonitor_Start")->click();
    rig.find<QPushButton>("BtnStartHF_Test")->setText(QStringLiteral("Start"));
    rig.combo("CBox_RS232_baud")->setEditText(QStringLiteral("19k2"));
    rig.button("BtnMonitor_Start")->click();
    QCOMPARE(rig.messages, (QStringList{"LinkControl ist am laufen, zuerst ausschalten!",
                                        "Träger wird ausgegeben, zuerst stoppen!",
                                        "Baudrate ungültig, Monitor nicht gestartet!"}));
    QCOMPARE(rig.button("BtnMonitor_Start")->text(), QStringLiteral("Start"));
    QVERIFY(rig.device->frames().isEmpty());
    QVERIFY(!rig.form->activities().timerSlot().isRunning());
    rig.combo("CBox_RS232_baud")->setEditText(QStringLiteral("19200"));

    // A start that arrives after a stop press but before the loop has tuned back is refused;
    // afterwards a new start runs.
    rig.choose("CBoxMonitor_C1", rig.combo("CBoxMonitor_C1")->itemText(4));
    rig.messages.clear();
    int runs = 0;
    SweepHook hook(rig, [&](int sweeps) {
        if (sweeps == 2) {
            rig.button("BtnMonitor_Start")->click(); // stop request
            rig.button("BtnMonitor_Start")->click(); // start before the stop steps
        }
    });
    rig.button("BtnMonitor_Start")->click();
    ++runs;
    QCOMPARE(rig.messages, QStringList{"Monitor wird noch beendet, bitte erneut starten!"});
    QCOMPARE(rig.button("BtnMonitor_Start")->text(), QStringLiteral("Start"));
    QVERIFY(!rig.form->monitorHandlers().sweep()->loopActive());
    QCOMPARE(runs, 1);
}

void TestMonitor::planButtonsWhileRunning()
{
    WindowRig rig(spectrumModule());
    rig.form->setLanguageIndex(1);
    rig.connectModule();
    rig.form->setReceiverBandwidthForTest(25.6);
    rig.choose("CBoxMonitor_C1", rig.combo("CBoxMonitor_C1")->itemText(9));
    rig.device->clearRecords();
    bool runningAfterAutoset = false;
    int framesBeforeFrqSet = 0;
    SweepHook hook(rig, [&](int sweeps) {
        if (sweeps == 1) {
            rig.button("BtnMonitor_Autoset")->click();
            runningAfterAutoset = rig.button("BtnMonitor_Start")->text() == QLatin1String("Stop");
        }
        if (sweeps == 2) {
            framesBeforeFrqSet = int(rig.device->frames().size());
            answerDialog(QStringLiteral("868.5"), QStringLiteral("210"), true);
            rig.button("BtnMonitor_FrqSet")->click();
        }
    });
    rig.button("BtnMonitor_Start")->click();

    QVERIFY(runningAfterAutoset);
    QCOMPARE(hook.count, 2);
    QCOMPARE(rig.messages, QStringList());
    // Autoset's 30 channels were measured in the second sweep: one tune and one query each.
    const QList<QByteArray> frames = rig.device->frames();
    QCOMPARE(framesBeforeFrqSet, 1 + 2 + 30 * 2);
    QCOMPARE(frames.mid(3, 2), (QList<QByteArray>{frame(0x09, 3), frame(0x01, 0)}));
    // The frequency set stopped the sweep; it stays stopped with the new plan laid.
    QCOMPARE(rig.button("BtnMonitor_Start")->text(), QStringLiteral("Start"));
    QCOMPARE(frames.size(), framesBeforeFrqSet + 1);
    QCOMPARE(slotItems(rig), planned({30, 32, 34, 36, 38, 40, 42, 44, 46}));
    QCOMPARE(labelText(rig, "LabelMonitor_CenterFrq"), QStringLiteral("868.5MHz"));
    QCOMPARE(labelText(rig, "LabelMonitor_RBW"), QStringLiteral("25.6kHz / 25kHz"));
}

void TestMonitor::disconnectDuringSweep_data()
{
    QTest::addColumn<bool>("cablePulled"); // else the user disconnects
    QTest::newRow("disconnect") << false;
    QTest::newRow("device lost") << true;
}

void TestMonitor::disconnectDuringSweep()
{
    QFETCH(bool, cablePulled);
    WindowRig rig(spectrumModule());
    rig.form->setLanguageIndex(1);
    rig.connectModule();
    rig.choose("CBoxMonitor_C1", rig.combo("CBoxMonitor_C1")->itemText(9));
    rig.device->clearRecords();
    SweepHook hook(rig, [&rig, cablePulled](int sweeps) {
        if (sweeps != 2)
            return;
        if (cablePulled)
            rig.device->simulateLoss();
        else
            rig.button("BtnTrennen")->click();
    });
    rig.button("BtnMonitor_Start")->click();
    QCOMPARE(hook.count, 2);
    // A lost device is reported once by the port; the sweep itself adds nothing.
    QCOMPARE(rig.messages.size(), cablePulled ? 1 : 0);
    QCOMPARE(rig.button("BtnMonitor_Start")->text(), QStringLiteral("Start"));
    QVERIFY(!rig.form->activities().timerSlot().isRunning());
    QVERIFY(!rig.form->port().isOpen());
    QVERIFY(!rig.form->monitorHandlers().sweep()->loopActive());
    // No tune back on a closed line.
    QCOMPARE(rig.device->frames().last(), frame(0x01, 0));
    if (!cablePulled) {
        QCOMPARE(rig.form->port().readTimeout(), 1000); // the disconnect's own setting stays
        QCOMPARE(slotItems(rig), planned({}));
    }
}

void TestMonitor::closingStopsTheSweep()
{
    WindowRig rig(spectrumModule());
    rig.form->setLanguageIndex(1);
    rig.form->show();
    rig.connectModule();
    rig.form->setReceiverBandwidthForTest(51.2);
    rig.button("BtnMonitor_Autoset")->click();
    rig.device->clearRecords();
    SweepHook hook(rig, [&rig](int sweeps) {
        if (sweeps == 1)
            rig.form->close();
    });
    rig.button("BtnMonitor_Start")->click();
    QCOMPARE(hook.count, 1);
    QVERIFY(!rig.form->isVisible());
    QCOMPARE(rig.button("BtnMonitor_Start")->text(), QStringLiteral("Start"));
    QVERIFY(!rig.form->activities().timerSlot().isRunning());
    QCOMPARE(rig.device->frames().last(),
             frame(0x09, rig.combo("CBox_Frq_RX_C")->currentIndex() + 1));
    QCOMPARE(rig.device->frames().size(), 1 + 30 * 2 + 1);
    QCOMPARE(rig.messages, QStringList());
}

void TestMonitor::exportHoldsOneRowPerActiveSlotPerSweep()
{
    WindowRig rig(spectrumModule());
    rig.form->setLanguageIndex(0);
    rig.connectModule();
    const QString path = rig.dir.filePath(QStringLiteral("sweeps.csv"));
    MonitorHandlers::setExportFileChooserForTest([path] { return path; });
    const int active[] = {1, 4, 7, 30};
    for (int n : active)
        rig.choose(qPrintable(QStringLiteral("CBoxMonitor_C%1").arg(n)),
                   rig.combo("CBoxMonitor_C1")->itemText(n));

    rig.button("BtnMonitor_Export")->click();
    QCOMPARE(rig.button("BtnMonitor_Export")->text(), QStringLiteral("Export beenden"));
    int linesAfterFirstSweep = 0;
    SweepHook hook(rig, [&](int sweeps) {
        if (sweeps == 1) {
            QFile file(path);
            if (file.open(QIODevice::ReadOnly))
                linesAfterFirstSweep = int(file.readAll().count('\n'));
        }
        if (sweeps == 3)
            rig.button("BtnMonitor_Start")->click();
    });
    rig.button("BtnMonitor_Start")->click();
    rig.button("BtnMonitor_Export")->click();
    MonitorHandlers::setExportFileChooserForTest({});
    QCOMPARE(rig.button("BtnMonitor_Export")->text(), QStringLiteral("Export CSV"));
    QCOMPARE(rig.messages, QStringList());
    // Flushed after every sweep: the first sweep's rows are in the file while the next runs.
    QCOMPARE(linesAfterFirstSweep, 1 + 4);

    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly | QIODevice::Text));
    const QStringList lines = QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.first(),
             QStringLiteral("timestamp,slot,channel,frequency_mhz,level_dbm,peak_dbm"));
    QCOMPARE(lines.size(), 1 + 3 * 4);
    for (int sweep = 0; sweep < 3; ++sweep) {
        const QString stamp = lines[1 + sweep * 4].section(',', 0, 0);
        QVERIFY(QDateTime::fromString(stamp, Qt::ISODateWithMs).isValid());
        for (int k = 0; k < 4; ++k) {
            const QStringList fields = lines[1 + sweep * 4 + k].split(',');
            QCOMPARE(fields.size(), 6);
            QCOMPARE(fields[0], stamp);
            QCOMPARE(fields[1].toInt(), active[k]);
            QCOMPARE(fields[2].toInt(), active[k] + 1);
            QCOMPARE(fields[3], QString::number(868.0125 + active[k] * 0.0125, 'f', 4));
        }
    }
    // The carrier on channel 3 (slot 4's channel is 5, slot 1's is 2): no carrier in these
    // slots, so every level lies at the noise floor.
    QVERIFY(lines[1].section(',', 4, 4).toInt() <= -113);
}

QTEST_MAIN(TestMonitor)
#include "tst_monitor.moc"
