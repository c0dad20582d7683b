#pragma once

#include "monitor/monitorenvironment.h"
#include "monitor/monitorpage.h"
#include "monitor/peakhold.h"

#include <QObject>

#include <array>
#include <optional>

// The monitor sweep: tunes the module to each active slot's channel in turn, waits the settle
// time, reads the signal strength, smooths it and holds the peak per slot. Runs as a cooperative
// loop inside the start button's click and yields to the event loop during every wait and after
// every slot, so every control of the window stays usable while it runs.
class MonitorSweep : public QObject
{
    Q_OBJECT
public:
    MonitorSweep(MonitorControls &controls, const MonitorEnvironment &environment,
                 QObject *parent = nullptr);

    // Handlers named after their controls.
    void BtnMonitor_StartClick();
    void BtnMonitor_peakResetClick();
    void LabelMonitorClick(int slot); // slot 0 to 29
    void CBoxMonitor_MessungChange();

    bool isRunning() const; // the start button shows "Stop"
    // True from a start until the loop has run its stop steps.
    bool loopActive() const { return m_loopActive; }
    const SlotMeasurement &slotState(int slot) const { return m_slots.at(slot); }
    // The level the level bar shows: the smoothed level, rounded.
    int shownLevel(int slot) const;

    // The rate in the PC's baud box as a positive whole number, or nothing.
    static std::optional<int> baudOf(const QString &text);
    // The port's read timeout while the monitor runs: about the time of a few bytes plus 10 ms.
    static int sweepReadTimeoutMs(int baud);
    // The settle wait after tuning for a position of the speed track bar.
    static int settleMs(int tempoPosition);

signals:
    // A sweep over all 30 slots has completed (not sent for a sweep cut short by a stop).
    void sweepCompleted();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void startRequest();
    void stopRequest();
    void sweepLoop();
    bool measureSlot(int n, int j); // false when the slot is inactive
    void stopSteps();
    void waitMs(int ms);
    void showSelectedSlot();
    int displaySlot() const; // the slot chosen in CBoxMonitor_Messung, or -1
    bool connected() const;
    bool cModule() const;
    void message(const char *german, const char *english);

    MonitorControls &c;
    MonitorEnvironment env;
    std::array<SlotMeasurement, MonitorControls::kSlots> m_slots;
    bool m_loopActive = false;
};
