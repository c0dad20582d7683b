#pragma once

#include <QByteArray>
#include <QLocale>
#include <QString>

#include <functional>
#include <optional>

class ModuleHost;
class ModuleLink;
class QLabel;
class QLineEdit;
class QPushButton;
struct ModultestControls;

// The texts and frames of the module tests, apart from any widget.
namespace ModuleTestFormat
{

// Measured bytes as shown: signed degrees ("-5°C"), signed dBm ("-87dBm"), tenths of a volt in
// the shortest decimal form ("3.3V", "3V").
QString temperatureText(quint8 v);
QString rssiText(quint8 v);
QString voltageText(quint8 v, const QLocale &locale = QLocale());

// Sleep mode byte from the item positions of the three choice boxes; nothing while one of them
// has no selection.
std::optional<quint8> sleepMode(int afterWakeup, int wakeupPin, int otherPins);

// B modules and the calibration software ("B", "x") are sent their frames without touching RTS;
// every other letter is a C module.
bool isBOrCalibration(const QString &letter);
QByteArray sleepFrame(const QString &letter, quint8 mode);
QByteArray recalibrationFrame(const QString &letter);

} // namespace ModuleTestFormat

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
    const bool *LinkControlRunning = nullptr;
};

// The handlers of the module-test page: one command each through the transaction with its
// retries; on final failure the window disconnects.
class ModuleTests
{
public:
    ModuleTests(ModuleLink &link, ModuleHost &host, ModultestControls &controls,
                const ModuleTestEnvironment &environment);

    void BtnTempClick();
    void BtnVCCClick();
    void BtnRSSI_AktuellClick();
    void BtnRSSI_MAXClick();
    void BtnRecalClick();
    void BtnSleepClick();
    void BtnWakeupClick();

private:
    bool refusedWhileLinkControlRuns() const;
    QString letter() const;
    // Retry counter 5, the send step repeated while it fails; false (after the disconnect and the
    // message) when the retries are used up.
    bool withRetries(const std::function<void()> &send);
    void measure(quint8 param, QLineEdit *edit, QLabel *timeLabel,
                 const std::function<QString(quint8)> &format);

    ModuleLink &m_link;
    ModuleHost &m_host;
    ModultestControls &c;
    ModuleTestEnvironment m_env;
};
