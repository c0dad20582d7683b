#include "texts/languagetexts.h"

namespace
{

// clang-format off
const UiText kTexts[] = {
    // Page Modulinfo
    {"Modulinfo", TextKind::Caption, "Modulinfo", "Module info"},
    {"Label_ModTyp", TextKind::Caption, "Modultyp", "Module typ"},
    {"Label_SW_Version", TextKind::Caption, "Software-Version", "Software version"},
    {"Label_SW_Speed", TextKind::Caption, "Softwarespeed", "Software speed"},
    {"Label_HW_Version", TextKind::Caption, "Hardware-Version", "Hardware version"},
    {"Label_Ser_NR", TextKind::Caption, "Serie-Nummer", "Serial number"},
    {"Label_SW_Typ", TextKind::Caption, "Software-Typ", "Software type"},
    {"Label_Bef_Version", TextKind::Caption, "Befehlssatz-Version", "Instruction set version"},
    {"Label_Frq_Version", TextKind::Caption, "Frequenz-Version", "Frequency version"},
    {"Label_Caldata", TextKind::Caption, "Status Kalibration", "Status calibration"},
    // Page Konfig_B
    {"Konfig_B", TextKind::Caption, "Konfiguration", "Configuration"},
    {"Label_E_RSSI_B", TextKind::Caption, "sec.", "sec."},
    {"Label_E_Recal_B", TextKind::Caption, "min.", "min."},
    {"Label_E_Config_baud_B", TextKind::Caption, "baud", "Baud"},
    {"Label_E_K_breite_B", TextKind::Caption, "kHz", "kHz"},
    {"Label_E_RX_baud_B", TextKind::Caption, "baud", "Baud"},
    {"Label_E_TX_B", TextKind::Caption, "MHz", "MHz"},
    {"Label_E_RX_B", TextKind::Caption, "MHz", "MHz"},
    {"Label_RSSI_B", TextKind::Caption, "Auto-RSSI-Ausgabe", "Auto RSSI output"},
    {"Label_Recal_B", TextKind::Caption, "Auto-Recalibration", "Auto recalibration"},
    {"Label_pwrup_mode_B", TextKind::Caption, "Powerup-Mode", "Powerup mode"},
    {"Label_RX_TX_B", TextKind::Caption, "RX/TX-Switch im UART-Mode", "RX/TX switch in UART mode"},
    {"Label_Config_baud_B", TextKind::Caption, "Config Baudrate (RS232)", "Configuration baudrate (RS232)"},
    {"Label_pwr_cont_B", TextKind::Caption, "Power-Control", "Power control"},
    {"CheckBox_EEPROM", TextKind::Caption, "Daten ins EEPROM", "Data to EEPROM"},
    {"CBox_RSSI_B", TextKind::Items, "aus,alle 0.1 bis 15 sec.", "off,every 0.1 to 15 sec."},
    {"CBox_Recal_B", TextKind::Items, "aus,bei dT > 20°C,alle 5 bis 150 min.", "off,if dT > 20°C,every 5 to 150 min."},
    {"CBox_pwrup_mode_B2", TextKind::Items, "Sleep nach PWR-up,Run nach PWR-up", "sleep after powerup,run after Powerup"},
    {"CBox_RX_TX_B", TextKind::Items, "über TX_EN,über RS232", "by TX_EN,by RS232"},
    {"CBox_pwr_cont_B1", TextKind::Items, "HF aus,HF ein", "RF off,RF on"},
    {"CBox_pwr_cont_B0", TextKind::Items, "LED aus,LED ein", "LED off,LED on"},
    {"CBox_pwrup_mode_B0", TextKind::Items, "Reset nach Wakeup,Continue nach Wakeup", "Reset after wakeup,Continue after wakeup"},
    {"CBox_pwrup_mode_B4", TextKind::Items, "Pin 12 = Wakeuppin,Pin   9 = Wakeuppin", "Pin 12 = wakeuppin,Pin   9 = wakeuppin"},
    {"CBox_pwrup_mode_B5", TextKind::Items, "Restliche Pins Output,Restliche Pins Normal", "Other pins output,Other pins normal"},
    {"Label_Modart_B", TextKind::Caption, "Modulationsart", "Modulation"},
    {"Label_Code_B", TextKind::Caption, "Datencodierung", "Data codeing"},
    {"Label_K_breite_B", TextKind::Caption, "Kanalbandbreite", "Channel bandwith"},
    {"Label_HFbaud_B", TextKind::Caption, "Funkdatenrate", "Radio datarate"},
    {"Label_Frq_TX_B", TextKind::Caption, "Sendefrequenz", "Transmit frequency"},
    {"Label_Frq_RX_B", TextKind::Caption, "Empfangsfrequenz", "Receive frequency"},
    // Page Konfig_C
    {"Konfig_C", TextKind::Caption, "Konfiguration", "Configuration"},
    {"Label_RS232_baud_C", TextKind::Caption, "RS232-Baudrate", "RS232 baudrate"},
    {"Label_E_Config_baud_C", TextKind::Caption, "baud", "Baud"},
    {"Label_E_Recal_C", TextKind::Caption, "min.", "min."},
    {"Label_E_RX_C", TextKind::Caption, "MHz", "MHz"},
    {"Label_E_RX_baud_C", TextKind::Caption, "baud", "Baud"},
    {"Label_E_TX_C", TextKind::Caption, "MHz", "MHz"},
    {"Label_Frq_RX_C", TextKind::Caption, "Empfangsfrequenz", "Receive frequency"},
    {"Label_Frq_TX_C", TextKind::Caption, "Sendefrequenz", "Transmit frequency"},
    {"Label_HFbaud_C", TextKind::Caption, "Funkdatenrate", "Radio datarate"},
    {"Label_Recal_C", TextKind::Caption, "Auto-Recalibration", "Auto recalibration"},
    {"Label_pwrup_mode_C", TextKind::Caption, "Powerup-Mode", "Powerup mode"},
    {"Label_pwr_cont_C", TextKind::Caption, "Power-Control", "Power control"},
    {"Label_Data_format_C", TextKind::Caption, "Daten-Format", "Data format"},
    {"CheckBox_EEPROM_C", TextKind::Caption, "Daten ins EEPROM", "Data to EEPROM"},
    {"CBox_Recal_C", TextKind::Items, "aus,bei dT > 20°C,alle 5 bis 150 min.", "off,if dT > 20°C,every 5 to 150 min."},
    {"CBox_pwrup_mode_C0", TextKind::Items, "Reset nach Wakeup,Continue nach Wakeup", "reset after wakeup,continue after wakeup"},
    {"CBox_pwrup_mode_C5", TextKind::Items, "Restliche Pins Output,Restliche Pins Normal", "other pins output,other pins normal"},
    {"CBox_pwr_cont_C1", TextKind::Items, "HF aus,HF ein", "RF off,RF on"},
    {"CBox_pwr_cont_C0", TextKind::Items, "LED aus,LED ein", "LED off,LED on"},
    {"CBox_pwrup_mode_C2", TextKind::Items, "Sleep nach PWR-up,Run nach PWR-up", "sleep after powerup,run after powerup"},
    {"CBox_Data_C0", TextKind::Items, "CRC16 aus,CRC16 ein", "CRC16 off,CRC16 on"},
    {"CBox_Data_C1", TextKind::Items, "Handshake aus,Handshake ein", "handshake off,handshake on"},
    {"CBox_Data_C2", TextKind::Items, "Fast-send aus,Fast-send ein", "fast send off,fast send on"},
    {"CBox_Data_C3", TextKind::Items, "ohne RSSI-TLG,mit RSSI-TLG", "without RSSI-TLG,with RSSI-TLG"},
    {"CBox_Data_C4", TextKind::Items, "ohne RSSI-RUHE,mit RSSI-RUHE", "without RSSI-Noise,with RSSI-Noise"},
};
// clang-format on

} // namespace

std::span<const UiText> modulePageTexts()
{
    return kTexts;
}
