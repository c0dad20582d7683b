#pragma once

#include "monitor/csvexport.h"
#include "monitor/peakhold.h"
#include "rf/lateness.h"

#include <array>
#include <optional>

class ModuleLink;
class MsCountdown;
class MmTimerSlot;
class QString;

// What the sweep reads from its front end and what it reports to it. The loop reads every
// setting afresh where it uses it: in the window the user may change them while the sweep runs.
class SweepHost
{
public:
    static constexpr int kSlots = 30;

    virtual ~SweepHost() = default;

    // The channel-list item of a slot (0 to 29); -1 for an inactive slot.
    virtual int slotItem(int slot) const = 0;
    virtual int speedPosition() const = 0;      // 0 (slow) to 10 (fast)
    virtual int meanPosition() const = 0;       // 0 (no smoothing) to 10
    virtual int peakWindowPosition() const = 0; // the peak window is 20 times as many sweeps
    virtual bool instantaneousRssi() const = 0; // else the maximum that the module holds
    virtual bool keepPeaks() const = 0;         // peaks only rise

    // Read by the start and the stop steps.
    virtual bool moduleConnected() const = 0;
    virtual bool cModule() const = 0;
    // The item of the module's configured receive channel, which the stop steps tune back to.
    virtual int receiveChannelItem() const = 0;

    // A slot's reading was taken: the level its bar shows and its peak.
    virtual void slotMeasured(int slot, int level, int peak) = 0;
    // All 30 slots were visited (not sent for a sweep cut short by a stop).
    virtual void sweepMeasured() = 0;
    // The sweep has to end (five failed slots in a row, a closed port): the front end presses
    // its stop, which calls requestStop().
    virtual void stopFromSweep() = 0;
    // Reported after stopFromSweep() when the module stopped answering.
    virtual void receiveError() = 0;
};

// The monitor sweep without its window: tunes the module to each active slot's channel in turn,
// waits the settle time on the 1 ms countdown, reads the signal strength, smooths it and holds
// the peak per slot, until a stop is requested; then tunes the module back to its receive
// channel. Every wait and every slot yields to the event loop, so the front end's handlers
// (its stop among them) run inside the loop.
class SweepCore
{
public:
    static constexpr int kSlots = SweepHost::kSlots;
    static constexpr int kConnectedTimeoutMs = 500;

    SweepCore(ModuleLink &link, MsCountdown &countdown, MmTimerSlot &timerSlot, SweepHost &host);

    // Runs the sweep at the PC's baud rate until a stop is requested, then the stop steps. A
    // port failure ends it without talking to the module again and is thrown on. Does nothing
    // while another activity holds the 1 ms timer.
    void run(int baud);
    void requestStop() { m_running = false; }
    bool running() const { return m_running; }
    // True from a start until the loop has run its stop steps.
    bool loopActive() const { return m_loopActive; }

    const SlotMeasurement &slot(int n) const { return m_slots.at(n); }
    // The level a slot's bar shows: the smoothed level, rounded.
    int shownLevel(int n) const;
    // Slot n's row of the export and the spectrum picture: item and itemText name its channel.
    SlotReading reading(int n, int item, const QString &itemText) const;
    // Every slot's level, history and peak back to -128 dBm; a running sweep goes on with them.
    void resetPeaks();
    // How late the PC took the readings after their settle waits, per measured slot, since the
    // last start.
    const LatenessTally &lateness() const { return m_lateness; }

private:
    void sweepLoop();
    bool measureSlot(int n, int j); // false when the slot is inactive
    bool portClosed();
    void stopSteps();
    void waitMs(int ms);

    ModuleLink &m_link;
    MsCountdown &m_countdown;
    MmTimerSlot &m_timerSlot;
    SweepHost &m_host;
    std::array<SlotMeasurement, kSlots> m_slots;
    bool m_running = false;
    bool m_loopActive = false;
    LatenessTally m_lateness;
};

// The rate in the PC's baud box as a positive whole number, or nothing.
std::optional<int> sweepBaudOf(const QString &text);
// The port's read timeout while the monitor runs: about the time of a few bytes plus 10 ms.
int sweepReadTimeoutMs(int baud);
// The settle wait after tuning for a position of the speed track bar.
int sweepSettleMs(int speedPosition);
