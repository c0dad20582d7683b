#include "jsonrecord.h"

#include "output.h"

#include "module/moduleidentity.h"

namespace Cli
{

QJsonObject moduleRecord(const QString &command, const QString &port,
                         const IdentityRecord &identity)
{
    return {{QStringLiteral("command"), command},
            {QStringLiteral("port"), port},
            {QStringLiteral("type"), identity.typeLetter},
            {QStringLiteral("designation"), identity.designation},
            {QStringLiteral("serialNumber"), serialNumberJson(identity)}};
}

QJsonValue serialNumberJson(const IdentityRecord &identity)
{
    const auto serial = identity.serialNumber();
    return serial ? QJsonValue(qint64(*serial)) : QJsonValue(QJsonValue::Null);
}

QJsonObject registersJson(const QList<std::pair<quint8, quint8>> &registers)
{
    QJsonObject object;
    for (const auto &[reg, value] : registers)
        object.insert(hexByte(reg), int(value));
    return object;
}

} // namespace Cli
