#include "module/writeexecution.h"

#include "link/catalogue.h"
#include "link/comport.h"
#include "link/modulelink.h"
#include "link/retryexchange.h"

#include <algorithm>

bool executeWritePlan(ModuleLink &link, const WritePlan &plan, WriteObserver &observer,
                      const std::function<void(int)> &sleepMs)
{
    return retryExchange(link, [&] {
        for (const WriteStep &step : plan.steps) {
            switch (step.kind) {
            case WriteStep::Kind::Frame:
                link.transaction(step.code, step.value);
                break;
            case WriteStep::Kind::SwitchPcBaud:
                // The following frames go out at the module's new rate.
                if (!link.state().errorFlag)
                    observer.switchPcBaud(step.pcBaudItem);
                break;
            case WriteStep::Kind::SetRxTxSwitchByCommand:
                observer.setRxTxSwitchByCommand(step.flag);
                break;
            case WriteStep::Kind::Rts:
                link.port().setRts(step.flag);
                break;
            }
        }
        sleepMs(200);
        observer.passEnded();
    });
}

QList<std::pair<quint8, quint8>> plannedRegisters(const WritePlan &plan)
{
    QList<std::pair<quint8, quint8>> registers;
    for (const WriteStep &step : plan.steps) {
        if (step.kind == WriteStep::Kind::Frame)
            registers.append({quint8(step.code & ~Frame::EepromBit), step.value});
    }
    return registers;
}

WriteStop writeStop(const WritePlan &plan, const LinkState &state)
{
    WriteStop stop;
    const QList<std::pair<quint8, quint8>> planned = plannedRegisters(plan);
    if (state.lastCommand.size() < 3)
        return stop;
    const quint8 failed = quint8(state.lastCommand[1]) & ~Frame::EepromBit;
    const auto at = std::find_if(planned.begin(), planned.end(),
                                 [failed](const auto &entry) { return entry.first == failed; });
    if (at == planned.end())
        return stop;
    stop.failedRegister = failed;
    stop.written = QList<std::pair<quint8, quint8>>(planned.begin(), at);
    if (state.lastAnswer.size() >= 2 && quint8(state.lastAnswer[0]) == Report::ModuleError)
        stop.moduleError = quint8(state.lastAnswer[1]);
    return stop;
}
