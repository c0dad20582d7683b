#pragma once

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

// Controls of the RF-tests page: the carrier-output group and the LinkControl group.
struct HfTestControls {
    QGroupBox *GroupBox_HF_Test = nullptr;
    QPushButton *BtnStartHF_Test = nullptr;
    QLabel *Label_Mod_Test = nullptr;
    QComboBox *CBox_Mod_Test = nullptr;
    QLabel *Label_RX_TX_Switch_Test = nullptr;
    QComboBox *CBox_RX_TX_Switch_Test = nullptr;
    QLabel *Label_TX_Time = nullptr;
    QLineEdit *Edit_TX_Time = nullptr;
    QLabel *Label_TX_Time_Einheit = nullptr;
    QLabel *Label_RX_Time = nullptr;
    QLineEdit *Edit_RX_Time = nullptr;
    QLabel *Label_RX_Time_Einheit = nullptr;

    QGroupBox *GroupBox_Linkcontrol = nullptr;
    QPushButton *BtnStartLinkControl = nullptr;
    QPushButton *BtnLinkControl_Clear = nullptr;
    QLabel *LabelLinkControl_konfig = nullptr;
    QPushButton *BtnLinkControl_konfig = nullptr;
};

void buildHfTestPage(QWidget *page, HfTestControls &c);

// The time edits of the carrier test look active (window background) only while alternation is
// chosen, otherwise inactive (menu background); their enabled state is left alone.
void setTimeEditLook(QLineEdit *edit, bool active);
