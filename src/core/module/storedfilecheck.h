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
