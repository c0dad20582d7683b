#pragma once

#include "link/simregistry.h"

#include <QString>

#include <functional>
#include <memory>

// Makes this korvel-sim findable by the port selector while it runs: a link named after the
// module's serial number in the user's runtime folder (see SimRegistry). A failure is only noted;
// the device path on standard output still works.
std::unique_ptr<SimRegistry::Registration>
makeFindable(const QString &devicePath, quint32 serial,
             const std::function<void(const QString &)> &note);
