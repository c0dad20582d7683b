#include "link/precisesleep.h"

#include <cerrno>
#include <ctime>

namespace PreciseSleep
{

void until(qint64 targetNs)
{
    // The steady clock is CLOCK_MONOTONIC; an absolute deadline survives interruptions.
    const timespec deadline{time_t(targetNs / 1'000'000'000), long(targetNs % 1'000'000'000)};
    while (::clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &deadline, nullptr) == EINTR) {
    }
}

FinePeriod::FinePeriod() = default;
FinePeriod::~FinePeriod() = default;

} // namespace PreciseSleep
