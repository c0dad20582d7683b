#pragma once

#include <QList>
#include <QString>

// A running korvel-sim makes itself findable: a link in the user's runtime folder, named after the
// emulated module's serial number, points at its pseudo-terminal while it runs. The link's path
// opens like a serial port and stays the same from one run to the next, so the port selector
// can offer it and remember it.
namespace SimRegistry
{

struct Instance {
    QString path;   // the link, e.g. /run/user/1000/korvel-sim/korvel-sim-123456
    QString device; // the pseudo-terminal it points at, e.g. /dev/pts/3
};

// <runtime folder>/korvel-sim; the runtime folder is $XDG_RUNTIME_DIR, or Qt's private fallback
// in the temporary folder. Empty when there is no usable runtime folder: Qt refuses one that
// another user owns or that is no folder, and a folder anyone can reach is no place for links
// that other programs open as serial ports.
QString folder();

// "korvel-sim-123456"; from the second instance with the same number on "korvel-sim-123456-2".
QString linkName(quint32 serial, int instance = 1);

// The instances whose link points at a terminal that is still there, sorted by path; none
// without a registry folder.
QList<Instance> running(const QString &registryFolder = folder());

// The registration of one instance: the link is made by register() and removed by the
// destructor. A stale link of an instance that is gone is replaced.
class Registration
{
public:
    Registration() = default;
    ~Registration();
    Registration(const Registration &) = delete;
    Registration &operator=(const Registration &) = delete;

    // Links devicePath under a free name for serial; false with the reason in *error, also when
    // there is no registry folder.
    bool registerDevice(const QString &devicePath, quint32 serial, QString *error,
                        const QString &registryFolder = folder());
    QString path() const { return m_path; }

private:
    QString m_path;
    QString m_device;
};

} // namespace SimRegistry
