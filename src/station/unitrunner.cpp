#include "station/unitrunner.h"

#include "station/portsession.h"
#include "station/steps.h"

#include <QElapsedTimer>
#include <QUuid>

namespace Station
{

UnitRunner::UnitRunner(PortSession &session, const Plan &plan, RunContext &context)
    : m_session(session), m_plan(plan), m_context(context)
{
}

UnitRecord UnitRunner::run()
{
    UnitRecord unit;
    unit.uuid = QUuid::createUuid().toString(QUuid::WithoutBraces);
    unit.port = m_session.portName();
    unit.station = m_context.station;
    unit.operatorName = m_context.operatorName;
    unit.toolVersion = m_context.toolVersion;
    unit.planName = m_plan.name;
    unit.planSha256 = m_plan.sha256;
    unit.startedAt = QDateTime::currentDateTimeUtc();
    StepContext context{m_session, m_context, unit};

    // The identification always comes first: the record needs it, and so does every step. The
    // plan's identify step adds what it must show.
    QList<PlanStep> steps = m_plan.steps;
    if (!m_plan.identify())
        steps.prepend(PlanStep{0, IdentifyStep{}});
    m_session.port().setBaudRate(m_context.baud);

    bool failed = false;
    for (const PlanStep &planStep : steps) {
        if (failed || m_context.stopRequested()) {
            StepRecord skipped;
            skipped.name = planStep.name();
            skipped.result = Result::Skipped;
            unit.steps << skipped;
            if (!failed) {
                failed = true;
                unit.failure =
                    QStringLiteral("stopped by the operator before %1").arg(planStep.name());
            }
            continue;
        }
        if (m_context.progress)
            m_context.progress(planStep.name());
        QElapsedTimer took;
        took.start();
        StepRecord step;
        try {
            step = std::visit(
                [&](const auto &settings) -> StepRecord {
                    using T = std::decay_t<decltype(settings)>;
                    if constexpr (std::is_same_v<T, IdentifyStep>)
                        return identifyStep(context, settings);
                    else if constexpr (std::is_same_v<T, WriteStep>)
                        return writeStep(context, settings);
                    else if constexpr (std::is_same_v<T, TestStep>)
                        return testStep(context, settings);
                    else if constexpr (std::is_same_v<T, LinkStep>)
                        return linkStep(context, settings);
                    else if constexpr (std::is_same_v<T, CarrierStep>)
                        return carrierStep(context, settings);
                    else
                        return sweepStep(context, settings);
                },
                planStep.settings);
        } catch (const PortError &error) {
            step.name = planStep.name();
            failStep(step, QStringLiteral("port lost: %1").arg(error.text().simplified()));
            m_portLost = true;
        } catch (const PortLost &lost) {
            step.name = planStep.name();
            failStep(step, QStringLiteral("port lost: %1").arg(lost.text.simplified()));
            m_portLost = true;
        }
        step.durationMs = took.elapsed();
        // A loss noticed outside an exchange is the run's end too, whatever the step made of it.
        if (!m_portLost && !m_session.lossText().isEmpty()) {
            failStep(step, QStringLiteral("port lost: %1").arg(m_session.lossText().simplified()));
            m_portLost = true;
        }
        if (step.result == Result::Failed) {
            failed = true;
            unit.failure = step.name + QStringLiteral(": ") + step.reason;
        }
        unit.steps << step;
    }
    unit.result = failed ? Result::Failed : Result::Passed;
    unit.endedAt = QDateTime::currentDateTimeUtc();
    return unit;
}

} // namespace Station
