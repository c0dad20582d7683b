#pragma once

#include "module/storedconfig.h"

#include "module/registers.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QWidget;

// The controls of the B configuration page (B modules and the calibration software).
struct KonfigBControls {
    QComboBox *CBox_Frq_RX_B = nullptr;
    QComboBox *CBox_Frq_TX_B = nullptr;
    QComboBox *CBox_HFbaud_B = nullptr;
    QComboBox *CBox_K_breite_B = nullptr;
    QComboBox *CBox_Code_B = nullptr;
    QComboBox *CBox_ModArt_B = nullptr;
    QComboBox *CBox_Config_baud_B = nullptr;
    QComboBox *CBox_RX_TX_B = nullptr;
    QComboBox *CBox_pwrup_mode_B0 = nullptr;
    QComboBox *CBox_pwrup_mode_B2 = nullptr;
    QComboBox *CBox_pwrup_mode_B4 = nullptr;
    QComboBox *CBox_pwrup_mode_B5 = nullptr;
    QComboBox *CBox_pwr_cont_B0 = nullptr;
    QComboBox *CBox_pwr_cont_B1 = nullptr;
    QComboBox *CBox_Recal_B = nullptr;
    QComboBox *CBox_RSSI_B = nullptr;
    QLineEdit *Edit_Recal_B = nullptr;
    QLineEdit *Edit_RSSI_B = nullptr;
    QCheckBox *CheckBox_EEPROM = nullptr;

    QLabel *Label_Frq_RX_B = nullptr;
    QLabel *Label_Frq_TX_B = nullptr;
    QLabel *Label_HFbaud_B = nullptr;
    QLabel *Label_K_breite_B = nullptr;
    QLabel *Label_Code_B = nullptr;
    QLabel *Label_Modart_B = nullptr;
    QLabel *Label_Config_baud_B = nullptr;
    QLabel *Label_RX_TX_B = nullptr;
    QLabel *Label_pwrup_mode_B = nullptr;
    QLabel *Label_pwr_cont_B = nullptr;
    QLabel *Label_Recal_B = nullptr;
    QLabel *Label_RSSI_B = nullptr;
    QLabel *Label_E_RX_B = nullptr;
    QLabel *Label_E_TX_B = nullptr;
    QLabel *Label_E_RX_baud_B = nullptr;
    QLabel *Label_E_K_breite_B = nullptr;
    QLabel *Label_E_Config_baud_B = nullptr;
    QLabel *Label_E_Recal_B = nullptr;
    QLabel *Label_E_RSSI_B = nullptr;
};

// Creates every control of the page with its design texts and initial states.
void buildKonfigB(QWidget *page, KonfigBControls &b);

// Change rules of the page; each runs when the user changes its box.
void recalibrationRuleB(KonfigBControls &b);
void autoRssiRuleB(KonfigBControls &b);
void powerUpRuleB(KonfigBControls &b);
void uartSwitchRuleB(KonfigBControls &b, const QString &typeLetter);

// The page as values (for the write and for stored configurations), and back (Load: selections,
// texts and check mark only, no rules).
BPageValues readKonfigB(const KonfigBControls &b);
void applyKonfigB(KonfigBControls &b, const BPageValues &values);

// Item counts of the page's boxes, in the order of the stored lines.
BItemCounts bItemCounts(const KonfigBControls &b);
