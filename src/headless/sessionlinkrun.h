#pragma once

#include "headless/modulesession.h"

#include "rf/linkrun.h"
#include "rf/mscountdown.h"

namespace Headless
{

// LinkControl on a session's port, with the state the window keeps beside its run (the timer,
// the running and stop flags, the peak slot) held for it.
class SessionLinkRun
{
public:
    explicit SessionLinkRun(ModuleSession &session)
        : m_run(session.port(), session.log(),
                LinkRunShared{&m_countdown, &m_timerSlot, &m_linkControlRunning, &m_linkStopFlag,
                              &m_peakWriteSlot})
    {
    }
    LinkRun &run() { return m_run; }

private:
    MsCountdown m_countdown{0};
    MmTimerSlot m_timerSlot{m_countdown};
    bool m_linkControlRunning = false;
    bool m_linkStopFlag = true;
    int m_peakWriteSlot = 1;
    LinkRun m_run;
};

} // namespace Headless
