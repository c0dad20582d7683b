#pragma once

#include <QLocale>
#include <QString>
#include <QtGlobal>

class MsCountdown;

// How late the program's own timed steps ran against the moments they were due. Only the PC
// makes a step late (other programs, a build, the host of a virtual machine): a loss in a cycle
// that ran late may be the PC's doing, one in a cycle on time is the link's.
namespace Lateness
{

// A step that runs more than this after its moment is late. Waits count whole milliseconds of
// the 1 ms timer and end on its tick, so the first millisecond is the wait's own grain; a second
// one is the PC's.
constexpr double kLateMs = 2.0;

// Milliseconds a step ran after the moment it was due (steady clock, ns); 0 when on time.
double lateMs(qint64 dueNs, qint64 ranNs);
// How late the caller runs now after a wait on a countdown that was set to ms.
double lateAfterCountdown(const MsCountdown &countdown, int ms);

} // namespace Lateness

// The lateness of a run's cycles: the latest step of all and the cycles that ran late.
class LatenessTally
{
public:
    // A cycle ended whose latest step ran latestStepMs late.
    void addCycle(double latestStepMs);
    void clear() { *this = LatenessTally(); }

    qint64 cycles() const { return m_cycles; }
    qint64 lateCycles() const { return m_lateCycles; }
    double latestStepMs() const { return m_latestStepMs; }

private:
    qint64 m_cycles = 0;
    qint64 m_lateCycles = 0;
    double m_latestStepMs = 0;
};

namespace Lateness
{
// "3 / 12.5 ms": the cycles that ran late and how late the latest step ran, in the locale's
// decimal form.
QString tallyText(const LatenessTally &tally, const QLocale &locale);
} // namespace Lateness
