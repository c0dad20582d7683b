#include "moduletest/moduletests.h"

#include "link/modulelink.h"
#include "module/modulehost.h"
#include "moduletest/moduletestpage.h"
#include "texts/messages.h"
#include "window/activities.h"
#include "window/timeofday.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace ModuleTestFormat;

ModuleTests::ModuleTests(ModuleLink &link, ModuleHost &host, ModultestControls &controls,
                         const ModuleTestEnvironment &environment, const Activities &activities)
    : m_link(link), m_host(host), c(controls), m_env(environment), m_activities(activities)
{
}

void ModuleTests::disconnected(const QString &placeholder)
{
    for (QLineEdit *edit : {c.Edit_Recall_stat, c.Edit_RSSI_MAX, c.Edit_RSSI_Aktuell, c.Edit_Temp})
        edit->clear();
    for (QLabel *label : {c.Label_last_cal_uhr, c.Label_last_RSSI_MAX_Uhr,
                          c.Label_last_RSSI_Aktuell_Uhr, c.Label_Temp_Uhr})
        label->hide();
    for (QComboBox *box : {c.CBox_sleep_0, c.CBox_sleep_4, c.CBox_sleep_5}) {
        box->setCurrentIndex(-1);
        box->setPlaceholderText(placeholder);
    }
    for (QPushButton *button :
         {c.BtnSleep, c.BtnTemp, c.BtnVCC, c.BtnRSSI_Aktuell, c.BtnRSSI_MAX, c.BtnRecal})
        button->setEnabled(true);
    c.BtnWakeup->setEnabled(false);
}

QString ModuleTests::letter() const
{
    return m_env.Edit_SW_Typ->text();
}

bool ModuleTests::refusedWhileCarrierRuns() const
{
    // The carrier test keeps the module transmitting, or the line streaming its pattern, until
    // Stop. LinkControl and the monitor hold the line while they run: the window refuses for them.
    const MessageText *running = m_activities.startedOf({Activities::Kind::Carrier});
    if (running)
        m_host.showMessage(QString::fromUtf8(running->german), QString::fromUtf8(running->english));
    return running != nullptr;
}

bool ModuleTests::transmitted(bool ok)
{
    if (ok)
        return true;
    m_host.disconnectModule();
    m_host.showMessage(QString::fromUtf8(Messages::kCommunicationError.german),
                       QString::fromUtf8(Messages::kCommunicationError.english));
    return false;
}

void ModuleTests::measure(Measurement measurement, QLineEdit *edit, QLabel *timeLabel)
{
    if (refusedWhileCarrierRuns())
        return;
    const ModuleTest::MeasureResult result = ModuleTest::measure(m_link, letter(), measurement);
    if (!transmitted(!result.failed) || !result.value)
        return;
    edit->setText(measurementText(measurement, *result.value));
    timeLabel->setText(timeOfDayText());
    timeLabel->show();
}

void ModuleTests::BtnTempClick()
{
    measure(Measurement::Temperature, c.Edit_Temp, c.Label_Temp_Uhr);
}

void ModuleTests::BtnVCCClick()
{
    measure(Measurement::Voltage, c.Edit_VCC, c.Label_VCC_Uhr);
}

void ModuleTests::BtnRSSI_AktuellClick()
{
    measure(Measurement::CurrentRssi, c.Edit_RSSI_Aktuell, c.Label_last_RSSI_Aktuell_Uhr);
}

void ModuleTests::BtnRSSI_MAXClick()
{
    measure(Measurement::MaximumRssi, c.Edit_RSSI_MAX, c.Label_last_RSSI_MAX_Uhr);
}

void ModuleTests::BtnRecalClick()
{
    if (refusedWhileCarrierRuns())
        return;
    transmitted(ModuleTest::startRecalibration(m_link, letter()));
}

void ModuleTests::BtnSleepClick()
{
    if (refusedWhileCarrierRuns())
        return;
    const auto mode = sleepMode(c.CBox_sleep_0->currentIndex(), c.CBox_sleep_4->currentIndex(),
                                c.CBox_sleep_5->currentIndex());
    if (!mode) {
        m_host.showMessage(QStringLiteral("zuerst Sleep-Verhalten einstellen"),
                           QStringLiteral("Choose sleep configuration first"));
        return;
    }
    if (!transmitted(ModuleTest::sendToSleep(m_link, letter(), *mode)))
        return;
    c.BtnWakeup->setEnabled(true);
    for (QPushButton *button :
         {c.BtnSleep, c.BtnRecal, c.BtnRSSI_MAX, c.BtnRSSI_Aktuell, c.BtnTemp, c.BtnVCC,
          m_env.BtnKonfigurieren, m_env.BtnAuslesen, m_env.BtnStartHF_Test,
          m_env.BtnLinkControl_konfig, m_env.BtnStartLinkControl, m_env.BtnMonitor_Start})
        button->setEnabled(false);
}

void ModuleTests::BtnWakeupClick()
{
    if (refusedWhileCarrierRuns())
        return;
    if (isBOrCalibration(letter()) && c.CBox_sleep_4->currentIndex() != 0) {
        m_host.showMessage(
            QStringLiteral("Bei \"Pin9 = Wakeuppin\" kann Modul nur mit Taste auf Evalkit "
                           "aufgeweckt werden!"),
            QStringLiteral(
                "If \"Pin9 = wakeuppin\", wakeup only with  pushbutton  on the EvalKit!"));
        return;
    }
    ModuleTest::wakeUpPulse(m_link.port(), letter(), [this](int ms) { m_host.sleepMs(ms); });
}
