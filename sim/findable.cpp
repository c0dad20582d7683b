#include "findable.h"

std::unique_ptr<SimRegistry::Registration>
makeFindable(const QString &devicePath, quint32 serial,
             const std::function<void(const QString &)> &note)
{
    auto registration = std::make_unique<SimRegistry::Registration>();
    QString error;
    if (registration->registerDevice(devicePath, serial, &error))
        note(QStringLiteral("findable as ") + registration->path());
    else
        note(QStringLiteral("not findable by the port list: ") + error);
    return registration;
}
