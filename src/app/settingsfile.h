#pragma once

#include <QString>

#include <optional>

// The connection settings kept next to the executable: whether to keep them, and the indexes of
// the selected port and baud rate.
struct ComSettings {
    bool save = false;
    int portIndex = -1;
    int baudIndex = -1;
};

inline const char *const kSettingsFileName = "Korvel_ComSetting.ini";

// Three lines, each ended by CR LF: "-1" (checked) or "0", the port index, the baud index.
QByteArray formatComSettings(const ComSettings &settings);
// A line that is not a Boolean or number text counts as unchecked / no selection. A file with
// fewer lines gives what its lines hold.
ComSettings parseComSettings(const QByteArray &content);

// Reading: nothing when the file cannot be opened.
std::optional<ComSettings> readComSettings(const QString &path);
bool writeComSettings(const QString &path, const ComSettings &settings);
