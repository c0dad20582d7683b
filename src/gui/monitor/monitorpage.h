#pragma once

#include <QStringList>

#include <array>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QSlider;
class QWidget;

// Controls of the spectrum-monitor page: the 30 slots, the sweep's track bars and options, the
// numeric display, the plan group and the buttons.
struct MonitorControls {
    static constexpr int kSlots = 30;

    std::array<QLabel *, kSlots> LabelMonitor{};            // LabelMonitorC1 .. C30, "C1" .. "C30"
    std::array<QComboBox *, kSlots> CBoxMonitor{};          // CBoxMonitor_C1 .. C30
    std::array<QProgressBar *, kSlots> GaugeMonitor_akt{};  // GaugeMonitor_akt_C1 .. C30, lime
    std::array<QProgressBar *, kSlots> GaugeMonitor_peak{}; // GaugeMonitor_peak_C1 .. C30, red
    QLabel *LabelMonitorFrq_1 = nullptr;
    QLabel *LabelMonitorFrq_2 = nullptr;
    QLabel *Label14 = nullptr;
    QLabel *Label15 = nullptr;

    QSlider *TBarMonitor_Tempo = nullptr;
    QSlider *TBarMonitor_Mittlung = nullptr;
    QSlider *TBarMonitor_peak = nullptr;
    QLabel *LabelSpeed = nullptr;
    QLabel *LabelMonitorSlow = nullptr;
    QLabel *LabelMonitorFast = nullptr;
    QLabel *LabelMonitorMean = nullptr;
    QLabel *LabelMonitorOff = nullptr;
    QLabel *LabelMonitorStrong = nullptr;
    QLabel *LabelMonitorDisplayPeak = nullptr;
    QLabel *LabelMonitorShort = nullptr;
    QLabel *LabelMonitorLong = nullptr;

    QGroupBox *RadioGroupMessArt = nullptr;
    QRadioButton *RButtonMonitor_momentan = nullptr;
    QRadioButton *RButtonMonitor_peak = nullptr;
    QCheckBox *CBoxMonitor_noPeakReset = nullptr;

    QGroupBox *GroupBoxDisplay = nullptr;
    QLabel *LabelDisplayKanal = nullptr;
    QComboBox *CBoxMonitor_Messung = nullptr;
    QLabel *LabelDisplayMomentan = nullptr;
    QLineEdit *EditMonitor_Momentan = nullptr;
    QLabel *LabelDisplayPeak = nullptr;
    QLineEdit *EditMonitor_Peak = nullptr;

    QGroupBox *GroupBoxFrqConfig = nullptr;
    QLabel *LabelCenterFreq = nullptr;
    QLabel *LabelSpan = nullptr;
    QLabel *LabelStepRBW = nullptr;
    QLabel *LabelMonitor_CenterFrq = nullptr;
    QLabel *LabelMonitor_Span = nullptr;
    QLabel *LabelMonitor_RBW = nullptr;
    QLabel *LabelMonitor_Status = nullptr;

    QPushButton *BtnMonitor_peakReset = nullptr;
    QPushButton *BtnMonitor_Autoset = nullptr;
    QPushButton *BtnMonitor_FrqSet = nullptr;
    QPushButton *BtnMonitor_FrqClear = nullptr;
    QPushButton *BtnMonitor_Start = nullptr;
    QPushButton *BtnMonitor_Export = nullptr;   // "Export CSV" / "Export beenden"
    QPushButton *BtnMonitor_Spektrum = nullptr; // shows the spectrum picture
};

// Builds the page; every channel selector starts with the given design-time list.
void buildMonitorPage(QWidget *page, MonitorControls &c, const QStringList &channelItems);

// The bars' scale: -128 to -60 dBm; values beyond show at the nearest end.
void setMonitorBar(QProgressBar *bar, int dbm);
