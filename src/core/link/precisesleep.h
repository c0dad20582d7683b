#pragma once

#include <QtGlobal>

// Sleeps the calling thread until the steady clock (std::chrono::steady_clock, in nanoseconds)
// reaches targetNs, to within a fraction of a millisecond: the 1 ms timers of the link pace
// themselves with it. Each system has its own (link/unix/, link/win/): the default sleep of
// Windows ends on its 15.6 ms scheduler tick.
namespace PreciseSleep
{

void until(qint64 targetNs);

// While one lives, ordinary timed waits (a condition variable's) end within a millisecond of
// their deadline too: Windows lowers its timer period to 1 ms; elsewhere they already do.
class FinePeriod
{
public:
    FinePeriod();
    ~FinePeriod();
    FinePeriod(const FinePeriod &) = delete;
    FinePeriod &operator=(const FinePeriod &) = delete;

private:
    bool m_lowered = false;
};

} // namespace PreciseSleep
