#pragma once

#include "station/plan.h"
#include "station/unitrecord.h"

#include <QString>

#include <atomic>
#include <functional>

namespace Station
{

class PortSession;
class ReferencePool;

// What a unit's run needs beyond the plan and the port.
struct RunContext {
    QString station;
    QString operatorName;
    QString toolVersion;
    ReferencePool *references = nullptr;
    int portIndex = 0;
    qint32 baud = 19200;
    // Set when the station stops (Ctrl+C, SIGTERM): the running step ends as the window's Stop
    // ends it, and no further step begins.
    const std::atomic<bool> *stop = nullptr;
    // The step that begins (for the live line).
    std::function<void(const QString &step)> progress;
    // The running step's way to end early, called on the port's thread when the station stops;
    // empty between steps.
    std::function<void()> stopAction;

    bool stopRequested() const { return stop && stop->load(); }
};

// Runs the plan on the module of one port, from its power-up to its last step, and records
// everything: every step with its measured values, limits and result. The first failed step
// ends the run; the steps after it are recorded as skipped. Runs on the port's own thread.
class UnitRunner
{
public:
    UnitRunner(PortSession &session, const Plan &plan, RunContext &context);
    UnitRecord run();
    // The port went away during the run: no further unit can follow on it.
    bool portLost() const { return m_portLost; }

private:
    PortSession &m_session;
    const Plan &m_plan;
    RunContext &m_context;
    bool m_portLost = false;
};

} // namespace Station
