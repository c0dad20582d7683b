#include "monitor/monitorsweep.h"

#include "link/modulelink.h"
#include "module/identification.h"
#include "module/modulehost.h"
#include "texts/messages.h"
#include "window/activities.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QSlider>

namespace
{

const QString kStop = QStringLiteral("Stop");
const QString kStart = QStringLiteral("Start");

QString dbmText(int dbm)
{
    return QString::number(dbm) + QStringLiteral("dBm");
}

} // namespace

MonitorSweep::MonitorSweep(MonitorControls &controls, const MonitorEnvironment &environment,
                           Activities &activities, QObject *parent)
    : QObject(parent), c(controls), env(environment), m_activities(activities),
      m_core(*env.link, activities.countdown(), activities.timerSlot(), *this)
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

bool MonitorSweep::isRunning() const
{
    return c.BtnMonitor_Start->text() == kStop;
}

int MonitorSweep::slotItem(int slot) const
{
    return c.CBoxMonitor[slot]->currentIndex();
}

int MonitorSweep::speedPosition() const
{
    return c.TBarMonitor_Tempo->value();
}

int MonitorSweep::meanPosition() const
{
    return c.TBarMonitor_Mittlung->value();
}

int MonitorSweep::peakWindowPosition() const
{
    return c.TBarMonitor_peak->value();
}

bool MonitorSweep::instantaneousRssi() const
{
    return c.RButtonMonitor_momentan->isChecked();
}

bool MonitorSweep::keepPeaks() const
{
    return c.CBoxMonitor_noPeakReset->isChecked();
}

bool MonitorSweep::moduleConnected() const
{
    return !env.BtnVerbinden->isEnabled();
}

bool MonitorSweep::cModule() const
{
    return firmwareType(env.Edit_SW_Typ->text()) == FirmwareType::C;
}

int MonitorSweep::receiveChannelItem() const
{
    return (cModule() ? env.CBox_Frq_RX_C : env.CBox_Frq_RX_B)->currentIndex();
}

void MonitorSweep::slotMeasured(int slot, int level, int peak)
{
    if (displaySlot() == slot) {
        c.EditMonitor_Momentan->setText(dbmText(level));
        c.EditMonitor_Peak->setText(dbmText(peak));
    }
    setMonitorBar(c.GaugeMonitor_akt[slot], level);
    setMonitorBar(c.GaugeMonitor_peak[slot], peak);
}

void MonitorSweep::sweepMeasured()
{
    emit sweepCompleted();
}

void MonitorSweep::stopFromSweep()
{
    env.host->performClick(c.BtnMonitor_Start);
}

void MonitorSweep::receiveError()
{
    message("empfangsfehler", "Receive error");
}

void MonitorSweep::message(const char *german, const char *english)
{
    env.host->showMessage(QString::fromUtf8(german), QString::fromUtf8(english));
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
    m_core.requestStop();
}

void MonitorSweep::startRequest()
{
    using Kind = Activities::Kind;
    if (const MessageText *running = m_activities.startedOf({Kind::LinkControl, Kind::Carrier})) {
        message(running->german, running->english);
        return;
    }
    if (m_core.loopActive()) {
        // The previous run has been told to stop but has not yet tuned back; two sweeps never
        // run at once.
        message(Messages::kMonitorStopping.german, Messages::kMonitorStopping.english);
        return;
    }
    const auto baud = sweepBaudOf(env.CBox_RS232_baud->currentText());
    if (!baud) {
        message("Baudrate ungültig, Monitor nicht gestartet!",
                "Invalid baudrate, monitor not started!");
        return;
    }

    c.BtnMonitor_Start->setText(kStop);
    c.TBarMonitor_peak->setEnabled(false);
    // A sweep that ended by itself (a failed port, which is not talked to again, or no timer of
    // its own) shows its end as Stop does.
    const auto ended = qScopeGuard([this] {
        if (isRunning())
            stopRequest();
    });
    m_core.run(*baud);
}

void MonitorSweep::BtnMonitor_peakResetClick()
{
    m_core.resetPeaks();
    for (int n = 0; n < MonitorControls::kSlots; ++n) {
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
    c.EditMonitor_Peak->setText(dbmText(m_core.slot(n).peak()));
}
