#include "texts/languagetexts.h"

namespace
{

// clang-format off
const UiText kTexts[] = {
    // Page Modultest
    {"Modultest", TextKind::Caption, "Modultests", "Module tests"},
    {"GBox_Temp", TextKind::Caption, "Temperatur", "Temperature"},
    {"BtnTemp", TextKind::Caption, "auslesen", "Read"},
    {"Label_Temp", TextKind::Caption, "Letzte Auslesezeit:", "Last read time:"},
    {"GBox_VCC", TextKind::Caption, "Betriebsspannung", "Operating voltage"},
    {"BtnVCC", TextKind::Caption, "auslesen", "Read"},
    {"Label_VCC", TextKind::Caption, "Letzte Auslesezeit:", "Last read time:"},
    {"GBox_RSSI_Aktuell", TextKind::Caption, "RSSI-Aktuell", "RSSI actual"},
    {"BtnRSSI_Aktuell", TextKind::Caption, "auslesen", "Read"},
    {"Label_last_RSSI_aktuell", TextKind::Caption, "Letzte Auslesezeit:", "Last read time:"},
    {"GBox_RSSI_MAX", TextKind::Caption, "RSSI-Maximalwert", "RSSI maximum value"},
    {"BtnRSSI_MAX", TextKind::Caption, "auslesen", "Read"},
    {"Label_last_RSSI_MAX", TextKind::Caption, "Letzte Auslesezeit:", "Last read time:"},
    {"GBox_Recal", TextKind::Caption, "Kalibration", "Calibration"},
    {"BtnRecal", TextKind::Caption, "kalibrieren", "Calibrate"},
    {"Label_last_recal", TextKind::Caption, "Letzte Kalibration:", "Last calibration:"},
    {"GBox_Sleep", TextKind::Caption, "Sleep", "Sleep"},
    {"BtnSleep", TextKind::Caption, "Sleep", "Sleep"},
    {"BtnWakeup", TextKind::Caption, "Wakeup", "Wakeup"},
    {"CBox_sleep_0", TextKind::Items, "Reset nach Wakeup,Continue nach Wakeup", "Reset after wakeup,Continue after wakeup"},
    {"CBox_sleep_4", TextKind::Items, "Pin 12 = Wakeuppin,Pin   9 = Wakeuppin", "Pin 12 = wakeuppin,Pin   9 = wakeuppin"},
    {"CBox_sleep_5", TextKind::Items, "Restliche Pins Output,Restliche Pins Normal", "Other pins output,Other pins normal"},
    {"Label_sleep_0", TextKind::Caption, "nach Wakeup:", "After wakeup:"},
    {"Label_sleep_4", TextKind::Caption, "Wakeuppin:", "Wakeuppin:"},
    {"Label_sleep_5", TextKind::Caption, "andere Pins", "Other Pins"},
    // German shows no placeholder: the item lists are cleared and the boxes empty.
    {"CBox_sleep_0", TextKind::Placeholder, "", "(choose)"},
    {"CBox_sleep_4", TextKind::Placeholder, "", "(choose)"},
    {"CBox_sleep_5", TextKind::Placeholder, "", "(choose)"},
    // Modultest: the read buttons share a caption, the result fields are named by their group
    {"BtnTemp", TextKind::AccessibleName, "Temperatur auslesen", "Read temperature"},
    {"BtnVCC", TextKind::AccessibleName, "Betriebsspannung auslesen", "Read operating voltage"},
    {"BtnRSSI_Aktuell", TextKind::AccessibleName, "RSSI-Aktuell auslesen", "Read RSSI actual"},
    {"BtnRSSI_MAX", TextKind::AccessibleName, "RSSI-Maximalwert auslesen", "Read RSSI maximum value"},
    {"CBox_sleep_0", TextKind::AccessibleName, "Sleep: nach Wakeup", "Sleep: after wakeup"},
    {"CBox_sleep_4", TextKind::AccessibleName, "Sleep: Wakeuppin", "Sleep: wakeuppin"},
    {"CBox_sleep_5", TextKind::AccessibleName, "Sleep: andere Pins", "Sleep: other pins"},
    // Page HF_Test, carrier group
    {"HF_Test", TextKind::Caption, "HF-Tests", "Radio tests"},
    {"GroupBox_HF_Test", TextKind::Caption, "Träger senden", "Carrierout"},
    {"BtnStartHF_Test", TextKind::Caption, "Start", "Start"},
    {"CBox_Mod_Test", TextKind::Items, "unmoduliert,moduliert", "unmodulated,modulated"},
    {"CBox_RX_TX_Switch_Test", TextKind::Items, "nur TX,RX und TX", "Only TX,RX and TX"},
    {"Label_Mod_Test", TextKind::Caption, "Modulation:", "Modulation:"},
    {"Label_RX_Time", TextKind::Caption, "Dauer empfangen:", "Receive time:"},
    {"Label_RX_TX_Switch_Test", TextKind::Caption, "RX/TX Umschaltung:", "RX/TX switch:"},
    {"Label_TX_Time", TextKind::Caption, "Dauer senden:", "Transmit time:"},
    {"CBox_Mod_Test", TextKind::Placeholder, "", "(choose)"},
    {"CBox_RX_TX_Switch_Test", TextKind::Placeholder, "", "(choose)"},
    // The carrier group's fields; its start button is named after the group
    {"CBox_Mod_Test", TextKind::AccessibleName, "Modulation", "Modulation"},
    {"CBox_RX_TX_Switch_Test", TextKind::AccessibleName, "RX/TX Umschaltung", "RX/TX switch"},
    {"Edit_TX_Time", TextKind::AccessibleName, "Dauer senden in ms", "Transmit time in ms"},
    {"Edit_RX_Time", TextKind::AccessibleName, "Dauer empfangen in ms", "Receive time in ms"},
    // Page HF_Test, LinkControl group (GroupBox_Linkcontrol)
    {"GroupBox_Linkcontrol", TextKind::Caption, "LinkControl", "LinkControl"},
    {"BtnLinkControl_Clear", TextKind::Caption, "Clear Statisik", "Clear statistics"},
    {"BtnLinkControl_Export", TextKind::Caption, "Export CSV", "Export CSV"},
    {"BtnLinkControl_konfig", TextKind::Caption, "Start Wizard", "Start wizard"},
    {"BtnLinkControl_PeakReset", TextKind::Caption, "Peak Reset", "Peak reset"},
    {"BtnLinkControl_Verlauf", TextKind::Caption, "Verlauf", "History"},
    {"BtnStartLinkControl", TextKind::Caption, "Start", "Start"},
    {"CBoxLinkControl_Empf", TextKind::Caption, "Empfindlichkeitsmessung", "Sensitivity measurement"},
    {"LabelDatarate", TextKind::Caption, "Funkdatenrate:", "Radio datarate:"},
    {"LabelFast", TextKind::Caption, "kurz", "short"},
    {"LabelFrequency", TextKind::Caption, "Frequenz:", "Frequency:"},
    {"LabelKonfiguration", TextKind::Caption, "Einstellungen", "Settings"},
    {"LabelLinkControl_nokStatistik", TextKind::Caption, "anz. verloren", "Number of lost"},
    {"LabelLinkControl_late", TextKind::Caption, "PC verspätet:", "PC late:"},
    {"LabelLinkControl_OK", TextKind::Caption, "Verbindung", "Connection"},
    {"LabelLinkControl_QualityMod1", TextKind::Caption, "Signal-Rauschabstand", "Signal to Noise ration"},
    {"LabelLinkControl_QualityMod2", TextKind::Caption, "Signal-Rauschabstand", "Signal to Noise ration"},
    {"LabelLinkControl_ruheMod1", TextKind::Caption, "RSSI-Ruhewert", "RSSI of Noise"},
    {"LabelLinkControl_ruheMod2", TextKind::Caption, "RSSI-Ruhewert", "RSSI of Noise"},
    {"LabelLinkControl_rxStatistik", TextKind::Caption, "anz. empfangen", "Number of received"},
    {"LabelLinkControl_txStatistik", TextKind::Caption, "anz. gesendet", "Number of sent"},
    {"LabelLong", TextKind::Caption, "lang", "long"},
    {"LabelMean", TextKind::Caption, "Mittelwertbildung", "Calculate mean value"},
    {"LabelMod1", TextKind::Caption, "angeschlossenes Modul", "Connected module"},
    {"LabelMod2", TextKind::Caption, "freies Modul", "Free module"},
    {"LabelOff", TextKind::Caption, "aus", "off"},
    {"LabelPeak", TextKind::Caption, "Anzeige Peak-Wert", "Display peak value"},
    {"LabelRBW", TextKind::Caption, "RBW:", "RBW:"},
    {"LabelRCV_Quality", TextKind::Caption, "Verbindungsqualität:", "Connection quality:"},
    {"LabelRS232Datarate", TextKind::Caption, "RS232-Baudrate:", "RS232 baudrate:"},
    {"LabelStrong", TextKind::Caption, "stark", "strong"},
    // The LinkControl group's fields and gauges; its start button is named after the group
    {"EditLinkControl_Interval", TextKind::AccessibleName, "Interval [ms]", "Interval [ms]"},
    {"EditLinkControl_txStatistik", TextKind::AccessibleName, "anz. gesendet", "Number of sent"},
    {"EditLinkControl_rxStatistik", TextKind::AccessibleName, "anz. empfangen", "Number of received"},
    {"EditLinkControl_rxProzent", TextKind::AccessibleName, "Anteil empfangen", "Share received"},
    {"EditLinkControl_nokStatistik", TextKind::AccessibleName, "anz. verloren", "Number of lost"},
    {"EditLinkControl_nokProzent", TextKind::AccessibleName, "Anteil verloren", "Share lost"},
    {"EditLinkControl_quality1", TextKind::AccessibleName, "Signal-Rauschabstand angeschlossenes Modul", "Signal to noise ratio connected module"},
    {"G_LinkControl_quality1", TextKind::AccessibleName, "Signal-Rauschabstand angeschlossenes Modul, Anzeige", "Signal to noise ratio connected module, gauge"},
    {"EditLinkControl_ruhe1", TextKind::AccessibleName, "RSSI-Ruhewert angeschlossenes Modul", "RSSI of noise connected module"},
    {"G_LinkControl_ruhe1", TextKind::AccessibleName, "RSSI-Ruhewert angeschlossenes Modul, Anzeige", "RSSI of noise connected module, gauge"},
    {"EditLinkControl_quality2", TextKind::AccessibleName, "Signal-Rauschabstand freies Modul", "Signal to noise ratio free module"},
    {"G_LinkControl_quality2", TextKind::AccessibleName, "Signal-Rauschabstand freies Modul, Anzeige", "Signal to noise ratio free module, gauge"},
    {"EditLinkControl_ruhe2", TextKind::AccessibleName, "RSSI-Ruhewert freies Modul", "RSSI of noise free module"},
    {"G_LinkControl_ruhe2", TextKind::AccessibleName, "RSSI-Ruhewert freies Modul, Anzeige", "RSSI of noise free module, gauge"},
    {"G_LinkControl_quality1_peak", TextKind::AccessibleName, "Signal-Rauschabstand angeschlossenes Modul, Peak-Wert", "Signal to noise ratio connected module, peak value"},
    {"G_LinkControl_ruhe1_peak", TextKind::AccessibleName, "RSSI-Ruhewert angeschlossenes Modul, Peak-Wert", "RSSI of noise connected module, peak value"},
    {"G_LinkControl_quality2_peak", TextKind::AccessibleName, "Signal-Rauschabstand freies Modul, Peak-Wert", "Signal to noise ratio free module, peak value"},
    {"G_LinkControl_ruhe2_peak", TextKind::AccessibleName, "RSSI-Ruhewert freies Modul, Peak-Wert", "RSSI of noise free module, peak value"},
    {"TBar_LinkControl_Mittlung", TextKind::AccessibleName, "Mittelwertbildung", "Calculate mean value"},
    {"TBarLinkControl_Peak", TextKind::AccessibleName, "Anzeige Peak-Wert", "Display peak value"},
    {"EditLinkControl_late", TextKind::AccessibleName, "PC verspätet", "PC late"},
};
// clang-format on

} // namespace

const MessageText kLinkExportCaption{"Export CSV", "Export CSV"};
const MessageText kLinkExportStopCaption{"Export beenden", "Stop export"};

std::span<const UiText> testPageTexts()
{
    return kTexts;
}
