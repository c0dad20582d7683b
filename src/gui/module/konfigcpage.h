#pragma once

#include "module/storedconfig.h"

#include "module/registers.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QWidget;

// The controls of the C configuration page.
struct KonfigCControls {
    QComboBox *CBox_Frq_RX_C = nullptr;
    QComboBox *CBox_Frq_TX_C = nullptr;
    QComboBox *CBox_HFbaud_C = nullptr;
    QComboBox *CBox_RS232_baud_C = nullptr;
    QComboBox *CBox_pwrup_mode_C0 = nullptr;
    QComboBox *CBox_pwrup_mode_C2 = nullptr;
    QComboBox *CBox_pwrup_mode_C5 = nullptr;
    QComboBox *CBox_pwr_cont_C0 = nullptr;
    QComboBox *CBox_pwr_cont_C1 = nullptr;
    QComboBox *CBox_Recal_C = nullptr;
    QComboBox *CBox_Data_C0 = nullptr;
    QComboBox *CBox_Data_C1 = nullptr;
    QComboBox *CBox_Data_C2 = nullptr;
    QComboBox *CBox_Data_C3 = nullptr;
    QComboBox *CBox_Data_C4 = nullptr;
    QLineEdit *Edit_Recal_C = nullptr;
    QCheckBox *CheckBox_EEPROM_C = nullptr;

    QLabel *Label_Frq_RX_C = nullptr;
    QLabel *Label_Frq_TX_C = nullptr;
    QLabel *Label_HFbaud_C = nullptr;
    QLabel *Label_RS232_baud_C = nullptr;
    QLabel *Label_pwrup_mode_C = nullptr;
    QLabel *Label_pwr_cont_C = nullptr;
    QLabel *Label_Recal_C = nullptr;
    QLabel *Label_Data_format_C = nullptr;
    QLabel *Label_E_RX_C = nullptr;
    QLabel *Label_E_TX_C = nullptr;
    QLabel *Label_E_RX_baud_C = nullptr;
    QLabel *Label_E_Config_baud_C = nullptr;
    QLabel *Label_E_Recal_C = nullptr;

    QComboBox *dataBox(int bit) const
    {
        QComboBox *const boxes[] = {CBox_Data_C0, CBox_Data_C1, CBox_Data_C2, CBox_Data_C3,
                                    CBox_Data_C4};
        return boxes[bit];
    }
};

void buildKonfigC(QWidget *page, KonfigCControls &c);

void recalibrationRuleC(KonfigCControls &c);
void powerUpRuleC(KonfigCControls &c);

CPageValues readKonfigC(const KonfigCControls &c);
void applyKonfigC(KonfigCControls &c, const CPageValues &values);

// Item counts of the page's boxes, in the order of the stored lines.
CItemCounts cItemCounts(const KonfigCControls &c);
