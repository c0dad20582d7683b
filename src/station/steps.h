#pragma once

#include "station/plan.h"
#include "station/unitrecord.h"
#include "station/unitrunner.h"

namespace Station
{

class PortSession;

// What every step works with: the port's session, the run's context and the unit's record so
// far.
struct StepContext {
    PortSession &session;
    RunContext &run;
    UnitRecord &unit;
};

// The port went away outside an exchange (the core reported it and closed the port): the unit
// ends with what the system said.
struct PortLost {
    QString text;
};

// Each step returns its record; a failure is a reason or a measurement outside its limits.
// Port failures are thrown (PortError, PortLost) and end the unit.
StepRecord identifyStep(StepContext &context, const IdentifyStep &settings);
StepRecord writeStep(StepContext &context, const WriteStep &settings);
StepRecord testStep(StepContext &context, const TestStep &settings);
StepRecord linkStep(StepContext &context, const LinkStep &settings);
StepRecord carrierStep(StepContext &context, const CarrierStep &settings);
StepRecord sweepStep(StepContext &context, const SweepStep &settings);

// A step that failed for a reason rather than a value.
inline StepRecord &failStep(StepRecord &step, const QString &reason)
{
    step.result = Result::Failed;
    if (step.reason.isEmpty())
        step.reason = reason;
    return step;
}

// The step's result from its measurements: failed when one is outside its limits.
void settleStep(StepRecord &step);

// Waits in the thread's event loop (the port's events are handled) until done() or the stop
// request, at most timeoutMs; true when done() became true.
bool waitUntil(const std::function<bool()> &done, int timeoutMs, const RunContext &run);

} // namespace Station
