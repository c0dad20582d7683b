#pragma once

#include <QString>

// Where the settings file and the stored configurations live. A copy of the program in a folder
// of its own keeps them beside the executable (a portable copy). An installed program, or one
// whose folder the user cannot write, keeps them in the user's data folder.

// The name of the desktop entry that an installed program has beside its bin folder
// (<prefix>/share/applications/).
inline const char *const kDesktopEntryName = "korvel-config.desktop";

// The folder, with a trailing separator: executableFolder when it is writable and not an
// installed location, otherwise userFolder, which is created when missing.
QString chooseDataFolder(const QString &executableFolder, const QString &userFolder);

// The same for this program: its executable's folder and the per-user application data folder.
QString programDataFolder();

// Whether the executable's folder is an installed location (<prefix>/bin with the desktop entry
// in <prefix>/share/applications, or on Windows a folder under C:\Program Files and its kin).
bool isInstalledLocation(const QString &executableFolder);

// A sentence for the user (the about box shows it) naming the folder and what it holds.
QString dataFolderDescription(int languageIndex, const QString &folder);
