#pragma once

#include <QJsonObject>
#include <QJsonValue>
#include <QList>
#include <QString>

#include <utility>

struct IdentityRecord;

// The one JSON form of every command's result (written down in the manual page, JSON OUTPUT):
// the same thing has the same key and type everywhere, keys are English camelCase, a number's
// unit ends its key (intervalMs, levelDbm, lostPercent) unless a "unit" field stands beside it,
// and register numbers are keys ("0x0B"), never places in a list.
namespace Cli
{

// The keys every result about a module begins with: "command", "port", "type", "designation"
// and "serialNumber" (a number, or null while the module has not told it).
QJsonObject moduleRecord(const QString &command, const QString &port,
                         const IdentityRecord &identity);
// The serial number as a JSON number (exact up to 2^53), or null.
QJsonValue serialNumberJson(const IdentityRecord &identity);
// Register values by register number: {"0x09": 12, ...}.
QJsonObject registersJson(const QList<std::pair<quint8, quint8>> &registers);

} // namespace Cli
