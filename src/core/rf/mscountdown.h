#pragma once

#include <QtGlobal>

#include <atomic>
#include <functional>
#include <memory>
#include <thread>

class QAbstractEventDispatcher;

// The shared millisecond countdown. The periodic timer's thread lowers it, the UI thread sets it
// and waits for it to reach 0; it (with the moment it was last set) is the only datum the two
// threads share. Setting it notes the moment, so that the timer's first tick for the new count
// comes one millisecond later: a count of N then lasts N milliseconds, never N - 1 and a bit,
// whatever the phase of the timer when it was set.
class MsCountdown
{
public:
    constexpr explicit MsCountdown(qint32 initial = 0) noexcept : m_count(initial) {}
    MsCountdown(const MsCountdown &) = delete;
    MsCountdown &operator=(const MsCountdown &) = delete;

    qint32 load() const noexcept { return m_count.load(); }
    void store(qint32 value) noexcept
    {
        m_setAtNs.store(steadyNowNs());
        m_count.store(value);
    }
    MsCountdown &operator=(qint32 value) noexcept
    {
        store(value);
        return *this;
    }
    // A tick lowers the count without noting a new moment; both return the count before.
    qint32 fetch_sub(qint32 step) noexcept { return m_count.fetch_sub(step); }
    qint32 fetch_add(qint32 step) noexcept { return m_count.fetch_add(step); }
    // When the count was last set, in steady-clock nanoseconds; 0 before the first set.
    qint64 setAtNs() const noexcept { return m_setAtNs.load(); }

    static qint64 steadyNowNs() noexcept;

private:
    std::atomic<qint32> m_count;
    std::atomic<qint64> m_setAtNs{0};
};

// The 1 ms periodic timer: a thread of its own that lowers the countdown by one every
// millisecond. It sleeps to absolute deadlines on the steady clock, so a late wake-up catches up
// with the ticks it missed instead of stretching the period. A newly set count starts the ticks
// afresh one millisecond after it was set, so it never gets ticks from before its start. When a
// tick brings the count to 0 it wakes the UI thread's event dispatcher, so a waiter blocked in the
// event loop returns at once.
class PeriodicMsTimer
{
public:
    PeriodicMsTimer(MsCountdown &countdown, QAbstractEventDispatcher *wakeOnZero);
    ~PeriodicMsTimer(); // stops the thread and waits for it

    PeriodicMsTimer(const PeriodicMsTimer &) = delete;
    PeriodicMsTimer &operator=(const PeriodicMsTimer &) = delete;

    // Ticks delivered since the start.
    qint64 ticks() const { return m_ticks.load(std::memory_order_relaxed); }

private:
    void run();

    MsCountdown &m_countdown;
    QAbstractEventDispatcher *m_wakeOnZero;
    std::atomic<bool> m_stop{false};
    std::atomic<qint64> m_ticks{0};
    std::thread m_thread;
};

// The one slot that owns the running periodic timer (`MmTimerId`). The carrier test, LinkControl
// and the monitor share it; each starts and stops the timer as its owner, so a second start while
// a timer runs keeps the running one (two timers never lower the countdown at once) and one
// activity's stop never ends the timer another one waits on.
class MmTimerSlot
{
public:
    // Whoever started the timer: the activity's address serves.
    using Owner = const void *;

    explicit MmTimerSlot(MsCountdown &countdown) : m_countdown(countdown) {}
    ~MmTimerSlot() { m_timer.reset(); }

    // Starts the timer for owner on the calling (UI) thread. False when one runs already.
    bool start(Owner owner);
    // Stops the running timer if owner started it; the countdown keeps its value. True when it
    // stopped one.
    bool stop(Owner owner);
    bool isRunning() const { return m_timer != nullptr; }
    bool ownedBy(Owner owner) const { return m_timer && m_owner == owner; }
    qint64 ticks() const { return m_timer ? m_timer->ticks() : 0; }

private:
    MsCountdown &m_countdown;
    std::unique_ptr<PeriodicMsTimer> m_timer;
    Owner m_owner = nullptr;
};

// Waits until the countdown is 0 or less while the UI thread's events are processed, so clicks
// run during the wait. Between events it blocks in the event loop and costs no CPU; the timer
// wakes it when the count runs out. Returns at once when the count is 0 or less already, and
// also when no timer runs in the slot (nothing would ever lower the count), and after any handler
// that made `ended` true (a port that was closed, a window that is closing).
void waitForCountdown(const MsCountdown &countdown, const MmTimerSlot &slot,
                      const std::function<bool()> &ended = {});
