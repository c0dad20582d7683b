#pragma once

#include "module/writeplan.h"

#include <QList>

#include <functional>
#include <optional>
#include <utility>

class ModuleLink;

// What the write does beside sending frames.
class WriteObserver
{
public:
    virtual ~WriteObserver() = default;
    // The module's serial rate changes: the PC follows with the selector's item.
    virtual void switchPcBaud(int item) = 0;
    virtual void setRxTxSwitchByCommand(bool byCommand) { Q_UNUSED(byCommand); }
    // A pass over the plan has ended (successfully or not).
    virtual void passEnded() {}
};

// Carries out a write plan with the usual five attempts: every pass sends all its steps, then
// waits 200 ms. True when the last pass succeeded.
bool executeWritePlan(ModuleLink &link, const WritePlan &plan, WriteObserver &observer,
                      const std::function<void(int)> &sleepMs);

// Where the last pass of a failed write stopped: the registers the module took before it, in
// order, the register it failed at, and the error value when the module refused that register
// with a module error (rather than not answering).
struct WriteStop {
    QList<std::pair<quint8, quint8>> written;
    std::optional<quint8> failedRegister;
    std::optional<quint8> moduleError;
};
struct LinkState;
WriteStop writeStop(const WritePlan &plan, const LinkState &state);

// The register values a plan writes, by register number (the EEPROM bit taken off).
QList<std::pair<quint8, quint8>> plannedRegisters(const WritePlan &plan);
