#include "rf/mscountdown.h"

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

void PeriodicMsTimer::run()
{
    using clock = std::chrono::steady_clock;
    constexpr auto period = std::chrono::milliseconds(1);
    auto deadline = clock::now() + period;
    qint32 left = m_countdown.load();
    while (!m_stop.load(std::memory_order_relaxed)) {
        std::this_thread::sleep_until(deadline);
        const auto now = clock::now();
        // One tick for every deadline that has passed, so a late wake-up keeps the mean period
        // of a wait. But a count set while this thread was late must not get the ticks whose
        // time may have passed before it was set (its wait would end early): the missed
        // deadlines are given up then, and the new count starts with the next one.
        const qint32 current = m_countdown.load();
        if (deadline + period <= now && current != left) {
            left = current;
            while (deadline <= now)
                deadline += period;
            continue;
        }
        while (deadline <= now && !m_stop.load(std::memory_order_relaxed)) {
            const qint32 before = m_countdown.fetch_sub(1);
            left = before - 1;
            m_ticks.fetch_add(1, std::memory_order_relaxed);
            if (before == 1 && m_wakeOnZero)
                m_wakeOnZero->wakeUp();
            deadline += period;
        }
    }
}

bool MmTimerSlot::start()
{
    if (m_timer)
        return false;
    m_timer = std::make_unique<PeriodicMsTimer>(
        m_countdown, QAbstractEventDispatcher::instance(QThread::currentThread()));
    return true;
}

void MmTimerSlot::stop()
{
    m_timer.reset();
}

void waitForCountdown(const MsCountdown &countdown, const MmTimerSlot &slot,
                      const std::function<bool()> &ended)
{
    // The dispatcher's wake-up stays pending until the loop looks, so a tick that reaches 0
    // between the test and the blocking call still ends the block.
    while (countdown.load() > 0 && slot.isRunning() && !(ended && ended()))
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}
