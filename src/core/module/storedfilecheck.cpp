#include "module/storedfilecheck.h"

#include "module/identification.h"

#include <climits>

WriteMessage storedConfigTooLarge()
{
    return {QStringLiteral("Gespeicherte Konfiguration beschädigt (größer als 64 KiB)!\r\n"
                           "Nichts wurde geändert."),
            QStringLiteral("Stored configuration damaged (larger than 64 KiB)!\r\n"
                           "Nothing was changed.")};
}

StoredConfigUse useStoredConfig(const QByteArray &bytes, bool readOk, const QString &moduleLetter,
                                bool bPage, bool cPage, const BItemCounts &bCounts,
                                const CItemCounts &cCounts)
{
    StoredConfigUse use;
    const QStringList lines = storedConfigLines(bytes);
    if (!readOk || lines.size() < 2) {
        use.refusal = {QStringLiteral("Speicherplatz leer oder File nicht gefunden!"),
                       QStringLiteral("Memory cell empty or file not found!")};
        return use;
    }
    const QString stored = storedTypeLetter(lines);
    if (stored != moduleLetter) {
        use.refusal = {
            QStringLiteral("Gespeicherte Konfiguration kan nur für gleiche Modul-Typen verwendet "
                           "werden\r\n\r\nGespeicherte Konfiguration von ") +
                stored + QStringLiteral("-Version\r\nAngeschlossenes Modul = ") + moduleLetter +
                QStringLiteral("-Version"),
            QStringLiteral("Saved configuration is only valid for same module typ\r\n\r\n"
                           "Configuration was saved with ") +
                stored + QStringLiteral("-version\r\nConnected module = ") + moduleLetter +
                QStringLiteral("-version")};
        return use;
    }
    // The whole file is checked before anything changes.
    int damagedLine = 0;
    if (bPage)
        use.b = parseStoredBLines(lines, bCounts, &damagedLine);
    if (cPage && (!bPage || use.b))
        use.c = parseStoredCLines(lines, cCounts, &damagedLine);
    if ((bPage && !use.b) || (cPage && !use.c)) {
        use.b.reset();
        use.c.reset();
        use.refusal = {
            QStringLiteral(
                "Gespeicherte Konfiguration beschädigt (Zeile %1)!\r\nNichts wurde geändert.")
                .arg(damagedLine),
            QStringLiteral("Stored configuration damaged (line %1)!\r\nNothing was changed.")
                .arg(damagedLine)};
    }
    return use;
}

std::optional<StoredConfigDefect> storedConfigDefect(const QByteArray &bytes)
{
    const QStringList lines = storedConfigLines(bytes);
    if (lines.isEmpty() || (lines.size() == 1 && lines.first().trimmed().isEmpty()))
        return StoredConfigDefect{0, {}};
    if (lines.size() < 2)
        return StoredConfigDefect{2, {}};
    const QString letter = storedTypeLetter(lines);
    if (!isKnownSoftwareType(letter))
        return StoredConfigDefect{2, lines.at(1)};
    // Every item index is taken here; whether it lies in the module's lists is for later.
    int damaged = 0;
    BItemCounts bAny;
    bAny.fill(INT_MAX);
    CItemCounts cAny;
    cAny.fill(INT_MAX);
    const bool whole = firmwareType(letter) == FirmwareType::C
                           ? parseStoredCLines(lines, cAny, &damaged).has_value()
                           : parseStoredBLines(lines, bAny, &damaged).has_value();
    if (whole)
        return std::nullopt;
    return StoredConfigDefect{damaged, lines.value(damaged - 1)};
}
