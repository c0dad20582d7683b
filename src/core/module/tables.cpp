#include "module/tables.h"
#include "module/identification.h"

#include <cmath>

namespace
{

bool isBlankOrControl(QChar ch)
{
    return ch.unicode() <= 0x20 || ch.category() == QChar::Other_Control;
}

QString trimBlanksAndControls(const QString &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlankOrControl(text.at(begin)))
        ++begin;
    while (end > begin && isBlankOrControl(text.at(end - 1)))
        --end;
    return text.mid(begin, end - begin);
}

// Frequencies in units of 100 Hz keep the raster exact.
constexpr qint64 kBase433 = 4330625;
constexpr qint64 kBase868 = 8680125;
constexpr qint64 kChannelStep = 125;

qint64 channelFrequencyUnits(int band, int channel)
{
    return (band == 868 ? kBase868 : kBase433) + qint64(channel - 1) * kChannelStep;
}

QString frequencyText(qint64 units)
{
    return QStringLiteral("%1.%2").arg(units / 10000).arg(units % 10000, 4, 10, QLatin1Char('0'));
}

const QString kConfigBaudFull =
    QStringLiteral("Autobaud,1200,2400,4800,9600,19200,38400,57600,115200");
const QString kRs232BaudFull = QStringLiteral("1200,2400,4800,9600,19200,38400,57600,115200");

} // namespace

QStringList splitItems(const QString &commaSeparated)
{
    QStringList items;
    QString piece;
    int quotes = 0;
    auto finishPiece = [&] {
        const QString trimmed = trimBlanksAndControls(piece);
        if (!trimmed.isEmpty())
            items.append(trimmed);
        piece.clear();
        quotes = 0;
    };
    for (const QChar ch : commaSeparated) {
        if (ch == QLatin1Char(',') && quotes != 1) {
            finishPiece();
            continue;
        }
        if (ch == QLatin1Char('"'))
            ++quotes;
        piece.append(ch);
    }
    finishPiece();
    return items;
}

double channelBaseMHz(int band)
{
    return double(channelFrequencyUnits(band, 1)) / 10000.0;
}

int channelCount(int band)
{
    return band == 868 ? 159 : 139;
}

double channelFrequencyMHz(int band, int channel)
{
    return double(channelFrequencyUnits(band, channel)) / 10000.0;
}

QStringList designTimeChannelItems()
{
    QStringList items;
    for (int n = 1; n <= channelCount(433); ++n) {
        const QString number = QString::number(n);
        const int dots = number.size() == 1 ? 7 : number.size() == 2 ? 5 : 3;
        items.append(QLatin1Char('K') + number + QString(dots, QLatin1Char('.')) +
                     frequencyText(channelFrequencyUnits(433, n)));
    }
    return items;
}

QStringList channelItems(int band)
{
    QStringList items;
    for (int n = 1; n <= channelCount(band); ++n)
        items.append(QStringLiteral("K%1   %2")
                         .arg(n, 3, 10, QLatin1Char('0'))
                         .arg(frequencyText(channelFrequencyUnits(band, n))));
    return items;
}

bool isExtendedCModule(const QString &typeLetter, int commandSet)
{
    return firmwareType(typeLetter) == FirmwareType::C && commandSet >= 3;
}

std::optional<RateLists> rateListsFor(const QString &typeLetter, int commandSet,
                                      const QString &softwareSpeed)
{
    const bool sixteen = softwareSpeed == QLatin1String("16MHz");
    if (isExtendedCModule(typeLetter, commandSet)) {
        if (sixteen)
            return RateLists{QStringLiteral("2400,4800,9600,19200,38400,76800"), kConfigBaudFull,
                             QStringLiteral("1200,2400,4800,9600,19200,38400,76800"),
                             kRs232BaudFull};
        if (softwareSpeed == QLatin1String("64MHz"))
            return RateLists{
                QStringLiteral("2400,4800,9600,19200,38400,76800,153600"), kConfigBaudFull,
                QStringLiteral("1200,2400,4800,9600,19200,38400,76800,153600"), kRs232BaudFull};
        return std::nullopt;
    }
    if (sixteen)
        return RateLists{QStringLiteral("2400,4800,9600,19200,38400,76800"), kConfigBaudFull,
                         QStringLiteral("1200,2400,4800,9600,19200,38400"), kRs232BaudFull};
    if (softwareSpeed == QLatin1String("8MHz"))
        return RateLists{QStringLiteral("2400,4800,9600,19200,38400"),
                         QStringLiteral("Autobaud,1200,2400,4800,9600,19200,38400,57600"),
                         QStringLiteral("1200,2400,4800,9600,19200"),
                         QStringLiteral("1200,2400,4800,9600,19200,38400,57600")};
    return std::nullopt;
}

QString designHfBaudB()
{
    return QStringLiteral("2400,4800,9600,19200,38400,76800");
}

QString designConfigBaudB()
{
    return kConfigBaudFull;
}

QString designHfBaudC()
{
    return QStringLiteral("1200,2400,4800,9600,19200,38400");
}

QString designRs232BaudC()
{
    return kRs232BaudFull;
}

std::optional<double> rbwForItem(const QString &typeLetter, int item)
{
    static constexpr double widthTable[] = {9.6, 19.2, 25.6, 51.2, 102.4, 153.6, 307.2};
    static constexpr double rateTable[] = {9.6, 9.6, 19.2, 25.6, 51.2, 102.4};
    if (firmwareType(typeLetter) == FirmwareType::C) {
        if (item < 0 || item >= int(std::size(rateTable)))
            return std::nullopt;
        return rateTable[item];
    }
    if (item < 0 || item >= int(std::size(widthTable)))
        return std::nullopt;
    return widthTable[item];
}

QString rbwLabelText(double rbw, double monitorStep, const QLocale &locale)
{
    QLocale plain = locale;
    plain.setNumberOptions(plain.numberOptions() | QLocale::OmitGroupSeparator);
    return plain.toString(rbw, 'g', QLocale::FloatingPointShortest) + QStringLiteral("kHz / ") +
           plain.toString(monitorStep, 'g', 4) + QStringLiteral("kHz");
}

QString rbwStatusText(double rbw, double monitorStep)
{
    return monitorStep > rbw ? QStringLiteral("Step > RBW!") : QString();
}
