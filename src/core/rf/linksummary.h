#pragma once

#include "rf/lateness.h"
#include "rf/linkhistory.h"

#include <QtGlobal>

#include <array>

// What a LinkControl run comes to: the cycles sent, received and lost, and over the received
// cycles min, mean and max of the signal, the noise and their ratio at both modules. The free
// module's levels count only from answers that carry them (5 or 7 bytes). How late the PC ran
// the cycles tells a busy PC from a bad link.
class LinkSummary
{
public:
    enum Quantity { Signal1, Noise1, Snr1, Signal2, Noise2, Snr2, kQuantities };

    void add(const LinkCycle &cycle);

    qint64 sent() const { return m_sent; }
    qint64 received() const { return m_received; }
    qint64 lost() const { return m_sent - m_received; }
    // lost × 100 / sent; 0 before the first cycle.
    double lostPercent() const;
    // The statistic of a quantity; its count is 0 when no answer carried it.
    const LinkHistory::Stat &stat(Quantity quantity) const { return m_stats[quantity]; }
    const LatenessTally &lateness() const { return m_lateness; }

private:
    qint64 m_sent = 0;
    qint64 m_received = 0;
    std::array<LinkHistory::Stat, kQuantities> m_stats{};
    LatenessTally m_lateness;
};
