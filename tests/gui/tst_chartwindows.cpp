#include "support_queuedinput.h"
#include "support_window.h"

#include "monitor/monitorhandlers.h"
#include "monitor/monitorsweep.h"
#include "monitor/spectrumview.h"
#include "rf/linkhistorywindow.h"

#include <QApplication>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QSlider>
#include <QTabWidget>
#include <QThread>
#include <QTimer>
#include <QWindow>

namespace
{

// Stands in for the desktop. Message boxes are shown for real and closed as a user closes them,
// noting what they said, the window they belong to and the window that was active when they
// opened. Opening the named chart window costs the window's thread 150 ms at its show and again
// at its first paint, as a chart's first layout and drawing do on a busy desktop.
class Desktop : public QObject
{
public:
    struct Box {
        QString text;
        QWidget *parent;
        QWindow *transientParent;
        QWidget *activeWhenOpened;
    };
    static constexpr int kPauseMs = 150;

    explicit Desktop(const char *slowWindow) : m_slowWindow(QLatin1String(slowWindow))
    {
        Messages::setPresenterForTest({});
        qApp->installEventFilter(this);
    }
    ~Desktop() override { qApp->removeEventFilter(this); }

    QList<Box> boxes;
    int pauses = 0;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show) {
            if (auto *box = qobject_cast<QMessageBox *>(watched)) {
                boxes << Box{box->text(), box->parentWidget(),
                             box->windowHandle() ? box->windowHandle()->transientParent() : nullptr,
                             QApplication::activeWindow()};
                QTimer::singleShot(0, box, [box] { box->done(QMessageBox::Ok); });
            }
        }
        auto *widget = qobject_cast<QWidget *>(watched);
        if (!widget || widget->window()->objectName() != m_slowWindow)
            return false;
        const bool shown = event->type() == QEvent::Show && widget->isWindow();
        const bool firstPaint = event->type() == QEvent::Paint && !m_painted;
        if (shown || firstPaint) {
            m_painted = m_painted || firstPaint;
            // The handler that a slow chart costs, not a wait for anything.
            QThread::msleep(kPauseMs);
            ++pauses;
        }
        return false;
    }

private:
    QString m_slowWindow;
    bool m_painted = false;
};

QString rxLog(const WindowRig &rig)
{
    return rig.find<QPlainTextEdit>("MemoRX")->toPlainText();
}

bool failedAnswerLogged(const WindowRig &rig)
{
    const QString log = rxLog(rig);
    return log.contains(QLatin1String("E3 ")) || log.contains(QLatin1String("E4 "));
}

// The main window shown and active, connected to an emulated C module at 19200 baud.
void showAndConnect(WindowRig &rig)
{
    rig.form->setLanguageIndex(1);
    rig.form->show();
    QVERIFY(QTest::qWaitForWindowActive(rig.form.get()));
    rig.connectModule();
}

} // namespace

// The chart windows opened while the module is talked to: the pause of drawing a chart costs
// no answer, and the messages of the run open over the chart the user looks at.
class TestChartWindows : public QObject
{
    Q_OBJECT
private slots:
    void spectrumOpenedDuringASweep();
    void historyOpenedDuringLinkControl();
};

void TestChartWindows::spectrumOpenedDuringASweep()
{
    EmulatorConfig config;
    config.spectrum.carriers = {{3, -60}, {24, -75}};
    config.spectrum.settleMs = 2;
    WindowRig rig(config);
    Desktop desktop("SpectrumView");
    showAndConnect(rig);
    rig.find<QTabWidget>("PageControl1")->setCurrentWidget(rig.find<QWidget>("Monitor"));
    for (int n = 1; n <= 13; ++n)
        rig.choose(qPrintable(QStringLiteral("CBoxMonitor_C%1").arg(n)),
                   rig.combo("CBoxMonitor_C1")->itemText(n));
    rig.find<QSlider>("TBarMonitor_Tempo")->setValue(10);

    SpectrumView *view = nullptr;
    bool answersLost = false;
    bool spectrumActive = false;
    int sweeps = 0;
    MonitorSweep *sweep = rig.form->monitorHandlers().sweep();
    QObject::connect(sweep, &MonitorSweep::sweepCompleted, sweep, [&] {
        ++sweeps;
        answersLost = answersLost || failedAnswerLogged(rig);
        if (sweeps == 1)
            queueClick(rig.form.get(), rig.button("BtnMonitor_Spektrum"));
        if (sweeps == 4) {
            view = rig.form->monitorHandlers().spectrumView();
            spectrumActive = view && QApplication::activeWindow() == view;
            // The module stops answering its signal-strength queries.
            EmulatorFault silent;
            silent.kind = FaultKind::Silent;
            silent.frame = QByteArray::fromHex("B001");
            silent.count = 5;
            rig.device->emulator().injectFault(silent);
        }
        if (sweeps == 8)
            rig.button("BtnMonitor_Start")->click(); // a sweep that should have stopped itself
    });
    rig.button("BtnMonitor_Start")->click();

    QCOMPARE(desktop.pauses, 2);
    QVERIFY2(!answersLost, qPrintable(rxLog(rig)));
    QVERIFY(spectrumActive);
    // Five failed answers in a row: the sweep stops with one message, over the spectrum, and
    // the module stays connected.
    QCOMPARE(sweeps, 4);
    QCOMPARE(desktop.boxes.size(), 1);
    const Desktop::Box &box = desktop.boxes.first();
    QCOMPARE(box.text, QStringLiteral("Receive error"));
    QCOMPARE(box.activeWhenOpened, view);
    QCOMPARE(box.parent, view);
    QCOMPARE(box.transientParent, view->windowHandle());
    QCOMPARE(rig.button("BtnMonitor_Start")->text(), QStringLiteral("Start"));
    QVERIFY(rig.form->port().isOpen());
    QVERIFY(rig.button("BtnTrennen")->isEnabled());
}

void TestChartWindows::historyOpenedDuringLinkControl()
{
    EmulatorConfig config;
    config.link.answerDelayMs = 100;
    WindowRig rig(config);
    Desktop desktop("LinkHistoryWindow");
    showAndConnect(rig);
    rig.find<QTabWidget>("PageControl1")->setCurrentWidget(rig.find<QWidget>("HF_Test"));
    rig.find<QLineEdit>("EditLinkControl_Interval")->setText(QStringLiteral("200"));

    int cycles = 0;
    QWidget *view = nullptr;
    bool historyActive = false;
    QString lostBeforePull;
    QObject::connect(rig.find<QLineEdit>("EditLinkControl_txStatistik"), &QLineEdit::textChanged,
                     rig.form.get(), [&](const QString &sent) {
                         if (sent == QLatin1String("0"))
                             return;
                         ++cycles;
                         if (cycles == 2)
                             queueClick(rig.form.get(), rig.button("BtnLinkControl_Verlauf"));
                         if (cycles == 6) {
                             view = rig.form->findChild<LinkHistoryWindow *>();
                             historyActive = view && QApplication::activeWindow() == view;
                             lostBeforePull = rig.text("EditLinkControl_nokStatistik");
                             rig.device->simulateLoss();
                         }
                     });
    rig.button("BtnStartLinkControl")->click();

    QCOMPARE(desktop.pauses, 2);
    QVERIFY(historyActive);
    QCOMPARE(lostBeforePull, QStringLiteral("0"));
    QVERIFY2(!rxLog(rig).contains(QLatin1String("ERR_LINK")), qPrintable(rxLog(rig)));
    // The pulled cable: one message, over the history, and the window is disconnected.
    QCOMPARE(desktop.boxes.size(), 1);
    const Desktop::Box &box = desktop.boxes.first();
    QVERIFY2(box.text.startsWith(QLatin1String("ReadFile function failed")), qPrintable(box.text));
    QCOMPARE(box.activeWhenOpened, view);
    QCOMPARE(box.parent, view);
    QCOMPARE(box.transientParent, view->windowHandle());
    QVERIFY(!rig.form->port().isOpen());
    QVERIFY(rig.button("BtnVerbinden")->isEnabled());
    QVERIFY(!rig.button("BtnTrennen")->isEnabled());
}

QTEST_MAIN(TestChartWindows)
#include "tst_chartwindows.moc"
