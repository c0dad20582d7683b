#pragma once

#include "headless/modulesession.h"

#include "monitor/sweepcore.h"
#include "rf/mscountdown.h"

#include <QList>

#include <array>

namespace Headless
{

// The monitor's sweep without a window: the slots of a plan with the settings of the window's
// design (no smoothing, the instantaneous signal strength, a peak window of 200 sweeps), for a
// number of sweeps. What a completed sweep gives is the caller's (sweepMeasured); it counts the
// sweep with countSweep().
class SlotSweep : public SweepHost
{
public:
    SlotSweep(ModuleSession &session, MsCountdown &countdown, MmTimerSlot &timerSlot);

    SweepCore &core() { return m_core; }
    void setSlots(const QList<int> &items);
    int activeSlots() const;
    void setSpeed(int position) { m_speed = position; }
    void setReceiveItem(int item) { m_receiveItem = item; }
    // 0: until a stop is requested.
    void setSweeps(int sweeps) { m_wanted = sweeps; }
    int done() const { return m_done; }
    bool receiveFailed() const { return m_receiveFailed; }

    // SweepHost
    int slotItem(int slot) const override { return m_items[size_t(slot)]; }
    int speedPosition() const override { return m_speed; }
    int meanPosition() const override { return 0; }
    int peakWindowPosition() const override { return 10; }
    bool instantaneousRssi() const override { return true; }
    bool keepPeaks() const override { return false; }
    bool moduleConnected() const override { return m_session.port().isOpen(); }
    bool cModule() const override;
    int receiveChannelItem() const override { return m_receiveItem; }
    void slotMeasured(int, int, int) override {}
    void sweepMeasured() override { countSweep(); }
    void stopFromSweep() override { m_core.requestStop(); }
    void receiveError() override { m_receiveFailed = true; }

protected:
    // One more sweep is done: the last one wanted stops the sweep.
    void countSweep();

    ModuleSession &m_session;
    SweepCore m_core;
    std::array<int, kSlots> m_items;

private:
    int m_speed = 10;
    int m_receiveItem = -1;
    int m_wanted = 1;
    int m_done = 0;
    bool m_receiveFailed = false;
};

} // namespace Headless
