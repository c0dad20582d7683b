#include "moduletest/moduletests.h"

#include "app/timeofday.h"
#include "link/catalogue.h"
#include "link/comport.h"
#include "link/modulelink.h"
#include "module/modulehost.h"
#include "moduletest/moduletestpage.h"
#include "rf/linkcontrol.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace ModuleTestFormat
{

QString temperatureText(quint8 v)
{
    return QString::number(int(qint8(v))) + QStringLiteral("°C");
}

QString rssiText(quint8 v)
{
    return QString::number(int(qint8(v))) + QStringLiteral("dBm");
}

QString voltageText(quint8 v, const QLocale &locale)
{
    return locale.toString(v / 10.0, 'g', QLocale::FloatingPointShortest) + QLatin1Char('V');
}

std::optional<quint8> sleepMode(int afterWakeup, int wakeupPin, int otherPins)
{
    if (afterWakeup < 0 || wakeupPin < 0 || otherPins < 0)
        return std::nullopt;
    return quint8(afterWakeup | 16 * wakeupPin | 32 * otherPins);
}

bool isBOrCalibration(const QString &letter)
{
    return letter == QLatin1String("B") || letter == QLatin1String("x");
}

QByteArray sleepFrame(const QString &letter, quint8 mode)
{
    // A C module has no wake-up pin choice: bit 4 stays clear.
    if (isBOrCalibration(letter))
        return Frame::make(Frame::SleepB, mode);
    return Frame::make(Frame::SleepC, mode & 0xEF);
}

QByteArray recalibrationFrame(const QString &letter)
{
    return Frame::make(isBOrCalibration(letter) ? Frame::RecalibrateB : Frame::RecalibrateC, 0x00);
}

} // namespace ModuleTestFormat

using namespace ModuleTestFormat;

ModuleTests::ModuleTests(ModuleLink &link, ModuleHost &host, ModultestControls &controls,
                         const ModuleTestEnvironment &environment)
    : m_link(link), m_host(host), c(controls), m_env(environment)
{
}

QString ModuleTests::letter() const
{
    return m_env.Edit_SW_Typ->text();
}

bool ModuleTests::refusedWhileLinkControlRuns() const
{
    // A command now would interleave with a LinkControl cycle on the same port.
    if (!*m_env.LinkControlRunning)
        return false;
    const bool stopClicked = m_env.BtnStartLinkControl->text() != QLatin1String("Stop");
    const auto [german, english] = linkControlBusyTexts(stopClicked);
    m_host.showMessage(german, english);
    return true;
}

bool ModuleTests::withRetries(const std::function<void()> &send)
{
    LinkState &state = m_link.state();
    state.retryCounter = 5;
    do {
        state.errorFlag = false;
        send();
    } while (state.errorFlag && state.retryCounter != 0);
    if (!state.errorFlag)
        return true;
    m_host.disconnectModule();
    m_host.showMessage(QStringLiteral("Kommunikationsfehler!\r\n(COM und Baudrate überprüfen)"),
                       QStringLiteral("Transmission error!\r\n(Check COM und baudrate)"));
    return false;
}

void ModuleTests::measure(quint8 param, QLineEdit *edit, QLabel *timeLabel,
                          const std::function<QString(quint8)> &format)
{
    if (refusedWhileLinkControlRuns())
        return;
    const bool cModule = !isBOrCalibration(letter());
    ComPort &port = m_link.port();
    const bool ok = withRetries([&] {
        // A C module takes commands only while RTS is off.
        if (cModule)
            port.setRts(false);
        m_link.transaction(Frame::Measure, param);
        if (cModule)
            port.setRts(true);
    });
    if (!ok)
        return;
    const auto v = m_link.answerByte(1);
    if (!v)
        return;
    edit->setText(format(*v));
    timeLabel->setText(timeOfDayText());
    timeLabel->show();
}

void ModuleTests::BtnTempClick()
{
    measure(Frame::MeasureTemperature, c.Edit_Temp, c.Label_Temp_Uhr, temperatureText);
}

void ModuleTests::BtnVCCClick()
{
    measure(Frame::MeasureVoltage, c.Edit_VCC, c.Label_VCC_Uhr,
            [](quint8 v) { return voltageText(v); });
}

void ModuleTests::BtnRSSI_AktuellClick()
{
    measure(Frame::MeasureRssi, c.Edit_RSSI_Aktuell, c.Label_last_RSSI_Aktuell_Uhr, rssiText);
}

void ModuleTests::BtnRSSI_MAXClick()
{
    measure(Frame::MeasureRssiMax, c.Edit_RSSI_MAX, c.Label_last_RSSI_MAX_Uhr, rssiText);
}

void ModuleTests::BtnRecalClick()
{
    if (refusedWhileLinkControlRuns())
        return;
    const QString type = letter();
    // The dispatcher shows "gestartet" from the answer and the result from the later report;
    // a C module stays with RTS off until that report.
    withRetries([&] {
        if (!isBOrCalibration(type))
            m_link.port().setRts(false);
        m_link.transaction(recalibrationFrame(type));
    });
}

void ModuleTests::BtnSleepClick()
{
    if (refusedWhileLinkControlRuns())
        return;
    const auto mode = sleepMode(c.CBox_sleep_0->currentIndex(), c.CBox_sleep_4->currentIndex(),
                                c.CBox_sleep_5->currentIndex());
    if (!mode) {
        m_host.showMessage(QStringLiteral("zuerst Sleep-Verhalten einstellen"),
                           QStringLiteral("Choose sleep configuration first"));
        return;
    }
    const QString type = letter();
    const bool ok = withRetries([&] {
        if (!isBOrCalibration(type))
            m_link.port().setRts(false);
        m_link.transaction(sleepFrame(type, *mode));
    });
    if (!ok)
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
    if (refusedWhileLinkControlRuns())
        return;
    ComPort &port = m_link.port();
    if (isBOrCalibration(letter())) {
        if (c.CBox_sleep_4->currentIndex() != 0) {
            m_host.showMessage(
                QStringLiteral("Bei \"Pin9 = Wakeuppin\" kann Modul nur mit Taste auf Evalkit "
                               "aufgeweckt werden!"),
                QStringLiteral(
                    "If \"Pin9 = wakeuppin\", wakeup only with  pushbutton  on the EvalKit!"));
            return;
        }
        port.setRts(false);
        m_host.sleepMs(10);
        port.setRts(true);
        return;
    }
    // The rising edge wakes a C module; the pulse is kept short, the module needs no more.
    port.setRts(true);
    m_host.sleepMs(1);
    port.setRts(false);
}
