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
    QLocale plain = locale;
    plain.setNumberOptions(plain.numberOptions() | QLocale::OmitGroupSeparator);
    return {1, plain.toString(value / 10.0, 'g', 2)};
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
    const double seconds = locale.toDouble(text.trimmed(), &ok);
    if (!ok || !std::isfinite(seconds))
        return {IntervalCheck::NotANumber, 0};
    // std::nearbyint rounds halves to even in the default rounding mode.
    const double tenths = std::nearbyint(seconds * 10.0);
    if (tenths > 0 && tenths < 150)
        return {IntervalCheck::Accepted, quint8(tenths)};
    return {IntervalCheck::OutOfRange, 0};
}
