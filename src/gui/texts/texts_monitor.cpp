#include "texts/languagetexts.h"

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
};
// clang-format on

} // namespace

std::span<const UiText> monitorTexts()
{
    return kTexts;
}
