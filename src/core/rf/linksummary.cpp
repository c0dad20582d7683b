#include "rf/linksummary.h"

void LinkSummary::add(const LinkCycle &cycle)
{
    ++m_sent;
    m_lateness.addCycle(cycle.pcLateMs);
    if (!cycle.received)
        return;
    ++m_received;
    m_stats[Signal1].add(cycle.s1);
    m_stats[Noise1].add(cycle.n1);
    m_stats[Snr1].add(snrOf(cycle.s1, cycle.n1));
    if (!cycle.module2)
        return;
    m_stats[Signal2].add(cycle.s2);
    m_stats[Noise2].add(cycle.n2);
    m_stats[Snr2].add(snrOf(cycle.s2, cycle.n2));
}

double LinkSummary::lostPercent() const
{
    return m_sent > 0 ? double(lost()) * 100.0 / double(m_sent) : 0.0;
}
