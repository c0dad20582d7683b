#include "monitor/frequencyset.h"
#include "module/identification.h"

#include <cmath>

namespace
{

FrequencySetResult refused(FrequencySetResult::Refusal refusal, const QString &german,
                           const QString &english)
{
    FrequencySetResult result;
    result.refusal = refusal;
    result.messages.append({german, english});
    return result;
}

} // namespace

QString planNumberText(double value, const QLocale &locale)
{
    QLocale shown = locale;
    shown.setNumberOptions(shown.numberOptions() | QLocale::OmitGroupSeparator);
    return shown.toString(value, 'g', 15);
}

FrequencySetResult frequencySet(const FrequencySetRequest &request)
{
    if (request.centreText.isEmpty() || request.spanText.isEmpty())
        return refused(FrequencySetResult::EmptyEntry, QStringLiteral("Eingabe nicht korrekt!"),
                       QStringLiteral("Invalid entry!"));
    const PlanBand band = planBand(request.frqVersion);

    // Numbers in the user's notation; a group separator would turn "433,9" into 4339 in an
    // English locale, so it is not accepted.
    QLocale locale = request.locale;
    locale.setNumberOptions(locale.numberOptions() | QLocale::RejectGroupSeparator);
    bool centreOk = false;
    bool spanOk = false;
    const double centre = locale.toDouble(request.centreText.trimmed(), &centreOk);
    const double span = locale.toDouble(request.spanText.trimmed(), &spanOk);
    if (!centreOk || !spanOk || !std::isfinite(centre) || !std::isfinite(span))
        return refused(FrequencySetResult::NotANumber,
                       QStringLiteral("Eingabe nicht korrekt!\r\n(Center in MHz und Span in kHz "
                                      "als Zahl eingeben)"),
                       QStringLiteral("Invalid entry!\r\n(Enter the center in MHz and the span "
                                      "in kHz as numbers)"));
    if (span < 0)
        return refused(FrequencySetResult::NegativeSpan,
                       QStringLiteral("Eingabe nicht korrekt!\r\n(Span darf nicht negativ sein)"),
                       QStringLiteral("Invalid entry!\r\n(The span must not be negative)"));

    const auto spacing = planSpacing(request.typeLetter, request.spacingItem);
    if (!spacing) {
        if (firmwareType(request.typeLetter) == FirmwareType::C)
            return refused(FrequencySetResult::NoSpacing,
                           QStringLiteral("Für die eingestellte Funkdatenrate ist kein "
                                          "Monitor-Raster festgelegt!\r\n(Funkdatenrate bis "
                                          "38400 wählen)"),
                           QStringLiteral("No monitor step for the configured radio "
                                          "datarate!\r\n(Choose a datarate up to 38400)"));
        return refused(FrequencySetResult::NoSpacing,
                       QStringLiteral("Keine Kanalbreite eingestellt!"),
                       QStringLiteral("No channel width configured!"));
    }

    const FrequencySetPlan plan = frequencySetPlan(centre, span, band, *spacing);
    switch (plan.outcome) {
    case FrequencySetPlan::OutOfRange:
        return refused(FrequencySetResult::OutOfRange,
                       QStringLiteral("Center-Frequenz oder Span außerhalb des Bereichs!"),
                       QStringLiteral("Center frequency or span out of range!"));
    case FrequencySetPlan::TooManyChannels:
        return refused(FrequencySetResult::TooManyChannels,
                       QStringLiteral("Span für eingestelltes RBW zu gross!\r\n(kleineren Span "
                                      "oder höhere Funkdatenrate wählen)"),
                       QStringLiteral("Span to small for actual RBW!\r\n(Reduce span or raise "
                                      "radio datarate)"));
    case FrequencySetPlan::Placed:
        break;
    }

    FrequencySetResult result;
    const QLocale &shown = request.locale;
    if (plan.lowerCut)
        result.messages.append(
            {QStringLiteral("Tiefste einstellbare Frequenz = ") +
                 planNumberText(band.lowestMHz, shown) +
                 QStringLiteral("MHz\r\n=> Span zu gross, unterer Bereich wird abgeschnitten"),
             QStringLiteral("Lowest valid frequency = ") + planNumberText(band.lowestMHz, shown) +
                 QStringLiteral("MHz\r\n=> Span to large, lower end is cut")});
    if (plan.upperCut)
        result.messages.append(
            {QStringLiteral("Höchste einstellbare Frequenz = ") +
                 planNumberText(band.highestMHz, shown) +
                 QStringLiteral("MHz\r\n=> Span zu groß, oberes Ende wird abgeschnitten"),
             QStringLiteral("Highest valid frequency = ") + planNumberText(band.highestMHz, shown) +
                 QStringLiteral("MHz\r\n=> Span to large, higher end is cut")});
    result.items = plan.items;
    result.spacing = *spacing;
    result.centreLabel = planNumberText(centre, shown) + QStringLiteral("MHz");
    result.spanLabel = planNumberText(span, shown) + QStringLiteral("kHz");
    return result;
}
