#include "rf/lateness.h"

#include "rf/mscountdown.h"

#include <algorithm>

namespace Lateness
{

double lateMs(qint64 dueNs, qint64 ranNs)
{
    return std::max<qint64>(0, ranNs - dueNs) / 1e6;
}

double lateAfterCountdown(const MsCountdown &countdown, int ms)
{
    return lateMs(countdown.setAtNs() + qint64(std::max(ms, 0)) * 1'000'000,
                  MsCountdown::steadyNowNs());
}

QString tallyText(const LatenessTally &tally, const QLocale &locale)
{
    return QStringLiteral("%1 / %2 ms")
        .arg(tally.lateCycles())
        .arg(locale.toString(tally.latestStepMs(), 'f', 1));
}

} // namespace Lateness

void LatenessTally::addCycle(double latestStepMs)
{
    ++m_cycles;
    if (latestStepMs > Lateness::kLateMs)
        ++m_lateCycles;
    m_latestStepMs = std::max(m_latestStepMs, latestStepMs);
}
