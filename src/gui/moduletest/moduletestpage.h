#pragma once

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

// Controls of the module-test page: single measurements, recalibration, sleep and wake-up.
struct ModultestControls {
    QGroupBox *GBox_Temp = nullptr;
    QPushButton *BtnTemp = nullptr;
    QLineEdit *Edit_Temp = nullptr;
    QLabel *Label_Temp_Uhr = nullptr;

    QGroupBox *GBox_VCC = nullptr;
    QPushButton *BtnVCC = nullptr;
    QLineEdit *Edit_VCC = nullptr;
    QLabel *Label_VCC_Uhr = nullptr;

    QGroupBox *GBox_RSSI_Aktuell = nullptr;
    QPushButton *BtnRSSI_Aktuell = nullptr;
    QLineEdit *Edit_RSSI_Aktuell = nullptr;
    QLabel *Label_last_RSSI_Aktuell_Uhr = nullptr;

    QGroupBox *GBox_RSSI_MAX = nullptr;
    QPushButton *BtnRSSI_MAX = nullptr;
    QLineEdit *Edit_RSSI_MAX = nullptr;
    QLabel *Label_last_RSSI_MAX_Uhr = nullptr;

    QGroupBox *GBox_Recal = nullptr;
    QPushButton *BtnRecal = nullptr;
    QLineEdit *Edit_Recall_stat = nullptr;
    QLabel *Label_last_cal_uhr = nullptr;

    QGroupBox *GBox_Sleep = nullptr;
    QPushButton *BtnSleep = nullptr;
    QPushButton *BtnWakeup = nullptr;
    QLabel *Label_sleep_0 = nullptr;
    QComboBox *CBox_sleep_0 = nullptr;
    QLabel *Label_sleep_4 = nullptr;
    QComboBox *CBox_sleep_4 = nullptr;
    QLabel *Label_sleep_5 = nullptr;
    QComboBox *CBox_sleep_5 = nullptr;
};

void buildModultestPage(QWidget *page, ModultestControls &c);
