#include "texts/languagetexts.h"

#include <deque>
#include <string>
#include <vector>

namespace
{

// clang-format off
const UiText kTexts[] = {
    // Page Monitor
    {"BtnMonitor_Autoset", TextKind::Caption, "Autoset", "Autoset"},
    {"BtnMonitor_FrqClear", TextKind::Caption, "FrqClear", "FrqClear"},
    {"BtnMonitor_FrqSet", TextKind::Caption, "FrqSet", "FrqSet"},
    {"BtnMonitor_peakReset", TextKind::Caption, "PeakReset", "PeakReset"},
    {"BtnMonitor_Start", TextKind::Caption, "Start", "Start"},
    {"CBoxMonitor_noPeakReset", TextKind::Caption, "Peakwert stehen lassen", "Don´t clear peak value"},
    {"GroupBoxDisplay", TextKind::Caption, "Messwertanzeige", "Display value"},
    {"LabelDisplayKanal", TextKind::Caption, "Kanal", "Channel"},
    {"LabelDisplayMomentan", TextKind::Caption, "Momentan:", "Momentary:"},
    {"LabelDisplayPeak", TextKind::Caption, "Peak:", "Peak:"},
    {"GroupBoxFrqConfig", TextKind::Caption, "Frequenzeinstellung", "Frequency configuration"},
    {"LabelCenterFreq", TextKind::Caption, "Center-Frq:", "Center-Frq:"},
    {"LabelSpan", TextKind::Caption, "Span:", "Span:"},
    {"LabelStepRBW", TextKind::Caption, "RBW / Step:", "RBW / Step:"},
    {"LabelMonitorDisplayPeak", TextKind::Caption, "Anzeige Peak-Wert", "Display peak value"},
    {"LabelMonitorFast", TextKind::Caption, "schnell", "fast"},
    {"LabelMonitorFrq_1", TextKind::Caption, "Frequenz", "Frequency"},
    {"LabelMonitorFrq_2", TextKind::Caption, "Frequenz", "Frequency"},
    {"LabelMonitorLong", TextKind::Caption, "lang", "long"},
    {"LabelMonitorMean", TextKind::Caption, "Mittelwertbildung", "Calculate mean value"},
    {"LabelMonitorOff", TextKind::Caption, "aus", "off"},
    {"LabelMonitorShort", TextKind::Caption, "kurz", "short"},
    {"LabelMonitorSlow", TextKind::Caption, "langsam", "slow"},
    {"LabelMonitorStrong", TextKind::Caption, "stark", "strong"},
    {"LabelSpeed", TextKind::Caption, "Messgeschwindigkeit", "Measurement speed"},
    {"RadioGroupMessArt", TextKind::Caption, "Messart", "Measurement mode"},
    {"RButtonMonitor_momentan", TextKind::Caption, "Momentanwert", "Instantaneous value"},
    {"RButtonMonitor_peak", TextKind::Caption, "Peakwert", "Peak value"},
    // The controls below the slots
    {"TBarMonitor_Tempo", TextKind::AccessibleName, "Messgeschwindigkeit", "Measurement speed"},
    {"TBarMonitor_Mittlung", TextKind::AccessibleName, "Mittelwertbildung", "Calculate mean value"},
    {"TBarMonitor_peak", TextKind::AccessibleName, "Anzeige Peak-Wert", "Display peak value"},
    {"CBoxMonitor_Messung", TextKind::AccessibleName, "Messwertanzeige: Kanal", "Display value: channel"},
    {"EditMonitor_Momentan", TextKind::AccessibleName, "Messwertanzeige: Momentan", "Display value: momentary"},
    {"EditMonitor_Peak", TextKind::AccessibleName, "Messwertanzeige: Peak", "Display value: peak"},
};
// clang-format on

// Each of the 30 slots has a channel box and two gauges, named after the slot's label "C1" to
// "C30" (the same in both languages).
struct SlotName {
    const char *control; // the control's name without the slot number
    const char *german;  // the name's words before the slot label
    const char *english;
};
const SlotName kSlotNames[] = {
    {"CBoxMonitor_C", "Frequenz", "Frequency"},
    {"GaugeMonitor_akt_C", "Momentan", "Momentary"},
    {"GaugeMonitor_peak_C", "Peak", "Peak"},
};
constexpr int kSlots = 30;

struct MonitorRows {
    std::deque<std::string> texts; // the rows point into these; a deque never moves them
    std::vector<UiText> rows;

    const char *keep(std::string text) { return texts.emplace_back(std::move(text)).c_str(); }

    MonitorRows()
    {
        rows.assign(std::begin(kTexts), std::end(kTexts));
        for (int slot = 1; slot <= kSlots; ++slot) {
            const std::string label = "C" + std::to_string(slot);
            for (const SlotName &name : kSlotNames)
                rows.push_back({keep(name.control + std::to_string(slot)), TextKind::AccessibleName,
                                keep(std::string(name.german) + ' ' + label),
                                keep(std::string(name.english) + ' ' + label)});
        }
    }
};

} // namespace

std::span<const UiText> monitorTexts()
{
    static const MonitorRows monitor;
    return monitor.rows;
}
