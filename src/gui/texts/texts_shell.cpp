#include "texts/languagetexts.h"

namespace
{

// clang-format off
const UiText kTexts[] = {
    // Window title
    {"Form1", TextKind::Caption, "Konfigurationstool für Korvel433/868-xx-xx", "Configtool for Korvel433/868-xx-xx"},
    // Connection group (RS232Einstellungen), debug window and save group
    {"RS232Einstellungen", TextKind::Caption, "RS232-Einstellungen PC", "RS232-configurations PC"},
    {"BtnDebugfenster", TextKind::Caption, "Debug", "Debug"},
    {"BtnInfo", TextKind::Caption, "Info", "Info"},
    {"BtnTrennen", TextKind::Caption, "trennen", "Disconnect"},
    {"BtnVerbinden", TextKind::Caption, "verbinden", "Connect"},
    {"CheckBox_ComSave", TextKind::Caption, "Einstellung beim Beenden speichern (erzeugt INI-File)", "Save configuration when close (generate INI-File)"},
    {"Label_RS232_PC_1", TextKind::Caption, "Verbindung über:", "Connection by:"},
    {"Label_RS232_PC_2", TextKind::Caption, "mit", "with"},
    {"GBox_Debugfenster", TextKind::Caption, "Debugfenster", "Debug window"},
    // Module group (ModulEinsetlllungen)
    {"Panel_keine_Verbindung", TextKind::Caption, "RS232 nicht verbunden!", "RS232 not connected!"},
    {"Panel_keine_Verbindung2", TextKind::Caption, "RS232 nicht verbunden!", "RS232 not connected!"},
    {"BtnAuslesen", TextKind::Caption, "auslesen", "Read"},
    {"BtnKonfigurieren", TextKind::Caption, "konfigurieren", "Configurate"},
    {"GBox_Save_konfig", TextKind::Caption, "Konfiguration auf PC speichern", "Save configuration to PC"},
    {"BtnSave", TextKind::Caption, "speichern", "Save"},
    {"BtnLoad", TextKind::Caption, "laden", "Load"},
    {"LabelSpeicher", TextKind::Caption, "Speicherplatz:", "Memory location:"},
    // What a screen reader calls the controls without a caption of their own
    {"CBox_COM", TextKind::AccessibleName, "Verbindung über", "Connection by"},
    {"CBox_RS232_baud", TextKind::AccessibleName, "Baudrate", "Baud rate"},
    {"PageControl1", TextKind::AccessibleName, "Seiten", "Pages"},
    {"CBox_Speicher", TextKind::AccessibleName, "Speicherplatz", "Memory location"},
    {"Edit_info", TextKind::AccessibleName, "Info zum Speicherplatz", "Memory location info"},
    {"MemoTX", TextKind::AccessibleName, "Gesendete Telegramme", "Sent frames"},
    {"MemoRX", TextKind::AccessibleName, "Empfangene Telegramme", "Received frames"},
};
// clang-format on

} // namespace

std::span<const UiText> shellTexts()
{
    return kTexts;
}

const MessageText kLanguageNotSaved = {
    "Die Sprachwahl konnte nicht gespeichert werden!",
    "Could not save the language choice!",
};
