#pragma once

#include "rf/mscountdown.h"

#include <algorithm>

// Sets the countdown for the consecutive waits of a cooperative loop so that the loop keeps to
// the timer's ticks: the ticks that pass after a wait has ended (reading, evaluating, drawing)
// are owed and taken off the next wait that absorbs them, up to a limit and at most down to no
// wait at all. A wait that does not absorb keeps its full length and passes the debt on; what an
// absorbing wait does not take (a stall of the machine) is given up.
class TickSchedule
{
public:
    explicit TickSchedule(MsCountdown &countdown) : m_countdown(countdown) {}

    // Starts afresh: nothing is owed, the wait counts its full length.
    void restart(qint32 ms)
    {
        m_countdown.store(ms);
        m_length = ms;
        m_owed = 0;
    }

    // Sets the next wait of ms ticks, shortened by at most absorbAtMost owed ticks.
    void next(qint32 ms, qint32 absorbAtMost)
    {
        const qint32 now = m_countdown.load();
        // Ticks since the previous wait ended, or since it was set when it did not wait.
        m_owed += std::max<qint32>(0, std::min<qint32>(m_length, 0) - now);
        qint32 taken = 0;
        if (absorbAtMost > 0) {
            taken = std::min({m_owed, absorbAtMost, std::max<qint32>(ms, 0)});
            m_owed = 0;
        }
        m_length = ms - taken;
        // fetch_add keeps a tick that lands between the load and the update.
        m_countdown.fetch_add(m_length - now);
    }

    qint32 owed() const { return m_owed; }

private:
    MsCountdown &m_countdown;
    qint32 m_length = 0;
    qint32 m_owed = 0;
};
