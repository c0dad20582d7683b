#pragma once

#include "monitor/monitorenvironment.h"
#include "monitor/monitorpage.h"
#include "monitor/sweepcore.h"

#include <QObject>

class Activities;

// The monitor page's sweep: its start button, peak reset and numeric display. The sweep itself
// runs in SweepCore inside the start button's click; this class hands it the page's controls,
// read afresh at every use, and draws what it measures.
class MonitorSweep : public QObject, private SweepHost
{
    Q_OBJECT
public:
    MonitorSweep(MonitorControls &controls, const MonitorEnvironment &environment,
                 Activities &activities, QObject *parent = nullptr);

    // Handlers named after their controls.
    void BtnMonitor_StartClick();
    void BtnMonitor_peakResetClick();
    void LabelMonitorClick(int slot); // slot 0 to 29
    void CBoxMonitor_MessungChange();

    bool isRunning() const; // the start button shows "Stop"
    // True from a start until the loop has run its stop steps.
    bool loopActive() const { return m_core.loopActive(); }
    const SlotMeasurement &slotState(int slot) const { return m_core.slot(slot); }
    // The level the level bar shows: the smoothed level, rounded.
    int shownLevel(int slot) const { return m_core.shownLevel(slot); }
    const SweepCore &core() const { return m_core; }

signals:
    // A sweep over all 30 slots has completed (not sent for a sweep cut short by a stop).
    void sweepCompleted();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // SweepHost
    int slotItem(int slot) const override;
    int speedPosition() const override;
    int meanPosition() const override;
    int peakWindowPosition() const override;
    bool instantaneousRssi() const override;
    bool keepPeaks() const override;
    bool moduleConnected() const override;
    bool cModule() const override;
    int receiveChannelItem() const override;
    void slotMeasured(int slot, int level, int peak) override;
    void sweepMeasured() override;
    void stopFromSweep() override;
    void receiveError() override;

    void startRequest();
    void stopRequest();
    void showSelectedSlot();
    int displaySlot() const; // the slot chosen in CBoxMonitor_Messung, or -1
    void message(const char *german, const char *english);

    MonitorControls &c;
    MonitorEnvironment env;
    const Activities &m_activities;
    SweepCore m_core;
};
