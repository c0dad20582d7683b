#include "module/verify.h"

#include "link/comport.h"
#include "link/modulelink.h"
#include "link/retryexchange.h"
#include "module/identification.h"
#include "module/moduleidentity.h"
#include "module/writeexecution.h"

QList<RegisterMismatch> verifyWrite(ModuleLink &link, const WritePlan &plan,
                                    const QString &typeLetter,
                                    const std::function<void(int)> &sleepMs)
{
    const auto planned = plannedRegisters(plan);
    QList<quint8> registers;
    for (const auto &[reg, value] : planned)
        registers.append(reg);

    const bool cModule = firmwareType(typeLetter) == FirmwareType::C;
    RegisterRead read;
    retryExchange(link, [&] {
        // A C module takes commands only while RTS is off.
        if (cModule)
            link.port().setRts(false);
        read = readRegisters(link, registers);
        if (cModule)
            link.port().setRts(true);
        if (link.state().errorFlag)
            sleepMs(200);
    });

    QList<RegisterMismatch> mismatches;
    for (const auto &[reg, value] : planned) {
        if (read.at(reg) != value)
            mismatches.append({reg, value, read.at(reg)});
    }
    return mismatches;
}
