#pragma once

class Activities;
class ComPort;
class ModuleData;
class ModuleHost;
class QComboBox;
class QPushButton;
class QTabWidget;
class QWidget;
struct SharedState;

// The window's parts the LinkControl wizard drives or reads.
struct LinkWizardContext {
    QWidget *window; // the parent of its messages
    ModuleHost &host;
    const SharedState &shared;
    const Activities &activities;
    const ComPort &port;
    ModuleData &module;
    QTabWidget *PageControl1;
    QPushButton *BtnVerbinden;
    QPushButton *BtnTrennen;
    QPushButton *BtnKonfigurieren;
    QComboBox *CBox_RS232_baud;
};

// The LinkControl wizard behind BtnLinkControl_konfig: prepares module 1 for LinkControl, writes
// it into EEPROM, keeps a transfer copy "LinkControl" among the stored configurations, lets the
// user exchange the modules, writes the same configuration into module 2 and brings module 1
// back. It has no state of its own: it drives the window's controls as a user would.
void runLinkControlWizard(const LinkWizardContext &context);
