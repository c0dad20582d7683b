#include "module/moduledata.h"

#include "module/configwriter.h"
#include "module/readout.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>

ModuleData::ModuleData(ModuleLink &link, ModuleHost &host, AppControls &app, SharedState &shared,
                       const Activities &activities, QObject *parent)
    : QObject(parent), m_ctx{link, host, app, shared, activities, info, b, c}
{
}

void ModuleData::disconnected()
{
    info.Edit_Caldata->clear();
    // A letter of no known firmware came from a stray answer: the next connection starts as
    // after a fresh start rather than with a dispatcher that reads nothing.
    if (!isKnownSoftwareType(info.Edit_SW_Typ->text()))
        info.Edit_SW_Typ->clear();
}

void ModuleData::buildModulinfoPage(QWidget *page)
{
    buildModulinfo(page, info);
}

void ModuleData::buildKonfigBPage(QWidget *page)
{
    buildKonfigB(page, b);
    connect(b.CBox_Recal_B, &QComboBox::activated, this, &ModuleData::CBox_Recal_BChange);
    connect(b.CBox_RSSI_B, &QComboBox::activated, this, &ModuleData::CBox_RSSI_BChange);
    connect(b.CBox_pwrup_mode_B2, &QComboBox::activated, this,
            &ModuleData::CBox_pwrup_mode_B2Change);
    connect(b.CBox_Code_B, &QComboBox::activated, this, &ModuleData::CBox_Code_BChange);
}

void ModuleData::buildKonfigCPage(QWidget *page)
{
    buildKonfigC(page, c);
    connect(c.CBox_Recal_C, &QComboBox::activated, this, &ModuleData::CBox_Recal_CChange);
    connect(c.CBox_pwrup_mode_C2, &QComboBox::activated, this,
            &ModuleData::CBox_pwrup_mode_C2Change);
}

void ModuleData::buildSaveGroup(QGroupBox *group)
{
    buildSaveControls(group, save);
    connect(save.CBox_Speicher, &QComboBox::currentTextChanged, this,
            &ModuleData::CBox_SpeicherChange);
    // BtnSave and BtnLoad are connected by the window, which shows the operation as busy.
}

void ModuleData::readModule()
{
    ::readModule(m_ctx);
}

void ModuleData::BtnAuslesenClick()
{
    readButtonClicked(m_ctx);
}

bool ModuleData::BtnKonfigurierenClick()
{
    return writeConfiguration(m_ctx);
}

void ModuleData::computeRbw()
{
    ::computeRbw(m_ctx);
}

void ModuleData::CBox_Recal_BChange()
{
    recalibrationRuleB(b);
}

void ModuleData::CBox_RSSI_BChange()
{
    autoRssiRuleB(b);
}

void ModuleData::CBox_pwrup_mode_B2Change()
{
    powerUpRuleB(b);
}

void ModuleData::CBox_Code_BChange()
{
    uartSwitchRuleB(b, softwareTypeLetter());
}

void ModuleData::CBox_Recal_CChange()
{
    recalibrationRuleC(c);
}

void ModuleData::CBox_pwrup_mode_C2Change()
{
    powerUpRuleC(c);
}

void ModuleData::CBox_SpeicherChange()
{
    memoryLocationChanged(m_ctx, save);
}

void ModuleData::BtnSaveClick()
{
    saveConfiguration(m_ctx, save);
}

void ModuleData::BtnLoadClick()
{
    loadConfiguration(m_ctx, save);
}

QString ModuleData::softwareTypeLetter() const
{
    return m_ctx.typeLetter();
}
