#include "monitor/frequencyplan.h"

#include "common/rounding.h"
#include "module/identification.h"

#include <cfenv>
#include <cmath>
#include <limits>

PlanBand planBand(const QString &frqVersion)
{
    if (frqVersion == QLatin1String("433"))
        return {433.0625, 434.7875, 139};
    return {868.0125, 869.9875, 159};
}

QList<int> placePlanItems(int first, int end, double spacing)
{
    QList<int> items;
    double d = first;
    // Every value below end is visited even beyond the 30th slot; only 30 are placed.
    for (int n = 1; end > d; ++n) {
        if (n <= 30)
            items.append(roundHalfEven(d));
        // The sum is formed in extended precision and stored as a double.
        d = double((long double)d + (long double)spacing);
    }
    return items;
}

QList<int> planSlotItems(const QList<int> &items, int channelCount)
{
    QList<int> placed;
    for (int n = 0; n < items.size() && n < 30; ++n)
        placed.append(items[n] >= 0 && items[n] < channelCount ? items[n] : -1);
    return placed;
}

AutosetPlan autosetPlan(const QString &frqVersion)
{
    if (frqVersion == QLatin1String("433"))
        return {2, 137, 139.0 / 30.0, QStringLiteral("433.925MHz"), QStringLiteral("1675kHz")};
    return {2, 158, 5.3, QStringLiteral("869.000MHz"), QStringLiteral("1925kHz")};
}

std::optional<int> planSpacing(const QString &typeLetter, int item)
{
    // The largest number of 12.5 kHz steps that fits into the receive bandwidth, at least 1.
    static constexpr int byWidth[] = {1, 1, 2, 4, 8, 12, 24};
    static constexpr int byRate[] = {1, 1, 1, 2, 4, 8};
    if (firmwareType(typeLetter) == FirmwareType::C) {
        if (item < 0 || item >= int(std::size(byRate)))
            return std::nullopt;
        return byRate[item];
    }
    if (item < 0 || item >= int(std::size(byWidth)))
        return std::nullopt;
    return byWidth[item];
}

std::optional<SpanEdges> spanEdges(double centreMHz, double spanKHz, double lowestMHz)
{
    const long double c = centreMHz;
    const long double s = spanKHz;
    const long double f1 = lowestMHz;
    const long double raster = 0.0125L;
    // Evaluated in the order written, each step rounded to the 64-bit mantissa.
    const long double half = s / 2000.0L;
    const long double lower = ((c - half) - f1) / raster;
    const long double upper = ((half + c) - f1) / raster;
    const long double first = std::floor(lower);
    const long double end = std::floor(upper) + 1.0L;
    constexpr long double low = std::numeric_limits<qint16>::min();
    constexpr long double high = std::numeric_limits<qint16>::max();
    if (!std::isfinite(first) || !std::isfinite(end) || first < low || first > high || end < low ||
        end > high)
        return std::nullopt;
    return SpanEdges{int(first), int(end)};
}

FrequencySetPlan frequencySetPlan(double centreMHz, double spanKHz, const PlanBand &band,
                                  int spacing)
{
    FrequencySetPlan plan;
    const auto edges = spanEdges(centreMHz, spanKHz, band.lowestMHz);
    if (!edges || spacing < 1) {
        plan.outcome = FrequencySetPlan::OutOfRange;
        return plan;
    }
    plan.edges = *edges;
    // The count uses the edges before the cuts at the band's ends.
    if (roundHalfEven(double(edges->end - edges->first) / spacing) > 30) {
        plan.outcome = FrequencySetPlan::TooManyChannels;
        return plan;
    }
    int first = edges->first;
    int end = edges->end;
    plan.lowerCut = first < 0;
    if (plan.lowerCut)
        first = 0;
    plan.upperCut = end > band.channels;
    if (plan.upperCut)
        end = band.channels;
    plan.items = placePlanItems(first, end, spacing);
    plan.outcome = FrequencySetPlan::Placed;
    return plan;
}
