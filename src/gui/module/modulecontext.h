#pragma once

#include "module/identification.h"
#include "module/konfigbpage.h"
#include "module/konfigcpage.h"
#include "module/modulehost.h"
#include "module/modulinfopage.h"

class Activities;
class ModuleLink;

// Everything the module data's handlers work on: the link, the window's services and shared
// state, what else runs on the port, and the controls of the module pages.
struct ModuleContext {
    ModuleLink &link;
    ModuleHost &host;
    AppControls &app;
    SharedState &shared;
    const Activities &activities;
    ModulinfoControls &info;
    KonfigBControls &b;
    KonfigCControls &c;

    // Text of Edit_SW_Typ: "B", "C", "x", another letter or empty.
    QString typeLetter() const;
    bool german() const { return shared.languageIndex == 0; }
    // The retries are used up: back to Disconnected, then the communication-error message.
    void reportCommunicationError();
};

void setButtonEnabled(QWidget *button, bool enabled);
