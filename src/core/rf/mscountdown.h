#pragma once

#include "link/precisesleep.h"

#include <QtGlobal>

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

class QAbstractEventDispatcher;

// The shared millisecond countdown. The UI thread sets it and waits for it to reach 0; while the
// 1 ms timer runs, the count goes down by one every millisecond, the first millisecond counted
// from the moment it was set: a count of N lasts N milliseconds, never N - 1 and a bit. It (with
// the moment it was last set) is the only datum the UI thread and the timer's thread share.
//
// The count is worked out from the clock when it is read, so the timer need not wake the machine
// every millisecond: a thread that did so, on a busy PC, held up the work of the system's own
// threads that hand the serial line's bytes over, by tens to hundreds of milliseconds.
class MsCountdown
{
public:
    explicit MsCountdown(qint32 initial = 0) noexcept : m_count(initial) {}
    MsCountdown(const MsCountdown &) = delete;
    MsCountdown &operator=(const MsCountdown &) = delete;

    qint32 load() const noexcept;
    void store(qint32 value) noexcept;
    MsCountdown &operator=(qint32 value) noexcept
    {
        store(value);
        return *this;
    }
    // When the count was last set, in steady-clock nanoseconds; 0 before the first set.
    qint64 setAtNs() const noexcept;

    static qint64 steadyNowNs() noexcept;

private:
    friend class PeriodicMsTimer;
    // The count at nowNs; the caller holds m_mutex.
    qint64 countAt(qint64 nowNs) const noexcept;

    mutable std::mutex m_mutex;
    std::condition_variable m_changed; // a new count, or the timer starts or stops
    qint32 m_count;
    qint64 m_setAtNs = 0;
    qint64 m_tickingFromNs = 0; // the running timer's start; 0 while none runs
};

// The 1 ms periodic timer: while it runs the countdown goes down by one every millisecond. Its
// thread sleeps until the moment the count runs out and then wakes the UI thread's event
// dispatcher, so a waiter blocked in the event loop returns at once; a count set meanwhile moves
// that moment. Stopped, it leaves the count at the value it had reached.
class PeriodicMsTimer
{
public:
    PeriodicMsTimer(MsCountdown &countdown, QAbstractEventDispatcher *wakeOnZero);
    ~PeriodicMsTimer(); // stops the thread and waits for it

    PeriodicMsTimer(const PeriodicMsTimer &) = delete;
    PeriodicMsTimer &operator=(const PeriodicMsTimer &) = delete;

    // Whole milliseconds since the start.
    qint64 ticks() const;

private:
    void run();

    MsCountdown &m_countdown;
    QAbstractEventDispatcher *m_wakeOnZero;
    PreciseSleep::FinePeriod m_finePeriod; // the thread's wait ends on time on every system
    qint64 m_startNs = 0;
    bool m_stop = false; // under the countdown's mutex
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
