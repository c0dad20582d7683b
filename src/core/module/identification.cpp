#include "module/identification.h"

QString softwareTypeLetter(quint8 a1)
{
    if (a1 == 0xFF)
        return QStringLiteral("x");
    return QString(QChar(char16_t(a1 + 0x40)));
}

FirmwareType firmwareType(const QString &letter)
{
    if (letter == QLatin1String("B"))
        return FirmwareType::B;
    if (letter == QLatin1String("C"))
        return FirmwareType::C;
    if (letter == QLatin1String("x"))
        return FirmwareType::Calibration;
    return FirmwareType::Unknown;
}

bool isKnownSoftwareType(const QString &letter)
{
    return firmwareType(letter) != FirmwareType::Unknown;
}

QString softwareVersionText(quint8 a1, quint8 a2, quint8 a3)
{
    return QStringLiteral("%1/%2/%3").arg(a1).arg(a2).arg(a3);
}

std::optional<QString> softwareSpeedText(quint8 a1)
{
    if (a1 == 0)
        return QStringLiteral("16MHz");
    if (a1 == 1)
        return QStringLiteral("64MHz");
    return std::nullopt;
}

QString softwareSpeedFromHardware(const QString &hardwareVersion)
{
    return hardwareVersion == QLatin1String("10") || hardwareVersion == QLatin1String("12")
               ? QStringLiteral("16MHz")
               : QStringLiteral("8MHz");
}

QString frequencyVersionText(quint8 a1)
{
    return a1 == 0 ? QStringLiteral("433") : QStringLiteral("868");
}

quint32 serialNumber(quint8 a1, quint8 a2, quint8 a3, quint8 a4)
{
    return quint32(a1) | quint32(a2) << 8 | quint32(a3) << 16 | quint32(a4) << 24;
}

std::optional<QString> hardwareDescription(int version, bool german)
{
    switch (version) {
    case 10:
        return german ? QStringLiteral("16MHz-Resonator/3.3V-Regler/19.2k-Loopfilter")
                      : QStringLiteral("16MHz resonator/3.3V regulator/19.2k loopfilter");
    case 11:
        return german ? QStringLiteral("8MHz-Resonator/3.0V-Regler/19.2k-Loopfilter")
                      : QStringLiteral("8MHz resonator/3.0V regulator/19.2k loopfilter");
    case 12:
        return german ? QStringLiteral("16MHz-Resonator/ohne Regler/19.2k-Loopfilter")
                      : QStringLiteral("16MHz resonator/without regulator/19.2k loopfilter");
    case 13:
        return german ? QStringLiteral("8MHz-Resonator/ohne Regler/19.2k-Loopfilter")
                      : QStringLiteral("8MHz resonator/without regulator/19.2k loopfilter");
    case 14:
        return german ? QStringLiteral("PIC18F25K20/mit Regler/19.2k-Loopfilter")
                      : QStringLiteral("PIC18F25K20/with regulator/19.2k loopfilter");
    default:
        return std::nullopt;
    }
}

QString moduleTypeDesignation(const QString &frequency, const QString &hardware,
                              const QString &typeLetter, const QString &commandSet)
{
    return QStringLiteral("Korvel") + frequency + QLatin1Char('-') + hardware + QLatin1Char('-') +
           typeLetter + commandSet;
}
