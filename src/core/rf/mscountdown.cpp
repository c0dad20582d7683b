#include "rf/mscountdown.h"

#include "link/precisesleep.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>

#include <chrono>

PeriodicMsTimer::PeriodicMsTimer(MsCountdown &countdown, QAbstractEventDispatcher *wakeOnZero)
    : m_countdown(countdown), m_wakeOnZero(wakeOnZero)
{
    m_thread = std::thread([this] { run(); });
}

PeriodicMsTimer::~PeriodicMsTimer()
{
    m_stop.store(true);
    if (m_thread.joinable())
        m_thread.join();
}

qint64 MsCountdown::steadyNowNs() noexcept
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void PeriodicMsTimer::run()
{
    using clock = std::chrono::steady_clock;
    constexpr auto period = std::chrono::milliseconds(1);
    auto deadline = clock::now() + period;
    qint64 lastSetNs = m_countdown.setAtNs();
    while (!m_stop.load(std::memory_order_relaxed)) {
        PreciseSleep::until(
            std::chrono::duration_cast<std::chrono::nanoseconds>(deadline.time_since_epoch())
                .count());
        const qint64 setNs = m_countdown.setAtNs();
        if (setNs != lastSetNs) {
            // A new count: its first tick is one period after it was set, and none of the
            // deadlines that passed before (while this thread was late, or within the current
            // period) count for it.
            lastSetNs = setNs;
            deadline = clock::time_point(std::chrono::duration_cast<clock::duration>(
                           std::chrono::nanoseconds(setNs))) +
                       period;
            if (deadline > clock::now())
                continue;
        }
        const auto now = clock::now();
        while (deadline <= now && !m_stop.load(std::memory_order_relaxed)) {
            const qint32 before = m_countdown.fetch_sub(1);
            if (m_countdown.setAtNs() != lastSetNs) {
                // A count was set meanwhile (its moment is noted before its value), so this
                // tick may have lowered the new count: give it back and start the new count's
                // ticks afresh. At worst the new count lasts a tick longer, never shorter.
                m_countdown.fetch_add(1);
                break;
            }
            m_ticks.fetch_add(1, std::memory_order_relaxed);
            if (before == 1 && m_wakeOnZero)
                m_wakeOnZero->wakeUp();
            deadline += period;
        }
    }
}

bool MmTimerSlot::start(Owner owner)
{
    if (m_timer)
        return false;
    m_timer = std::make_unique<PeriodicMsTimer>(
        m_countdown, QAbstractEventDispatcher::instance(QThread::currentThread()));
    m_owner = owner;
    return true;
}

bool MmTimerSlot::stop(Owner owner)
{
    if (!ownedBy(owner))
        return false;
    m_timer.reset();
    m_owner = nullptr;
    return true;
}

void waitForCountdown(const MsCountdown &countdown, const MmTimerSlot &slot,
                      const std::function<bool()> &ended)
{
    // The dispatcher's wake-up stays pending until the loop looks, so a tick that reaches 0
    // between the test and the blocking call still ends the block.
    while (countdown.load() > 0 && slot.isRunning() && !(ended && ended()))
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}
