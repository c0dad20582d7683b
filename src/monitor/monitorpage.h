#pragma once

#include <QStringList>

#include <array>

class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QWidget;

// Controls of the spectrum-monitor page: the 30 channel slots and the sweep's buttons.
struct MonitorControls {
    std::array<QLabel *, 30> LabelMonitor{};   // LabelMonitor_C1 .. C30, captions "C1" .. "C30"
    std::array<QComboBox *, 30> CBoxMonitor{}; // CBoxMonitor_C1 .. C30
    QGroupBox *GroupBoxFrqConfig = nullptr;
    QLabel *LabelStepRBW = nullptr;
    QLabel *LabelMonitor_RBW = nullptr;
    QLabel *LabelMonitor_Status = nullptr;
    QPushButton *BtnMonitor_peakReset = nullptr;
    QPushButton *BtnMonitor_Autoset = nullptr;
    QPushButton *BtnMonitor_FrqSet = nullptr;
    QPushButton *BtnMonitor_FrqClear = nullptr;
    QPushButton *BtnMonitor_Start = nullptr;
};

// Builds the page; every channel selector starts with the given design-time list.
void buildMonitorPage(QWidget *page, MonitorControls &c, const QStringList &channelItems);
