#pragma once

class ModuleHost;
class ModuleLink;
class QComboBox;
class QLineEdit;
class QPushButton;
struct SharedState;

// What the monitor reads and uses of the rest of the window: the link to the module, the
// window's services and shared state, and other pages' controls.
struct MonitorEnvironment {
    ModuleLink *link = nullptr;
    ModuleHost *host = nullptr;
    SharedState *shared = nullptr;

    QComboBox *CBox_RS232_baud = nullptr; // the PC's baud rate
    QLineEdit *Edit_SW_Typ = nullptr;     // software type letter
    QLineEdit *Edit_Frq_Version = nullptr;
    QComboBox *CBox_Frq_RX_B = nullptr;
    QComboBox *CBox_Frq_RX_C = nullptr;
    QComboBox *CBox_K_breite_B = nullptr;
    QComboBox *CBox_HFbaud_C = nullptr;
    QPushButton *BtnVerbinden = nullptr; // disabled while a module is connected
};
