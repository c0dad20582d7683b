// One activity on the line at a time: a start that the user clicks while another activity is
// still ending waits for it and then really runs; one clicked while another runs is refused.
#include "support_queuedinput.h"
#include "support_window.h"

#include "monitor/monitorhandlers.h"
#include "monitor/monitorsweep.h"

#include <QGuiApplication>
#include <QTabBar>
#include <QTabWidget>

#include <functional>
#include <optional>

namespace
{

// A C module (PC 19200 baud, radio 9600) in a shown window with the RF-tests page in front;
// clicks are queued in the window system as a user's are.
struct LineRig : WindowRig {
    LineRig() : WindowRig(moduleC(111111))
    {
        form->setLanguageIndex(1);
        // Tall enough that the pages need no scrolling: each click lands where it was aimed.
        form->resize(form->width(), 1400);
        form->show();
        if (!QTest::qWaitForWindowExposed(form.get()))
            qFatal("the window is not shown");
        connectModule();
        show("HF_Test");
    }
    static EmulatorConfig moduleC(quint32 serial)
    {
        EmulatorConfig config;
        config.type = 'C';
        config.serial = serial;
        config.link.answerDelayMs = 100;
        return config;
    }
    QTabWidget *tabs() const { return find<QTabWidget>("PageControl1"); }
    void show(const char *page) { tabs()->setCurrentWidget(find<QWidget>(page)); }
    void queueTabClick(const char *page)
    {
        QTabBar *bar = tabs()->tabBar();
        const QRect tab = bar->tabRect(tabs()->indexOf(find<QWidget>(page)));
        queueClickAt(form.get(), bar->mapTo(form.get(), QPointF(tab.center())));
    }
    QStringList frames() const
    {
        QStringList texts;
        for (const QByteArray &frame : device->frames())
            texts << QString::fromLatin1(frame.toHex(' ').toUpper());
        return texts;
    }
    // LinkControl runs; once its first cycle has ended the user clicks Stop and at once what
    // queueMore queues. Returns, after the run, the pointer shown when its last cycle ended, or
    // nothing when that cycle's answer was not read and counted.
    std::optional<Qt::CursorShape> stopLinkControlThen(const std::function<void()> &queueMore)
    {
        find<QLineEdit>("EditLinkControl_Interval")->setText(QStringLiteral("900"));
        std::optional<Qt::CursorShape> pointer;
        const auto watch = QObject::connect(
            find<QLineEdit>("EditLinkControl_txStatistik"), &QLineEdit::textChanged,
            [&](const QString &sent) {
                if (sent == QLatin1String("1")) {
                    queueClick(form.get(), button("BtnStartLinkControl"));
                    queueMore();
                } else if (const QCursor *cursor = QGuiApplication::overrideCursor()) {
                    pointer = cursor->shape();
                }
            });
        button("BtnStartLinkControl")->click();
        QObject::disconnect(watch);
        // The last cycle was not disturbed: its answer was read and counted.
        if (text("EditLinkControl_txStatistik") != QLatin1String("2") ||
            text("EditLinkControl_rxStatistik") != QLatin1String("2"))
            return std::nullopt;
        return pointer;
    }
    // After each completed sweep the number of sweeps so far.
    void onSweep(const std::function<void(int)> &fn)
    {
        auto count = std::make_shared<int>(0);
        QObject::connect(form->monitorHandlers().sweep(), &MonitorSweep::sweepCompleted, form.get(),
                         [count, fn] { fn(++*count); });
    }
};

} // namespace

class TestOneActivity : public QObject
{
    Q_OBJECT
private slots:
    void wizardClickedWhileLinkControlStopsWaitsAndWrites();
    void carrierClickedWhileLinkControlStopsWaitsForItsOptions();
    void monitorClickedWhileLinkControlStopsWaitsForTheLastAnswer();
    void moduleTestsAreRefusedWhileTheMonitorOrTheCarrierRuns();
    void aRefusedWriteEndsWhatClickedIt();
};

void TestOneActivity::wizardClickedWhileLinkControlStopsWaitsAndWrites()
{
    LineRig rig;
    auto module1 = rig.device->sharedEmulator();
    auto module2 = std::make_shared<ModuleEmulator>(LineRig::moduleC(222222));
    // The user re-plugs the cable where the wizard asks for it.
    Messages::setPresenterForTest([&](Messages::Kind, const QString &text) {
        rig.messages << text;
        if (text.startsWith(QLatin1String("-> ")))
            rig.device->plugInto(module2);
        if (text.startsWith(QLatin1String("Reconnect module 1")))
            rig.device->plugInto(module1);
        return true;
    });
    // The wizard waits for the run's end under the busy pointer, then writes both modules.
    const auto waited = rig.stopLinkControlThen(
        [&] { queueClick(rig.form.get(), rig.button("BtnLinkControl_konfig")); });
    QTRY_COMPARE(rig.messages.value(rig.messages.size() - 1),
                 QStringLiteral("Configuration of module 1 and 2 successful!\r\nTo start "
                                "LinkControl click the start button."));
    QVERIFY(!rig.messages.join('\n').contains(QLatin1String("LinkControl is")));
    QCOMPARE(module1->eeprom(0x10) & 0x18, 0x18);
    QCOMPARE(module2->eeprom(0x10), module1->eeprom(0x10));
    QCOMPARE(waited, std::optional<Qt::CursorShape>(Qt::WaitCursor));
}

void TestOneActivity::carrierClickedWhileLinkControlStopsWaitsForItsOptions()
{
    LineRig rig;
    rig.choose("CBox_Mod_Test", QStringLiteral("unmodulated"));
    rig.choose("CBox_RX_TX_Switch_Test", QStringLiteral("Only TX"));
    const auto waited =
        rig.stopLinkControlThen([&] { queueClick(rig.form.get(), rig.button("BtnStartHF_Test")); });
    // The stream starts only after the module has the data options it needs.
    QTRY_COMPARE(rig.button("BtnStartHF_Test")->text(), QStringLiteral("Stop"));
    QCOMPARE(rig.messages, QStringList{"Warning, configuration in RAM will be changed!\r\n"
                                       "(recovered after \"Stop\")"});
    const QStringList frames = rig.frames();
    QVERIFY(frames.indexOf(QStringLiteral("B0 10 06")) >= 0);
    QVERIFY(frames.indexOf(QStringLiteral("B0 10 06")) < frames.indexOf(QStringLiteral("FF")));
    QCOMPARE(rig.device->emulator().ram(0x10), quint8(6));
    QCOMPARE(waited, std::optional<Qt::CursorShape>(Qt::WaitCursor));
    rig.button("BtnStartHF_Test")->click();
}

void TestOneActivity::monitorClickedWhileLinkControlStopsWaitsForTheLastAnswer()
{
    LineRig rig;
    rig.show("Monitor");
    rig.combo("CBoxMonitor_C1")->setCurrentIndex(10);
    const QPointF start = clickPoint(rig.form.get(), rig.button("BtnMonitor_Start"));
    rig.show("HF_Test");
    QList<bool> linkControlAtFrames;
    rig.device->emulator().setLogCallback([&](const EmulatorLogEntry &entry) {
        if (entry.kind == EmulatorLogEntry::Frame && entry.bytes.startsWith('\xB0'))
            linkControlAtFrames << rig.form->activities().linkControlRunning();
    });
    bool timerAtSweep = false;
    rig.onSweep([&](int) {
        timerAtSweep = rig.form->activities().timerSlot().isRunning();
        rig.button("BtnMonitor_Start")->click(); // Stop
    });
    const auto waited = rig.stopLinkControlThen([&] {
        rig.queueTabClick("Monitor");
        queueClickAt(rig.form.get(), start);
    });
    QTRY_VERIFY(!linkControlAtFrames.isEmpty() && timerAtSweep);
    QVERIFY(!linkControlAtFrames.contains(true));
    QTRY_VERIFY(!rig.form->monitorHandlers().sweep()->loopActive());
    QVERIFY(!rig.form->activities().timerSlot().isRunning());
    QCOMPARE(rig.messages, QStringList());
    QCOMPARE(waited, std::optional<Qt::CursorShape>(Qt::WaitCursor));
}

void TestOneActivity::moduleTestsAreRefusedWhileTheMonitorOrTheCarrierRuns()
{
    LineRig rig;
    rig.show("Modultest");
    const QPointF temperature = clickPoint(rig.form.get(), rig.button("BtnTemp"));
    rig.show("Monitor");
    rig.combo("CBoxMonitor_C1")->setCurrentIndex(10);
    rig.onSweep([&](int sweeps) {
        if (sweeps == 1) {
            rig.queueTabClick("Modultest");
            queueClickAt(rig.form.get(), temperature);
        } else if (sweeps == 3) {
            rig.button("BtnMonitor_Start")->click(); // Stop
        }
    });
    rig.button("BtnMonitor_Start")->click();
    QCOMPARE(rig.messages, QStringList{"Monitor is running, stop first!"});

    // The carrier test streams its pattern until Stop: a command now would go out in the stream.
    rig.choose("CBox_Mod_Test", QStringLiteral("unmodulated"));
    rig.choose("CBox_RX_TX_Switch_Test", QStringLiteral("Only TX"));
    rig.button("BtnStartHF_Test")->click();
    rig.messages.clear();
    rig.button("BtnTemp")->click();
    QCOMPARE(rig.messages, QStringList{"Carrierout is running, stop first!"});
    rig.button("BtnStartHF_Test")->click();
    QVERIFY(!rig.frames().contains(QStringLiteral("B0 01 02")));
    QCOMPARE(rig.text("Edit_Temp"), QString());
}

void TestOneActivity::aRefusedWriteEndsWhatClickedIt()
{
    LineRig rig;
    // A setting without a choice: the write refuses the page and sends nothing.
    rig.combo("CBox_Frq_TX_C")->setCurrentIndex(-1);
    const QString refused =
        QStringLiteral("Nothing selected for: Transmit frequency\r\nNothing was sent.");
    rig.choose("CBox_Mod_Test", QStringLiteral("unmodulated"));
    rig.choose("CBox_RX_TX_Switch_Test", QStringLiteral("Only TX"));
    rig.button("BtnStartHF_Test")->click();
    QCOMPARE(rig.messages.size(), 2); // the warning, the write's refusal
    QCOMPARE(rig.messages.last(), refused);
    QCOMPARE(rig.button("BtnStartHF_Test")->text(), QStringLiteral("Start"));
    QVERIFY(!rig.frames().contains(QStringLiteral("FF")));
    QCOMPARE(rig.combo("CBox_Data_C2")->currentIndex(), 0); // the module's options shown again

    rig.messages.clear();
    rig.button("BtnLinkControl_konfig")->click();
    // The wizard chose the transmit channel's item for receive too; nothing came after the refusal.
    QVERIFY(rig.messages.last().endsWith(QLatin1String("\r\nNothing was sent.")));
    QVERIFY(!rig.button("BtnVerbinden")->isEnabled());
}

QTEST_MAIN(TestOneActivity)
#include "tst_oneactivity.moc"
