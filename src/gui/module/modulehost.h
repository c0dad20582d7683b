#pragma once

#include <QString>

#include <array>

class QAbstractButton;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QTabWidget;
class QWidget;

// Controls of the window and of other pages that the module data reads or changes. The window
// creates them and fills these pointers before the module pages are built.
struct AppControls {
    QTabWidget *PageControl1 = nullptr;
    QWidget *Modulinfo = nullptr; // the six pages, index 0 to 5
    QWidget *Konfig_B = nullptr;
    QWidget *Konfig_C = nullptr;
    QWidget *Modultest = nullptr;
    QWidget *HF_Test = nullptr;
    QWidget *Monitor = nullptr;

    QPushButton *BtnVerbinden = nullptr;
    QPushButton *BtnAuslesen = nullptr;
    QPushButton *BtnKonfigurieren = nullptr;
    QComboBox *CBox_RS232_baud = nullptr; // the PC's baud selector

    QGroupBox *GBox_VCC = nullptr; // Modultest page
    QComboBox *CBox_sleep_4 = nullptr;
    QLabel *Label_sleep_4 = nullptr;

    QPushButton *BtnStartHF_Test = nullptr; // HF_Test page
    QPushButton *BtnStartLinkControl = nullptr;
    QPushButton *BtnLinkControl_konfig = nullptr;

    std::array<QComboBox *, 30> CBoxMonitor{}; // CBoxMonitor_C1 .. CBoxMonitor_C30
    QLabel *LabelMonitor_RBW = nullptr;
    QLabel *LabelMonitor_Status = nullptr;
};

// State of the main window shared with the module data.
struct SharedState {
    int languageIndex = -1;           // 0 German, anything else English
    bool RxTxSwitchByCommand = false; // B module switched between RX and TX by command
    double RBW = 0.0;                 // receiver bandwidth of the monitor, kHz
    double monitorStep = 0.0;         // spacing of the monitor's frequency plan, kHz
};

// Services of the main window that the module data calls.
class ModuleHost
{
public:
    virtual ~ModuleHost() = default;
    // Disconnect of the window (may be called in any state).
    virtual void disconnectModule() = 0;
    // Modal information box with OK, German text for language index 0, English otherwise.
    virtual void showMessage(const QString &german, const QString &english) = 0;
    // Sets the port's baud rate from the PC baud selector; forced applies it while connected.
    virtual void applyBaudSelection(bool forced) = 0;
    // Performs a click on a button as the user would (runs its handler at once).
    virtual void performClick(QAbstractButton *button) = 0;
    // Waits; the window keeps painting meanwhile, but no user input and no port event is handled.
    virtual void sleepMs(int ms) = 0;
    // Folder of the executable, with its trailing separator, for stored configuration files.
    virtual QString programFolder() const = 0;
};
