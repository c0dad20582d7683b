#include "module/registers.h"

#include <cmath>

int itemForValue(int value, int itemCount)
{
    return value >= 0 && value < itemCount ? value : -1;
}

int channelItemForValue(quint8 value, int itemCount)
{
    return itemForValue(int(value) - 1, itemCount);
}

quint8 encodePowerUpB(int b0, int b2, int b4, int b5)
{
    return quint8(b0 | 4 * b2 | 16 * b4 | 32 * b5);
}

quint8 encodePowerUpC(int c0, int c2, int c5)
{
    return quint8(c0 | 4 * c2 | 32 * c5);
}

quint8 encodePowerControl(int led, int rf)
{
    return quint8(led | 2 * rf);
}

quint8 encodeDataFormat(const int (&items)[5])
{
    return quint8(items[0] | 2 * items[1] | 4 * items[2] | 8 * items[3] | 16 * items[4]);
}

IntervalDisplay decodeRecalibration(quint8 value)
{
    if (value <= 1)
        return {value, QString()};
    return {2, QString::number(value)};
}

IntervalDisplay decodeAutoRssi(quint8 value, const QLocale &locale)
{
    if (value == 0)
        return {0, QString()};
    return {1, autoRssiSecondsText(value, locale)};
}

QString autoRssiSecondsText(quint8 tenths, const QLocale &locale)
{
    // Up to 9.9 s the tenths fit into two significant digits as they are. From 10 s on the
    // tenths digit is rounded away, halves to even (12.5 gives 12, 13.5 gives 14), on the
    // integers themselves so that no binary fraction tips a half.
    if (tenths < 100) {
        QLocale plain = locale;
        plain.setNumberOptions(plain.numberOptions() | QLocale::OmitGroupSeparator);
        return plain.toString(tenths / 10.0, 'g', QLocale::FloatingPointShortest);
    }
    int seconds = tenths / 10;
    const int rest = tenths % 10;
    if (rest > 5 || (rest == 5 && seconds % 2 == 1))
        ++seconds;
    return QString::number(seconds);
}

QLocale numberEntryLocale(const QLocale &locale)
{
    QLocale strict = locale;
    strict.setNumberOptions(strict.numberOptions() | QLocale::RejectGroupSeparator);
    return strict;
}

IntervalResult checkRecalibrationMinutes(const QString &text)
{
    bool ok = false;
    const int minutes = text.trimmed().toInt(&ok);
    if (!ok)
        return {IntervalCheck::NotANumber, 0};
    if (minutes > 5 && minutes < 150)
        return {IntervalCheck::Accepted, quint8(minutes)};
    return {IntervalCheck::OutOfRange, 0};
}

IntervalResult checkAutoRssiSeconds(const QString &text, const QLocale &locale)
{
    bool ok = false;
    // "1.000" in German is no number here: typed numbers carry no group separators.
    const double seconds = numberEntryLocale(locale).toDouble(text.trimmed(), &ok);
    if (!ok || !std::isfinite(seconds))
        return {IntervalCheck::NotANumber, 0};
    // std::nearbyint rounds halves to even in the default rounding mode.
    const double tenths = std::nearbyint(seconds * 10.0);
    if (tenths > 0 && tenths < 150)
        return {IntervalCheck::Accepted, quint8(tenths)};
    return {IntervalCheck::OutOfRange, 0};
}
