#include "link/precisesleep.h"
#include "link/win/rules.h"

#include <windows.h>

#include <chrono>

#ifndef CREATE_WAITABLE_TIMER_HIGH_RESOLUTION
#define CREATE_WAITABLE_TIMER_HIGH_RESOLUTION 0x00000002
#endif

namespace PreciseSleep
{

namespace
{

qint64 steadyNowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// One waitable timer per sleeping thread. A high-resolution timer (Windows 10 1803 and later)
// ends its waits to within a fraction of a millisecond; where the system has none, an ordinary
// timer with the system's timer period lowered to 1 ms for as long as the thread runs.
class ThreadTimer
{
public:
    ThreadTimer()
    {
        m_handle = ::CreateWaitableTimerExW(nullptr, nullptr, CREATE_WAITABLE_TIMER_HIGH_RESOLUTION,
                                            TIMER_ALL_ACCESS);
        if (!m_handle) {
            m_lowered = ::timeBeginPeriod(1) == TIMERR_NOERROR;
            m_handle = ::CreateWaitableTimerW(nullptr, FALSE, nullptr);
        }
    }
    ~ThreadTimer()
    {
        if (m_handle)
            ::CloseHandle(m_handle);
        if (m_lowered)
            ::timeEndPeriod(1);
    }
    ThreadTimer(const ThreadTimer &) = delete;
    ThreadTimer &operator=(const ThreadTimer &) = delete;

    // False when the timer could not be set; the caller falls back to Sleep.
    bool wait(qint64 dueTime)
    {
        LARGE_INTEGER due;
        due.QuadPart = dueTime;
        if (!m_handle || !::SetWaitableTimer(m_handle, &due, 0, nullptr, nullptr, FALSE))
            return false;
        return ::WaitForSingleObject(m_handle, INFINITE) == WAIT_OBJECT_0;
    }

private:
    HANDLE m_handle = nullptr;
    bool m_lowered = false;
};

} // namespace

void until(qint64 targetNs)
{
    thread_local ThreadTimer timer;
    for (qint64 now = steadyNowNs(); now < targetNs; now = steadyNowNs()) {
        if (!timer.wait(WinRules::relativeDueTime(now, targetNs)))
            ::Sleep(DWORD((targetNs - now + 999'999) / 1'000'000));
    }
}

FinePeriod::FinePeriod() : m_lowered(::timeBeginPeriod(1) == TIMERR_NOERROR) {}

FinePeriod::~FinePeriod()
{
    if (m_lowered)
        ::timeEndPeriod(1);
}

} // namespace PreciseSleep
