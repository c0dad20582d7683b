#include "monitor/monitorsweep.h"

#include "link/catalogue.h"
#include "link/comport.h"
#include "link/modulelink.h"
#include "module/modulehost.h"
#include "monitor/frequencyplan.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>

namespace
{

// B0 09 nn sets the receive channel in the module's RAM: the receiver tunes to channel nn.
constexpr quint8 kTune = Frame::FirstRegister;
constexpr int kConnectedTimeoutMs = 500;
// With no active slot a sweep sends nothing; a short wait keeps the idle loop off the CPU.
constexpr int kIdleSweepWaitMs = 10;

const QString kStop = QStringLiteral("Stop");
const QString kStart = QStringLiteral("Start");

QString dbmText(int dbm)
{
    return QString::number(dbm) + QStringLiteral("dBm");
}

} // namespace

MonitorSweep::MonitorSweep(MonitorControls &controls, const MonitorEnvironment &environment,
                           QObject *parent)
    : QObject(parent), c(controls), env(environment)
{
    for (QLabel *label : c.LabelMonitor)
        label->installEventFilter(this);
}

bool MonitorSweep::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonRelease) {
        for (int n = 0; n < MonitorControls::kSlots; ++n) {
            if (watched == c.LabelMonitor[n]) {
                LabelMonitorClick(n);
                return true;
            }
        }
    }
    return QObject::eventFilter(watched, event);
}

std::optional<int> MonitorSweep::baudOf(const QString &text)
{
    bool ok = false;
    const int baud = text.trimmed().toInt(&ok, 10);
    if (!ok || baud <= 0)
        return std::nullopt;
    return baud;
}

int MonitorSweep::sweepReadTimeoutMs(int baud)
{
    return roundHalfEven(100000.0 / baud) + 10;
}

int MonitorSweep::settleMs(int tempoPosition)
{
    return (10 - tempoPosition) * 10 + 5;
}

bool MonitorSweep::isRunning() const
{
    return c.BtnMonitor_Start->text() == kStop;
}

bool MonitorSweep::connected() const
{
    return !env.BtnVerbinden->isEnabled();
}

bool MonitorSweep::cModule() const
{
    return env.Edit_SW_Typ->text() == QLatin1String("C");
}

void MonitorSweep::message(const char *german, const char *english)
{
    env.host->showMessage(QString::fromUtf8(german), QString::fromUtf8(english));
}

int MonitorSweep::shownLevel(int slot) const
{
    return roundHalfEven(m_slots.at(slot).level);
}

void MonitorSweep::BtnMonitor_StartClick()
{
    // A press while the caption shows "Stop" is always a stop request, never a second start.
    if (isRunning())
        stopRequest();
    else
        startRequest();
}

void MonitorSweep::stopRequest()
{
    c.BtnMonitor_Start->setText(kStart);
    c.TBarMonitor_peak->setEnabled(true);
}

void MonitorSweep::waitMs(int ms)
{
    env.countdown->store(ms);
    waitForCountdown(*env.countdown, *env.timerSlot);
}

void MonitorSweep::startRequest()
{
    if (env.BtnStartLinkControl && env.BtnStartLinkControl->text() == kStop) {
        message("LinkControl ist am laufen, zuerst ausschalten!",
                "LinkControl is running, stop first!");
        return;
    }
    if (env.BtnStartHF_Test && env.BtnStartHF_Test->text() == kStop) {
        message("Träger wird ausgegeben, zuerst stoppen!", "Carrierout is running, stop first!");
        return;
    }
    if (m_loopActive) {
        // The previous run has been told to stop but has not yet tuned back; two sweeps never
        // run at once.
        message("Monitor wird noch beendet, bitte erneut starten!",
                "Monitor is still stopping, please start again!");
        return;
    }
    const auto baud = baudOf(env.CBox_RS232_baud->currentText());
    if (!baud) {
        message("Baudrate ungültig, Monitor nicht gestartet!",
                "Invalid baudrate, monitor not started!");
        return;
    }

    ModuleLink &link = *env.link;
    ComPort &port = link.port();
    LinkState &state = link.state();
    c.BtnMonitor_Start->setText(kStop);
    m_loopActive = true;
    env.timerSlot->start();
    port.setReadTimeout(sweepReadTimeoutMs(*baud));
    c.TBarMonitor_peak->setEnabled(false);
    try {
        waitMs(5);
        if (cModule())
            port.setRts(false);
        // The first tune does not count against the retries, whatever its outcome.
        state.errorFlag = false;
        state.retryCounter = 5;
        if (port.isOpen())
            link.transaction(kTune, quint8(c.CBoxMonitor[0]->currentIndex() + 1));
        state.errorFlag = false;
        state.retryCounter = 5;
        sweepLoop();
        stopSteps();
    } catch (...) {
        // The port itself failed: the monitor ends without talking to the module again.
        stopRequest();
        port.setReadTimeout(kConnectedTimeoutMs);
        env.timerSlot->stop();
        m_loopActive = false;
        throw;
    }
    m_loopActive = false;
}

void MonitorSweep::sweepLoop()
{
    while (isRunning()) {
        const int window = 20 * c.TBarMonitor_peak->value();
        for (int j = 1; j <= window; ++j) {
            bool sent = false;
            int visited = 0;
            while (visited < MonitorControls::kSlots) {
                sent = measureSlot(visited, j) || sent;
                ++visited;
                QCoreApplication::processEvents();
                if (!isRunning())
                    break;
            }
            // A stop during the last slot's yield still leaves a complete sweep.
            if (visited == MonitorControls::kSlots)
                emit sweepCompleted();
            if (!isRunning())
                break;
            if (!sent)
                waitMs(kIdleSweepWaitMs);
        }
        QCoreApplication::processEvents();
    }
}

bool MonitorSweep::measureSlot(int n, int j)
{
    const int k = c.CBoxMonitor[n]->currentIndex();
    if (k < 0)
        return false;
    ModuleLink &link = *env.link;
    LinkState &state = link.state();
    // A disconnect or a lost device while the loop yielded has closed the port: nothing more
    // can be measured, so the monitor stops instead of circling without a wait.
    const auto portClosed = [this, &link] {
        if (link.port().isOpen())
            return false;
        if (isRunning())
            env.host->performClick(c.BtnMonitor_Start);
        return true;
    };
    if (portClosed())
        return false;
    link.transaction(kTune, quint8(k + 1));
    waitMs(settleMs(c.TBarMonitor_Tempo->value()));
    if (portClosed())
        return false;
    link.transaction(Frame::Measure, c.RButtonMonitor_momentan->isChecked()
                                         ? Frame::MeasureRssi
                                         : Frame::MeasureRssiMax);
    if (state.errorFlag) {
        state.errorFlag = false;
        if (state.retryCounter == 0) {
            env.host->performClick(c.BtnMonitor_Start);
            message("empfangsfehler", "Receive error");
        }
        return true;
    }
    state.retryCounter = 5;
    const int reading = qint8(link.answerByte(1).value_or(quint8(SlotMeasurement::kFloorDbm)));
    SlotMeasurement &slot = m_slots[n];
    const int v =
        takeReading(slot, reading, c.TBarMonitor_Mittlung->value(), j,
                    20 * c.TBarMonitor_peak->value(), c.CBoxMonitor_noPeakReset->isChecked());
    if (displaySlot() == n) {
        c.EditMonitor_Momentan->setText(dbmText(v));
        c.EditMonitor_Peak->setText(dbmText(slot.peak()));
    }
    setMonitorBar(c.GaugeMonitor_akt[n], v);
    setMonitorBar(c.GaugeMonitor_peak[n], slot.peak());
    return true;
}

void MonitorSweep::stopSteps()
{
    ModuleLink &link = *env.link;
    ComPort &port = link.port();
    if (connected() && port.isOpen()) {
        // A receive error leaves the retry counter at 0; the tune back starts afresh so that its
        // own failure cannot wrap the counter.
        LinkState &state = link.state();
        state.errorFlag = false;
        state.retryCounter = 5;
        QComboBox *rx = cModule() ? env.CBox_Frq_RX_C : env.CBox_Frq_RX_B;
        link.transaction(kTune, quint8(rx->currentIndex() + 1));
        state.errorFlag = false;
        port.setReadTimeout(kConnectedTimeoutMs);
        if (cModule())
            port.setRts(true);
    }
    env.timerSlot->stop();
}

void MonitorSweep::BtnMonitor_peakResetClick()
{
    for (int n = 0; n < MonitorControls::kSlots; ++n) {
        m_slots[n].reset();
        setMonitorBar(c.GaugeMonitor_akt[n], SlotMeasurement::kFloorDbm);
        setMonitorBar(c.GaugeMonitor_peak[n], SlotMeasurement::kFloorDbm);
    }
}

int MonitorSweep::displaySlot() const
{
    // The box accepts typed text; only an item's exact text selects a slot.
    QComboBox *box = c.CBoxMonitor_Messung;
    const int index = box->currentIndex();
    if (index >= 0 && box->itemText(index) == box->currentText())
        return index;
    return box->findText(box->currentText(), Qt::MatchFixedString | Qt::MatchCaseSensitive);
}

void MonitorSweep::LabelMonitorClick(int slot)
{
    c.CBoxMonitor_Messung->setCurrentIndex(slot);
    showSelectedSlot();
}

void MonitorSweep::CBoxMonitor_MessungChange()
{
    showSelectedSlot();
}

void MonitorSweep::showSelectedSlot()
{
    const int n = displaySlot();
    if (n < 0 || n >= MonitorControls::kSlots) {
        c.EditMonitor_Momentan->clear();
        c.EditMonitor_Peak->clear();
        return;
    }
    c.EditMonitor_Momentan->setText(dbmText(shownLevel(n)));
    c.EditMonitor_Peak->setText(dbmText(m_slots[n].peak()));
}
