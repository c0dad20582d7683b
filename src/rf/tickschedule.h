#pragma once

#include "rf/mscountdown.h"

#include <algorithm>

// Sets the countdown for the consecutive waits of a cooperative loop so that the loop keeps to
// the timer's ticks: the ticks that passed after a wait ended (reading, evaluating, drawing) are
// taken off the next wait, at most down to no wait at all. A wait of 0 or less does not wait and
// leaves nothing owed.
class TickSchedule
{
public:
    explicit TickSchedule(MsCountdown &countdown) : m_countdown(countdown) {}

    // Starts afresh: the next wait counts its full length.
    void restart(qint32 ms)
    {
        m_countdown.store(ms);
        m_length = ms;
    }

    // Sets the next wait of ms ticks, shortened by the overrun of the previous one.
    void next(qint32 ms)
    {
        const qint32 now = m_countdown.load();
        // Ticks since the previous wait ended (or since it was set, when it did not wait).
        const qint32 overrun = std::max<qint32>(0, std::min<qint32>(m_length, 0) - now);
        const qint32 taken = std::min(overrun, std::max<qint32>(ms, 0));
        m_length = ms - taken;
        // fetch_add keeps a tick that lands between the load and the update.
        m_countdown.fetch_add(m_length - now);
    }

private:
    MsCountdown &m_countdown;
    qint32 m_length = 0;
};
