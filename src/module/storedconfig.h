#pragma once

#include "module/registers.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

// Windows-1252, the code page of stored configurations on every system. A character the code
// page cannot hold is written as "?"; the five unassigned bytes read back as U+0081 etc.
QByteArray toWindows1252(const QString &text);
QString fromWindows1252(const QByteArray &bytes);

// A stored configuration: description, software type letter and the page it was saved from.
struct StoredConfig {
    QString info;
    QString typeLetter;
    std::optional<BPageValues> b; // lines 3 to 21 when saved from the B page
    std::optional<CPageValues> c; // lines 3 to 19 when saved from the C page
};

// The file's bytes: one value per CR LF line, item indexes ("-1" for no selection), check marks
// "-1" / "0".
QByteArray encodeStoredConfig(const StoredConfig &config);

// The file's lines, decoded (CR LF, and a bare LF, end a line).
QStringList storedConfigLines(const QByteArray &bytes);

constexpr int kStoredBLineCount = 21;
constexpr int kStoredCLineCount = 19;

// The page values of lines 3 onwards; nothing when the file is shorter than the layout or a line
// that must be a number is not, with the 1-based number of that line in damagedLine.
std::optional<BPageValues> parseStoredBLines(const QStringList &lines, int *damagedLine);
std::optional<CPageValues> parseStoredCLines(const QStringList &lines, int *damagedLine);
