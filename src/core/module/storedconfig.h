#pragma once

#include "module/registers.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <array>
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

// The file's lines, decoded. In a file with line feeds, LF and CR LF end a line; a file without
// any line feed is split at its CRs (line ends of old Macs).
QStringList storedConfigLines(const QByteArray &bytes);

// Line 2 as it is compared with the connected module's letter: blanks and a stray CR around
// it do not count.
QString storedTypeLetter(const QStringList &lines);

constexpr int kStoredBLineCount = 21;
constexpr int kStoredCLineCount = 19;
// A stored configuration is a few hundred bytes; anything beyond this is not one.
constexpr qint64 kStoredConfigMaxBytes = 64 * 1024;

// Item counts of the page's boxes in the order of their lines (B: lines 3 to 18, C: 3 to 17).
using BItemCounts = std::array<int, 16>;
using CItemCounts = std::array<int, 15>;

// The page values of lines 3 onwards; nothing when the file is shorter than the layout, a line
// that must be a number is not, or an item index lies outside its box's list (-1, no selection,
// is always allowed), with the 1-based number of that line in damagedLine.
std::optional<BPageValues> parseStoredBLines(const QStringList &lines, const BItemCounts &counts,
                                             int *damagedLine);
std::optional<CPageValues> parseStoredCLines(const QStringList &lines, const CItemCounts &counts,
                                             int *damagedLine);
