#include "link/simregistry.h"

#include "link/platform.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <algorithm>

namespace SimRegistry
{

QString folder()
{
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (runtime.isEmpty())
        return {};
    return runtime + QStringLiteral("/korvel-sim");
}

QString linkName(quint32 serial, int instance)
{
    QString name = QStringLiteral("korvel-sim-%1").arg(serial);
    if (instance > 1)
        name += QStringLiteral("-%1").arg(instance);
    return name;
}

QList<Instance> running(const QString &registryFolder)
{
    QList<Instance> instances;
    // An empty path would stand for the current folder.
    if (registryFolder.isEmpty())
        return instances;
    const QDir dir(registryFolder);
    const QStringList names = dir.entryList({QStringLiteral("korvel-sim-*")},
                                            QDir::System | QDir::Files | QDir::NoDotAndDotDot);
    for (const QString &name : names) {
        const QString path = dir.filePath(name);
        const QFileInfo info(path);
        if (!info.isSymLink() || !SerialPlatform::leadsToTerminal(path))
            continue;
        instances.append(Instance{path, info.symLinkTarget()});
    }
    std::sort(instances.begin(), instances.end(),
              [](const Instance &a, const Instance &b) { return a.path < b.path; });
    return instances;
}

Registration::~Registration()
{
    // Only our own link goes: another instance may have taken the name over meanwhile.
    const QFileInfo info(m_path);
    if (!m_path.isEmpty() && info.isSymLink() && info.symLinkTarget() == m_device)
        QFile::remove(m_path);
}

bool Registration::registerDevice(const QString &devicePath, quint32 serial, QString *error,
                                  const QString &registryFolder)
{
    if (registryFolder.isEmpty()) {
        *error = QStringLiteral("no usable runtime folder; set XDG_RUNTIME_DIR to a folder of "
                                "your own (mode 0700)");
        return false;
    }
    if (!QDir().mkpath(registryFolder)) {
        *error = QStringLiteral("cannot create ") + registryFolder;
        return false;
    }
    for (int instance = 1; instance < 100; ++instance) {
        const QString path = QDir(registryFolder).filePath(linkName(serial, instance));
        const QFileInfo info(path);
        if (info.isSymLink() || info.exists()) {
            if (!info.isSymLink() || SerialPlatform::leadsToTerminal(path))
                continue; // taken by a running instance (or not ours to touch)
            QFile::remove(path);
        }
        if (QFile::link(devicePath, path)) {
            m_path = path;
            m_device = QFileInfo(path).symLinkTarget();
            return true;
        }
    }
    *error = QStringLiteral("cannot link ") + devicePath + QStringLiteral(" in ") + registryFolder;
    return false;
}

} // namespace SimRegistry
