#pragma once

#include "module/registers.h"
#include "module/storedconfig.h"
#include "module/writeplan.h"

#include <QByteArray>
#include <QString>

#include <optional>

// What a stored configuration means for the connected module: the page values, or why it cannot
// be used (German and English, as the window says it).
struct StoredConfigUse {
    std::optional<BPageValues> b;
    std::optional<CPageValues> c;
    WriteMessage refusal; // empty when the file can be used
    bool usable() const { return refusal.english.isEmpty(); }
};
// bytes: the file as read; readOk false when the file is missing or unreadable. bPage, cPage:
// which configuration page the module shows (neither before a read-out).
StoredConfigUse useStoredConfig(const QByteArray &bytes, bool readOk, const QString &moduleLetter,
                                bool bPage, bool cPage, const BItemCounts &bCounts,
                                const CItemCounts &cCounts);
WriteMessage storedConfigTooLarge();

// What can be told of a stored configuration without a module: whether it names a module type on
// line 2 (B, C or x) and holds the lines of that type's page, each a number where one is due.
// Nothing when it is whole as far as that goes; otherwise the 1-based number of the first line
// at fault (0: the file holds no line at all) and that line's text.
struct StoredConfigDefect {
    int line = 0;
    QString text;
};
std::optional<StoredConfigDefect> storedConfigDefect(const QByteArray &bytes);
