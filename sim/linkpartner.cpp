#include "linkpartner.h"

#include <QStringList>

#include <algorithm>
#include <cmath>

std::optional<QByteArray> LinkPartner::answer(const LinkPartnerConfig &config)
{
    const int n = m_requests++;
    const double rate = std::clamp(config.lossRate, 0.0, 1.0);
    if (std::floor((n + 1) * rate) > std::floor(n * rate))
        return std::nullopt;
    const auto byte = [](int dbm) { return char(quint8(qint8(dbm))); };
    QByteArray bytes(1, 'L');
    switch (config.answerLength) {
    case 3:
        bytes += byte(config.s1);
        bytes += byte(config.n1);
        break;
    case 7:
        bytes += byte(config.s2);
        bytes += QByteArray(2, '\0');
        bytes += byte(config.n2);
        bytes += byte(config.s1);
        bytes += byte(config.n1);
        break;
    default:
        bytes += byte(config.s2);
        bytes += byte(config.n2);
        bytes += byte(config.s1);
        bytes += byte(config.n1);
        break;
    }
    return bytes;
}

double LinkPartner::airTimeMs(int radioBaud, int serialBaud)
{
    if (radioBaud <= 0 || serialBaud <= 0)
        return 0;
    return 192000.0 / radioBaud + 110000.0 / serialBaud;
}

QString parseLinkPartnerOptions(const QString &text, LinkPartnerConfig &config)
{
    if (text == QLatin1String("off")) {
        config.enabled = false;
        return {};
    }
    config.enabled = true;
    for (const QString &item : text.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const int eq = int(item.indexOf(QLatin1Char('=')));
        const QString key = item.left(eq).trimmed();
        const QString value = eq < 0 ? QString() : item.mid(eq + 1).trimmed();
        bool ok = false;
        if (key == QLatin1String("loss") || key == QLatin1String("delay")) {
            const double number = value.toDouble(&ok);
            if (!ok || number < 0 || (key == QLatin1String("loss") && number > 1))
                return QStringLiteral("--link: bad %1: %2").arg(key, value);
            (key == QLatin1String("loss") ? config.lossRate : config.answerDelayMs) = number;
            continue;
        }
        const int number = value.toInt(&ok);
        if (!ok)
            return QStringLiteral("--link: bad %1: %2").arg(key, value);
        if (key == QLatin1String("bytes")) {
            if (number != 3 && number != 5 && number != 7)
                return QStringLiteral("--link: bytes 3, 5 or 7, not ") + value;
            config.answerLength = number;
            continue;
        }
        if (number < -128 || number > 127)
            return QStringLiteral("--link: %1 must be -128 to 127 dBm").arg(key);
        if (key == QLatin1String("s1"))
            config.s1 = number;
        else if (key == QLatin1String("n1"))
            config.n1 = number;
        else if (key == QLatin1String("s2"))
            config.s2 = number;
        else if (key == QLatin1String("n2"))
            config.n2 = number;
        else
            return QStringLiteral("--link: unknown key ") + key;
    }
    return {};
}
