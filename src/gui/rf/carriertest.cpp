#include "rf/carriertest.h"

#include "module/identification.h"
#include "module/konfigbpage.h"
#include "module/konfigcpage.h"
#include "module/modulehost.h"
#include "rf/hftestpage.h"
#include "texts/messages.h"
#include "window/activities.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <array>

namespace
{

const QString kStart = QStringLiteral("Start");
const QString kStop = QStringLiteral("Stop");

std::array<QComboBox *, 5> dataOptionBoxes(const KonfigCControls &c)
{
    return {c.CBox_Data_C0, c.CBox_Data_C1, c.CBox_Data_C2, c.CBox_Data_C3, c.CBox_Data_C4};
}

// Bit i is the item position of CBox_Data_Ci.
quint8 dataOptionsShown(const KonfigCControls &c)
{
    const auto boxes = dataOptionBoxes(c);
    int items[5];
    for (int i = 0; i < 5; ++i)
        items[i] = boxes[i]->currentIndex();
    return packDataOptions(items);
}

void selectDataOptions(const KonfigCControls &c, quint8 bits)
{
    const auto boxes = dataOptionBoxes(c);
    for (int i = 0; i < 5; ++i)
        boxes[i]->setCurrentIndex((bits >> i) & 1);
}

} // namespace

CarrierTest::CarrierTest(const CarrierContext &context, QObject *parent)
    : QObject(parent), m_ctx(context), m_output(context.activities.carrierLine(context.link), *this)
{
}

bool CarrierTest::running() const
{
    return m_ctx.hf.BtnStartHF_Test->text() == kStop;
}

bool CarrierTest::isConnected() const
{
    return !m_ctx.app.BtnVerbinden->isEnabled();
}

bool CarrierTest::cVersion() const
{
    return firmwareType(m_ctx.Edit_SW_Typ->text()) == FirmwareType::C;
}

void CarrierTest::message(const char *german, const char *english)
{
    m_ctx.host.showMessage(QString::fromUtf8(german), QString::fromUtf8(english));
}

void CarrierTest::message(const MessageText &text)
{
    message(text.german, text.english);
}

void CarrierTest::BtnStartHF_TestClick()
{
    if (m_ctx.hf.BtnStartHF_Test->text() == kStart)
        start();
    else
        m_output.stop();
}

void CarrierTest::CBox_RX_TX_Switch_TestChange()
{
    const bool alternate = m_ctx.hf.CBox_RX_TX_Switch_Test->currentIndex() == 1;
    for (QLabel *label : {m_ctx.hf.Label_RX_Time, m_ctx.hf.Label_TX_Time,
                          m_ctx.hf.Label_RX_Time_Einheit, m_ctx.hf.Label_TX_Time_Einheit})
        label->setEnabled(alternate);
    for (QLineEdit *edit : {m_ctx.hf.Edit_TX_Time, m_ctx.hf.Edit_RX_Time})
        setTimeEditLook(edit, alternate);
}

void CarrierTest::ComPort1TxEmpty()
{
    m_output.transmitBufferEmpty();
}

void CarrierTest::SwitchTransmitter(int state)
{
    m_output.switchTransmitter(state);
}

void CarrierTest::RunRxTxAlternation()
{
    m_output.runAlternation();
}

void CarrierTest::portFailed()
{
    if (running())
        m_output.portFailed();
}

void CarrierTest::disconnected(const QString &placeholder)
{
    for (QComboBox *box : {m_ctx.hf.CBox_Mod_Test, m_ctx.hf.CBox_RX_TX_Switch_Test}) {
        box->setCurrentIndex(-1);
        box->setPlaceholderText(placeholder);
    }
    m_ctx.hf.BtnStartHF_Test->setEnabled(true);
}

bool CarrierTest::startRefused(bool cModule, bool alternate)
{
    using Kind = Activities::Kind;
    if (const MessageText *running =
            m_ctx.activities.startedOf({Kind::Monitor, Kind::LinkControl})) {
        message(*running);
        return true;
    }
    if (m_ctx.hf.CBox_Mod_Test->currentIndex() < 0 ||
        m_ctx.hf.CBox_RX_TX_Switch_Test->currentIndex() < 0) {
        message("zuerst Einstellungen wählen!", "Choose configuration first!");
        return true;
    }
    if (cModule) {
        // A too short transmit time is found by the alternation, after the configuration change.
        const CarrierRefusal refusal = carrierRefusalC(
            m_ctx.app.CBox_RS232_baud->currentText(), m_ctx.c.CBox_RS232_baud_C->currentText(),
            m_ctx.c.CBox_HFbaud_C->currentText(), std::nullopt);
        if (refusal == CarrierRefusal::RatesDiffer) {
            message("Die RS232-Baudrate von Modul und PC müssen übereinstimmen!",
                    "RS232 datarate of PC and module must be the same!");
            return true;
        }
        if (refusal == CarrierRefusal::PcNotFasterThanRadio) {
            message("Für diese Funktion muss die RS232-Baudrate höher als die HF-Baudrate sein",
                    "For carrierout RS232 datarate must be higher than RF datarate");
            return true;
        }
    }
    if (alternate) {
        // A time that is not a whole number or out of range is refused before anything changes.
        if (timeRefused(m_ctx.hf.Edit_TX_Time, "Dauer senden", "Transmit time") ||
            timeRefused(m_ctx.hf.Edit_RX_Time, "Dauer empfangen", "Receive time"))
            return true;
    }
    return false;
}

bool CarrierTest::timeRefused(const QLineEdit *edit, const char *germanName,
                              const char *englishName)
{
    if (edit->text().trimmed().isEmpty())
        return false; // asked for when the alternation starts
    const auto ms = parseWholeMs(edit->text());
    const QString german = QString::fromUtf8(germanName);
    const QString english = QString::fromUtf8(englishName);
    if (!ms) {
        m_ctx.host.showMessage(german + QStringLiteral(": bitte eine ganze Zahl (ms) eingeben!"),
                               english + QStringLiteral(": enter a whole number (ms)!"));
        return true;
    }
    if (!phaseTimeInRange(*ms)) {
        m_ctx.host.showMessage(german + QStringLiteral(": nur Werte von %1 bis %2 ms erlaubt!")
                                            .arg(kPhaseMinMs)
                                            .arg(kPhaseMaxMs),
                               english + QStringLiteral(": only values from %1 to %2 ms allowed!")
                                             .arg(kPhaseMinMs)
                                             .arg(kPhaseMaxMs));
        return true;
    }
    return false;
}

void CarrierTest::start()
{
    // A Start while a stopped alternation is still unwinding would nest a second loop.
    if (m_output.loopActive())
        return;
    const bool alternate = m_ctx.hf.CBox_RX_TX_Switch_Test->currentIndex() == 1;
    if (startRefused(cVersion(), alternate))
        return;
    m_output.start(m_ctx.hf.CBox_Mod_Test->currentIndex() != 0, alternate);
}

bool CarrierTest::rxTxSwitchByCommand() const
{
    return m_ctx.shared.RxTxSwitchByCommand;
}

CarrierConfiguration CarrierTest::configuration() const
{
    CarrierConfiguration now;
    now.cModule = cVersion();
    now.codingB = m_ctx.b.CBox_Code_B->currentIndex();
    now.dataOptionsC = dataOptionsShown(m_ctx.c);
    return now;
}

bool CarrierTest::writeConfiguration(const CarrierConfiguration &configuration)
{
    const CarrierConfiguration before = this->configuration();
    if (configuration.cModule) {
        selectDataOptions(m_ctx.c, configuration.dataOptionsC);
        m_ctx.c.CheckBox_EEPROM_C->setChecked(false);
    } else {
        m_ctx.b.CheckBox_EEPROM->setChecked(false);
        m_ctx.b.CBox_Code_B->setCurrentIndex(configuration.codingB);
    }
    m_ctx.host.performClick(m_ctx.app.BtnKonfigurieren);
    // A write that was refused or failed has said so; the test does not start on a configuration
    // that the module does not have, and the page shows the module's again.
    if (isConnected() && m_ctx.activities.configurationWritten())
        return true;
    if (before.cModule)
        selectDataOptions(m_ctx.c, before.dataOptionsC);
    else
        m_ctx.b.CBox_Code_B->setCurrentIndex(before.codingB);
    return false;
}

void CarrierTest::restoreConfiguration(const CarrierConfiguration &saved, bool writeToModule)
{
    // The data options go back as they were; the EEPROM box of a C module stays as it is.
    if (saved.cModule) {
        selectDataOptions(m_ctx.c, saved.dataOptionsC);
    } else {
        m_ctx.b.CheckBox_EEPROM->setChecked(false);
        m_ctx.b.CBox_Code_B->setCurrentIndex(saved.codingB);
    }
    if (writeToModule)
        m_ctx.host.performClick(m_ctx.app.BtnKonfigurieren);
}

void CarrierTest::runningChanged(bool running)
{
    m_ctx.hf.BtnStartHF_Test->setText(running ? kStop : kStart);
    setControlsEnabled(!running);
}

bool CarrierTest::phaseTimesGiven() const
{
    return !m_ctx.hf.Edit_TX_Time->text().trimmed().isEmpty() &&
           !m_ctx.hf.Edit_RX_Time->text().trimmed().isEmpty();
}

std::optional<CarrierPhases> CarrierTest::phaseTimes() const
{
    // Checked at Start and locked since; a program that made them unreadable stops the test.
    const auto tx = parseWholeMs(m_ctx.hf.Edit_TX_Time->text());
    const auto rx = parseWholeMs(m_ctx.hf.Edit_RX_Time->text());
    if (tx && rx && phaseTimeInRange(*tx) && phaseTimeInRange(*rx))
        return CarrierPhases{*tx, *rx};
    return std::nullopt;
}

int CarrierTest::radioBaud() const
{
    return m_ctx.c.CBox_HFbaud_C->currentText().toInt();
}

void CarrierTest::report(Report report)
{
    switch (report) {
    case Report::ConfigurationChanges:
        message("Achtung, die Konfiguration im RAM wird geändert!\r\n(wird nach betätigen von "
                "\"Stop\" zurückgesetzt)",
                "Warning, configuration in RAM will be changed!\r\n(recovered after \"Stop\")");
        break;
    case Report::PhaseTimesMissing:
        message("zuerst Sende- und Empfangsdauer eingeben",
                "Enter transmit and receive time first");
        break;
    case Report::TransmitTimeTooShort:
        message("Sendedauer für diese Baudrate zu klein",
                "Transmit time to short for this datarate");
        break;
    }
}

void CarrierTest::moduleLost()
{
    // The window disconnects, which stops the test without talking to the module again, and
    // the user is told once.
    m_ctx.host.disconnectModule();
    message(Messages::kCommunicationError);
}

void CarrierTest::setControlsEnabled(bool enabled)
{
    for (QWidget *control : {static_cast<QWidget *>(m_ctx.hf.CBox_Mod_Test),
                             static_cast<QWidget *>(m_ctx.hf.CBox_RX_TX_Switch_Test),
                             static_cast<QWidget *>(m_ctx.hf.Edit_TX_Time),
                             static_cast<QWidget *>(m_ctx.hf.Edit_RX_Time)})
        control->setEnabled(enabled);
}
