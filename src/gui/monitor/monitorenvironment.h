#pragma once

#include "rf/mscountdown.h"

class ModuleHost;
class ModuleLink;
class QComboBox;
class QLineEdit;
class QPushButton;
struct SharedState;

// What the monitor reads and uses of the rest of the window: the link to the module, the
// window's services, the shared countdown and timer slot, and other pages' controls.
struct MonitorEnvironment {
    ModuleLink *link = nullptr;
    ModuleHost *host = nullptr;
    SharedState *shared = nullptr;
    MsCountdown *countdown = nullptr;
    MmTimerSlot *timerSlot = nullptr;

    QComboBox *CBox_RS232_baud = nullptr; // the PC's baud rate
    QLineEdit *Edit_SW_Typ = nullptr;     // software type letter
    QLineEdit *Edit_Frq_Version = nullptr;
    QComboBox *CBox_Frq_RX_B = nullptr;
    QComboBox *CBox_Frq_RX_C = nullptr;
    QComboBox *CBox_K_breite_B = nullptr;
    QComboBox *CBox_HFbaud_C = nullptr;
    QPushButton *BtnVerbinden = nullptr;        // disabled while a module is connected
    QPushButton *BtnStartLinkControl = nullptr; // "Stop" while LinkControl runs
    QPushButton *BtnStartHF_Test = nullptr;     // "Stop" while the carrier test runs
};
