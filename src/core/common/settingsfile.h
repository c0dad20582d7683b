#pragma once

#include <QByteArray>
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
    // The name's bytes as the file holds them: UTF-8 when the window wrote them, but kept as
    // they are when they are not, so that writing the file back changes nothing.
    QByteArray portName;
};

inline const char *const kSettingsFileName = "Korvel_ComSetting.ini";

// The longest port name the file keeps: a path the system can open is shorter.
constexpr qsizetype kMaxPortNameBytes = 4095;

// Lines ended by CR LF: "-1" (checked) or "0", the port index, the baud index, each in decimal,
// and then the port's name on a fourth line when there is one to keep. A reader of the three
// lines alone finds them as always. A name with control characters, or longer than
// kMaxPortNameBytes, is not kept.
QByteArray formatComSettings(const ComSettings &settings);
// A line that is not a Boolean or number text counts as unchecked / no selection. A file with
// fewer lines gives what its lines hold. The name comes from the fourth line or, in the files of
// earlier versions, after a tab on the second ("2\t/dev/ttyUSB0").
ComSettings parseComSettings(const QByteArray &content);

// Reading: nothing when the file cannot be opened, is not a regular file or is far larger than
// its four lines can be.
std::optional<ComSettings> readComSettings(const QString &path);
// Replaces the file only when the new one is complete; a link in its place is replaced by the
// file, its target is not touched. Returns the reason of a failure, or an empty text.
QString writeComSettings(const QString &path, const ComSettings &settings);

// The index to keep for a selector: the item that the box shows. A typed text that matches an
// item gives that item's index, one that matches none gives -1, whatever was chosen before.
int shownItemIndex(const QStringList &items, int currentIndex, const QString &shownText);

// The port's name as the selector shows it; bytes that are not UTF-8 show as replacement
// characters.
QString portNameText(const QByteArray &name);
// The bytes to keep for the name the selector shows: those read at the start while it still
// shows what they read as, so that a name that is not UTF-8 is written back unchanged; the
// shown text in UTF-8 otherwise.
QByteArray portNameBytes(const QString &shown, const QByteArray &readAtStart);
