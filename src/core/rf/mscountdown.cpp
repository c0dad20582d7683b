#include "rf/mscountdown.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>

#include <algorithm>
#include <chrono>
#include <limits>

namespace
{

constexpr qint64 kTickNs = 1'000'000;

} // namespace

qint64 MsCountdown::steadyNowNs() noexcept
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

qint64 MsCountdown::countAt(qint64 nowNs) const noexcept
{
    if (m_tickingFromNs == 0)
        return m_count;
    // Ticks come one millisecond after the set (or the timer's start) and every millisecond on.
    const qint64 from = std::max(m_setAtNs, m_tickingFromNs);
    return m_count - std::max<qint64>(0, nowNs - from) / kTickNs;
}

qint32 MsCountdown::load() const noexcept
{
    const std::lock_guard lock(m_mutex);
    return qint32(std::max<qint64>(countAt(steadyNowNs()), std::numeric_limits<qint32>::min()));
}

void MsCountdown::store(qint32 value) noexcept
{
    {
        const std::lock_guard lock(m_mutex);
        m_setAtNs = steadyNowNs();
        m_count = value;
    }
    m_changed.notify_all();
}

qint64 MsCountdown::setAtNs() const noexcept
{
    const std::lock_guard lock(m_mutex);
    return m_setAtNs;
}

PeriodicMsTimer::PeriodicMsTimer(MsCountdown &countdown, QAbstractEventDispatcher *wakeOnZero)
    : m_countdown(countdown), m_wakeOnZero(wakeOnZero)
{
    {
        const std::lock_guard lock(m_countdown.m_mutex);
        m_startNs = MsCountdown::steadyNowNs();
        m_countdown.m_tickingFromNs = m_startNs;
    }
    m_thread = std::thread([this] { run(); });
}

PeriodicMsTimer::~PeriodicMsTimer()
{
    {
        const std::lock_guard lock(m_countdown.m_mutex);
        m_stop = true;
        // The count stays where the ticks have brought it.
        m_countdown.m_count = qint32(std::max<qint64>(
            m_countdown.countAt(MsCountdown::steadyNowNs()), std::numeric_limits<qint32>::min()));
        m_countdown.m_tickingFromNs = 0;
    }
    m_countdown.m_changed.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

qint64 PeriodicMsTimer::ticks() const
{
    return (MsCountdown::steadyNowNs() - m_startNs) / kTickNs;
}

void PeriodicMsTimer::run()
{
    using clock = std::chrono::steady_clock;
    std::unique_lock lock(m_countdown.m_mutex);
    // The set whose running out has been announced, so that it is announced once.
    qint64 announcedSetNs = -1;
    while (!m_stop) {
        const qint64 setNs = m_countdown.m_setAtNs;
        const qint64 now = MsCountdown::steadyNowNs();
        const qint64 left = m_countdown.countAt(now);
        if (left > 0 || announcedSetNs == setNs || m_countdown.m_count <= 0) {
            if (left > 0) {
                // The moment the count reaches 0, unless a new count comes first.
                const qint64 zeroAtNs =
                    std::max(setNs, m_startNs) + qint64(m_countdown.m_count) * kTickNs;
                m_countdown.m_changed.wait_until(
                    lock, clock::time_point(std::chrono::nanoseconds(zeroAtNs)));
            } else {
                m_countdown.m_changed.wait(lock);
            }
            continue;
        }
        announcedSetNs = setNs;
        if (m_wakeOnZero)
            m_wakeOnZero->wakeUp();
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
