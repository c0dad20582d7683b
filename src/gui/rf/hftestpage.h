#pragma once

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QSlider;
class QWidget;
class ShapeCircle;

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

    QLabel *LabelLinkControl_Interval = nullptr;
    QLineEdit *EditLinkControl_Interval = nullptr;
    ShapeCircle *ShapeLinkControl = nullptr;
    QLineEdit *EditLinkControl_txStatistik = nullptr;
    QLineEdit *EditLinkControl_rxStatistik = nullptr;
    QLineEdit *EditLinkControl_nokStatistik = nullptr;
    QLineEdit *EditLinkControl_rxProzent = nullptr;
    QLineEdit *EditLinkControl_nokProzent = nullptr;
    // Cycles the PC ran late and its latest step, so that a busy PC is told from a bad link.
    QLineEdit *EditLinkControl_late = nullptr;
    QLineEdit *EditLinkControl_quality1 = nullptr;
    QLineEdit *EditLinkControl_quality2 = nullptr;
    QLineEdit *EditLinkControl_ruhe1 = nullptr;
    QLineEdit *EditLinkControl_ruhe2 = nullptr;
    QProgressBar *G_LinkControl_quality1 = nullptr;
    QProgressBar *G_LinkControl_quality2 = nullptr;
    QProgressBar *G_LinkControl_quality1_peak = nullptr;
    QProgressBar *G_LinkControl_quality2_peak = nullptr;
    QProgressBar *G_LinkControl_ruhe1 = nullptr;
    QProgressBar *G_LinkControl_ruhe2 = nullptr;
    QProgressBar *G_LinkControl_ruhe1_peak = nullptr;
    QProgressBar *G_LinkControl_ruhe2_peak = nullptr;
    QSlider *TBar_LinkControl_Mittlung = nullptr;
    QSlider *TBarLinkControl_Peak = nullptr;
    QPushButton *BtnLinkControl_PeakReset = nullptr;
    QCheckBox *CBoxLinkControl_Empf = nullptr;
    QLabel *LabelLinkControl_Frq = nullptr;
    QLabel *LabelLinkControl_HFbaud = nullptr;
    QLabel *LabelLinkControl_RBW = nullptr;
    QLabel *LabelLinkControl_RS232Baud = nullptr;
    // The run's history window and its CSV export.
    QPushButton *BtnLinkControl_Verlauf = nullptr;
    QPushButton *BtnLinkControl_Export = nullptr;
};

void buildHfTestPage(QWidget *page, HfTestControls &c);

// The time edits of the carrier test look active (window background) only while alternation is
// chosen, otherwise inactive (menu background); their enabled state is left alone.
void setTimeEditLook(QLineEdit *edit, bool active);
