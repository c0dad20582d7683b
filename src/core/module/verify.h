#pragma once

#include "module/writeplan.h"

#include <QList>
#include <QString>

#include <functional>
#include <optional>

class ModuleLink;

struct RegisterMismatch {
    quint8 reg = 0;
    quint8 expected = 0;
    std::optional<quint8> actual; // nothing when the read failed
};
// Reads the written registers back (RTS off for a C module, as the read-out does) with the usual
// five attempts and lists every register that differs from the plan.
QList<RegisterMismatch> verifyWrite(ModuleLink &link, const WritePlan &plan,
                                    const QString &typeLetter,
                                    const std::function<void(int)> &sleepMs);
