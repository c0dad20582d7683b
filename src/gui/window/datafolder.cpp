#include "window/datafolder.h"

#include "link/win/rules.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace
{

QString withSeparator(QString folder)
{
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder;
}

} // namespace

bool isInstalledLocation(const QString &executableFolder)
{
    const QDir bin(executableFolder);
    if (QFileInfo::exists(bin.filePath(QStringLiteral("../share/applications/")) +
                          QLatin1String(kDesktopEntryName))) {
        return true;
    }
    // Windows names its program folders in the environment; elsewhere these are unset.
    QStringList programFolders;
    for (const char *name : {"ProgramFiles", "ProgramFiles(x86)", "ProgramW6432"})
        programFolders << qEnvironmentVariable(name);
    return WinRules::isUnderProgramFolder(executableFolder, programFolders);
}

QString chooseDataFolder(const QString &executableFolder, const QString &userFolder)
{
    // Even where it could (as root), an installed program writes nothing into the system's
    // program folder.
    if (!isInstalledLocation(executableFolder) && QFileInfo(executableFolder).isWritable())
        return withSeparator(executableFolder);
    QDir().mkpath(userFolder);
    return withSeparator(userFolder);
}

QString programDataFolder()
{
    return chooseDataFolder(QCoreApplication::applicationDirPath(),
                            QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
}

QString dataFolderDescription(int languageIndex, const QString &folder)
{
    const QString shown = QDir::toNativeSeparators(folder);
    if (languageIndex == 0)
        return QStringLiteral("Einstellungen (Korvel_ComSetting.ini) und gespeicherte "
                              "Konfigurationen (M1.txt bis M9.txt) liegen im Ordner\r\n%1")
            .arg(shown);
    return QStringLiteral("Settings (Korvel_ComSetting.ini) and stored configurations (M1.txt "
                          "to M9.txt) are kept in the folder\r\n%1")
        .arg(shown);
}
