#pragma once

#include "moduletest/measurements.h"

#include <QString>

class Activities;
class ModuleHost;
class ModuleLink;
class QLabel;
class QLineEdit;
class QPushButton;
struct ModultestControls;

// What the module tests change outside their page.
struct ModuleTestEnvironment {
    QLineEdit *Edit_SW_Typ = nullptr;
    // Disabled while the module sleeps.
    QPushButton *BtnKonfigurieren = nullptr;
    QPushButton *BtnAuslesen = nullptr;
    QPushButton *BtnStartHF_Test = nullptr;
    QPushButton *BtnLinkControl_konfig = nullptr;
    QPushButton *BtnStartLinkControl = nullptr;
    QPushButton *BtnMonitor_Start = nullptr;
};

// The handlers of the module-test page: each refuses while the carrier test runs, runs its module
// test and shows the result; on final failure the window disconnects.
class ModuleTests
{
public:
    ModuleTests(ModuleLink &link, ModuleHost &host, ModultestControls &controls,
                const ModuleTestEnvironment &environment, const Activities &activities);

    void BtnTempClick();
    void BtnVCCClick();
    void BtnRSSI_AktuellClick();
    void BtnRSSI_MAXClick();
    void BtnRecalClick();
    void BtnSleepClick();
    void BtnWakeupClick();
    // The window disconnected: no results, no sleep settings, every test usable again.
    void disconnected(const QString &placeholder);

private:
    bool refusedWhileCarrierRuns() const;
    QString letter() const;
    // On a false result of the module test (retries used up): the disconnect and the message.
    bool transmitted(bool ok);
    void measure(ModuleTestFormat::Measurement measurement, QLineEdit *edit, QLabel *timeLabel);

    ModuleLink &m_link;
    ModuleHost &m_host;
    ModultestControls &c;
    ModuleTestEnvironment m_env;
    const Activities &m_activities;
};
