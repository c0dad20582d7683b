#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// The connection settings kept next to the executable: whether to keep them, the indexes of the
// selected port and baud rate, and the port's name, so that a typed path or a port list in
// another order comes back as it was.
struct ComSettings {
    bool save = false;
    int portIndex = -1;
    int baudIndex = -1;
    QString portName;
};

inline const char *const kSettingsFileName = "Korvel_ComSetting.ini";

// Three lines, each ended by CR LF: "-1" (checked) or "0", the port index, the baud index. The
// port's name follows its index on line 2 after a tab ("2\t/dev/ttyUSB0"); a file without it
// reads as before. A name with control characters is not kept.
QByteArray formatComSettings(const ComSettings &settings);
// A line that is not a Boolean or number text counts as unchecked / no selection. A file with
// fewer lines gives what its lines hold.
ComSettings parseComSettings(const QByteArray &content);

// Reading: nothing when the file cannot be opened, is not a regular file or is far larger than
// three lines.
std::optional<ComSettings> readComSettings(const QString &path);
// Replaces the file only when the new one is complete; returns the reason of a failure, or an
// empty text.
QString writeComSettings(const QString &path, const ComSettings &settings);

// The index to keep for a selector: the item that the box shows. A typed text that matches an
// item gives that item's index, one that matches none gives -1, whatever was chosen before.
int shownItemIndex(const QStringList &items, int currentIndex, const QString &shownText);
