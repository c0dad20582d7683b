#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

// Loads Qt's own German texts (standard buttons of message boxes and dialogs) for index 0 and
// removes them for any other index. False when the German translation could not be loaded.
bool useQtTranslation(int languageIndex);

// The language index for the user-interface languages of the system, most preferred first
// ("de-DE", "en-US"): 0 when the first is German, 1 otherwise.
int languageIndexForSystem(const QStringList &uiLanguages);
int systemLanguageIndex();

// The user's language choice, kept in a file of its own next to the settings file: one line,
// "0" or "1".
inline const char *const kLanguageFileName = "Korvel_Language.ini";
QByteArray formatLanguageChoice(int languageIndex);
// Nothing unless the first line is exactly 0 or 1 (blanks around it allowed).
std::optional<int> parseLanguageChoice(const QByteArray &content);
// Nothing when the file is missing, not a regular file, too large or unreadable.
std::optional<int> readLanguageChoice(const QString &path);
// Replaces the file whole or not at all; the system's reason of a failure, or an empty text.
QString writeLanguageChoice(const QString &path, int languageIndex);
