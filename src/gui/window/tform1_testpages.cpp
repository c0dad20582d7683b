#include "window/tform1.h"

#include "link/comport.h"
#include "link/exchangelog.h"
#include "module/moduledata.h"
#include "moduletest/moduletests.h"
#include "rf/linkcontrol.h"
#include "rf/linkrecorder.h"
#include "rf/linkwizard.h"
#include "rf/passworddlg.h"
#include "rf/sensitivityoption.h"
#include "widgets/busycursor.h"
#include "widgets/portcombobox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

// The module-test and RF-test pages: their handlers and the window state they share.
void TForm1::buildTestPages()
{
    ModuleTestEnvironment tests;
    tests.Edit_SW_Typ = m_module->info.Edit_SW_Typ;
    tests.BtnKonfigurieren = BtnKonfigurieren;
    tests.BtnAuslesen = BtnAuslesen;
    tests.BtnStartHF_Test = hfTest.BtnStartHF_Test;
    tests.BtnLinkControl_konfig = hfTest.BtnLinkControl_konfig;
    tests.BtnStartLinkControl = hfTest.BtnStartLinkControl;
    tests.BtnMonitor_Start = monitor.BtnMonitor_Start;
    ModuleHost &host = *this;
    m_moduleTests = std::make_unique<ModuleTests>(*m_link, host, modultest, tests, m_activities);
    ModuleTests &t = *m_moduleTests;
    const auto onClick = [this](QAbstractButton *button, const std::function<void()> &handler) {
        connect(button, &QAbstractButton::clicked, this, [this, handler] { guarded(handler); });
    };
    // Each module test talks to the module and retries: the pointer shows busy meanwhile.
    const auto onTestClick = [this](QAbstractButton *button, const std::function<void()> &handler) {
        connect(button, &QAbstractButton::clicked, this, [this, button, handler] {
            const BusyCursor busy;
            guarded([&] { onLine(button, Activities::LineUser::ModuleTest, handler); });
        });
    };
    onTestClick(modultest.BtnTemp, [&t] { t.BtnTempClick(); });
    onTestClick(modultest.BtnVCC, [&t] { t.BtnVCCClick(); });
    onTestClick(modultest.BtnRSSI_Aktuell, [&t] { t.BtnRSSI_AktuellClick(); });
    onTestClick(modultest.BtnRSSI_MAX, [&t] { t.BtnRSSI_MAXClick(); });
    onTestClick(modultest.BtnRecal, [&t] { t.BtnRecalClick(); });
    onTestClick(modultest.BtnSleep, [&t] { t.BtnSleepClick(); });
    onTestClick(modultest.BtnWakeup, [&t] { t.BtnWakeupClick(); });

    LinkControlEnvironment link;
    link.CBox_COM = CBox_COM;
    link.CBox_RS232_baud = CBox_RS232_baud;
    link.CBox_HFbaud_C = m_module->c.CBox_HFbaud_C;
    link.CBox_Frq_RX_C = m_module->c.CBox_Frq_RX_C;
    link.Edit_SW_Typ = m_module->info.Edit_SW_Typ;
    link.messageParent = this;
    m_linkControl =
        std::make_unique<LinkControl>(*m_port, *m_log, hfTest, link, m_shared, m_activities);
    LinkControl &l = *m_linkControl;
    onClick(hfTest.BtnStartLinkControl, [this, &l] {
        onLine(hfTest.BtnStartLinkControl, Activities::LineUser::LinkControl,
               [&l] { l.BtnStartLinkControlClick(); });
    });
    onClick(hfTest.BtnLinkControl_Clear, [&l] { l.BtnLinkControl_ClearClick(); });
    onClick(hfTest.BtnLinkControl_PeakReset, [&l] { l.BtnLinkControl_PeakResetClick(); });
    m_linkRecorder = std::make_unique<LinkRecorder>(l, hfTest.BtnLinkControl_Verlauf,
                                                    hfTest.BtnLinkControl_Export,
                                                    &m_shared.languageIndex, m_activities, this);

    m_passwordDlg = new TPasswordDlg(this);
    m_sensitivity = std::make_unique<SensitivityOption>(hfTest.CBoxLinkControl_Empf,
                                                        hfTest.EditLinkControl_Interval,
                                                        m_passwordDlg, l, &m_shared.languageIndex);
    connect(hfTest.CBoxLinkControl_Empf, &QCheckBox::toggled, this,
            [this] { guarded([this] { m_sensitivity->CBoxLinkControl_EmpfClick(); }); });
}

void TForm1::runWizard()
{
    ModuleHost &host = *this;
    runLinkControlWizard(LinkWizardContext{this, host, m_shared, m_activities, *m_port, *m_module,
                                           PageControl1, BtnVerbinden, BtnTrennen, BtnKonfigurieren,
                                           CBox_RS232_baud});
}
