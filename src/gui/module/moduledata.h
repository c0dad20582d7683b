#pragma once

#include "module/identification.h"
#include "module/konfigbpage.h"
#include "module/konfigcpage.h"
#include "module/modulecontext.h"
#include "module/modulehost.h"
#include "module/modulinfopage.h"
#include "module/savegroup.h"

#include <QObject>

class ModuleLink;
class QGroupBox;
class QWidget;

// The module data: identification and read-out, the B and C configuration pages, the
// configuration write and the stored configurations. The window builds the pages through it and
// connects BtnAuslesen and BtnKonfigurieren to its handlers.
class ModuleData : public QObject
{
    Q_OBJECT
public:
    ModuleData(ModuleLink &link, ModuleHost &host, AppControls &app, SharedState &shared,
               const Activities &activities, QObject *parent = nullptr);

    void buildModulinfoPage(QWidget *page);
    void buildKonfigBPage(QWidget *page);
    void buildKonfigCPage(QWidget *page);
    void buildSaveGroup(QGroupBox *group);

    void readModule();
    void BtnAuslesenClick();
    // True when the module got the configuration.
    bool BtnKonfigurierenClick();
    void computeRbw();
    // The window disconnected and closed the port: no calibration status, and no type letter
    // of a firmware that is not known.
    void disconnected();

    // Change handlers of the configuration pages (run on the user's choice only).
    void CBox_Recal_BChange();
    void CBox_RSSI_BChange();
    void CBox_pwrup_mode_B2Change();
    void CBox_Code_BChange();
    void CBox_Recal_CChange();
    void CBox_pwrup_mode_C2Change();
    // Handlers of the save group.
    void CBox_SpeicherChange();
    void BtnSaveClick();
    void BtnLoadClick();

    // The module record.
    QString softwareTypeLetter() const;

    ModulinfoControls info;
    KonfigBControls b;
    KonfigCControls c;
    SaveControls save;

private:
    ModuleContext m_ctx;
};
