#include "rf/carriertest.h"

#include "link/catalogue.h"
#include "link/comport.h"
#include "link/modulelink.h"
#include "module/konfigbpage.h"
#include "module/konfigcpage.h"
#include "module/modulehost.h"
#include "rf/hftestpage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>
#include <array>

namespace
{

const QString kStart = QStringLiteral("Start");
const QString kStop = QStringLiteral("Stop");

// Code of the transmitter switch: B0 20 01 transmit, B0 20 00 receive.
constexpr quint8 kSwitchTransmitter = Frame::TransmitterB;
// Data options a C module needs for the stream: handshake and fast-send on, nothing else.
constexpr quint8 kStreamDataOptions = 6;
constexpr quint8 kUnmodulated = 0xFF;
constexpr quint8 kModulated = 0xAA;
constexpr int kManchester = 1;

std::array<QComboBox *, 5> dataOptionBoxes(const KonfigCControls &c)
{
    return {c.CBox_Data_C0, c.CBox_Data_C1, c.CBox_Data_C2, c.CBox_Data_C3, c.CBox_Data_C4};
}

// Bit i is the item position of CBox_Data_Ci.
quint8 packDataOptions(const KonfigCControls &c)
{
    const auto boxes = dataOptionBoxes(c);
    quint8 bits = 0;
    for (int i = 0; i < 5; ++i) {
        if (boxes[i]->currentIndex() == 1)
            bits |= quint8(1u << i);
    }
    return bits;
}

void selectDataOptions(const KonfigCControls &c, quint8 bits)
{
    const auto boxes = dataOptionBoxes(c);
    for (int i = 0; i < 5; ++i)
        boxes[i]->setCurrentIndex((bits >> i) & 1);
}

} // namespace

qint64 roundHalfEven(qint64 numerator, qint64 denominator)
{
    qint64 quotient = numerator / denominator;
    qint64 rest = numerator % denominator;
    if (rest < 0) {
        rest += denominator;
        --quotient;
    }
    if (2 * rest > denominator || (2 * rest == denominator && quotient % 2 != 0))
        ++quotient;
    return quotient;
}

CarrierBurst carrierBurst(qint64 transmitMs, qint64 radioBaud)
{
    CarrierBurst burst;
    if (radioBaud <= 0)
        return burst;
    burst.a = roundHalfEven(40000, radioBaud);
    burst.c = (transmitMs - burst.a) * radioBaud;
    burst.R = roundHalfEven(burst.c, 9000);
    return burst;
}

std::optional<int> parseWholeMs(const QString &text)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok, 10);
    if (!ok)
        return std::nullopt;
    return value;
}

CarrierTest::CarrierTest(const CarrierContext &context, QObject *parent)
    : QObject(parent), m_ctx(context)
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
    return m_ctx.Edit_SW_Typ->text() == QLatin1String("C");
}

void CarrierTest::message(const char *german, const char *english)
{
    m_ctx.host.showMessage(QString::fromUtf8(german), QString::fromUtf8(english));
}

void CarrierTest::BtnStartHF_TestClick()
{
    if (m_ctx.hf.BtnStartHF_Test->text() == kStart)
        start();
    else
        stop();
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
    ComPort &port = m_ctx.link.port();
    if (!m_ctx.shared.CarrierStreaming || !port.isOpen())
        return;
    try {
        port.write(QByteArray(1, char(m_TestByte)));
    } catch (const PortError &) {
        // Without this byte no further empty event comes: the stream has ended.
        endAfterPortFailure();
        throw;
    }
}

bool CarrierTest::startRefused(bool cModule, bool alternate)
{
    if (m_ctx.BtnMonitor_Start && m_ctx.BtnMonitor_Start->text() == kStop) {
        message("Monitor ist am laufen, zuerst ausschalten!", "Monitor is running, stop first!");
        return true;
    }
    if (m_ctx.app.BtnStartLinkControl && m_ctx.app.BtnStartLinkControl->text() == kStop) {
        message("LinkControl ist am laufen, zuerst ausschalten!",
                "LinkControl is running, stop first!");
        return true;
    }
    if (m_ctx.hf.CBox_Mod_Test->currentIndex() < 0 ||
        m_ctx.hf.CBox_RX_TX_Switch_Test->currentIndex() < 0) {
        message("zuerst Einstellungen wählen!", "Choose configuration first!");
        return true;
    }
    if (cModule) {
        const QString pcBaud = m_ctx.app.CBox_RS232_baud->currentText();
        if (pcBaud != m_ctx.c.CBox_RS232_baud_C->currentText()) {
            message("Die RS232-Baudrate von Modul und PC müssen übereinstimmen!",
                    "RS232 datarate of PC and module must be the same!");
            return true;
        }
        // A radio rate that is not a number cannot be fed; it is refused like a too fast one.
        bool ok = false;
        const int radio = m_ctx.c.CBox_HFbaud_C->currentText().toInt(&ok);
        if (!ok || radio <= 0 || pcBaud.toInt() <= radio) {
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
    if (m_loopActive)
        return;
    const bool cModule = cVersion();
    const bool alternate = m_ctx.hf.CBox_RX_TX_Switch_Test->currentIndex() == 1;
    if (startRefused(cModule, alternate))
        return;
    m_moduleLost = false;

    try {
        if (!prepareConfiguration(cModule))
            return;
        m_TestByte = m_ctx.hf.CBox_Mod_Test->currentIndex() == 0 ? kUnmodulated : kModulated;
        m_ctx.hf.BtnStartHF_Test->setText(kStop);
        setControlsEnabled(false);

        if (!alternate) {
            if (cModule) {
                m_ctx.shared.CarrierStreaming = true;
                m_ctx.link.port().write(QByteArray(1, char(m_TestByte)));
            } else {
                SwitchTransmitter(1);
            }
            return;
        }
        if (m_ctx.hf.Edit_TX_Time->text().trimmed().isEmpty() ||
            m_ctx.hf.Edit_RX_Time->text().trimmed().isEmpty()) {
            message("zuerst Sende- und Empfangsdauer eingeben",
                    "Enter transmit and receive time first");
            m_ctx.host.performClick(m_ctx.hf.BtnStartHF_Test);
            return;
        }
        RunRxTxAlternation();
    } catch (const PortError &) {
        endAfterPortFailure();
        throw;
    }
}

bool CarrierTest::prepareConfiguration(bool cModule)
{
    m_startedAsC = cModule;
    const auto warn = [this] {
        message("Achtung, die Konfiguration im RAM wird geändert!\r\n(wird nach betätigen von "
                "\"Stop\" zurückgesetzt)",
                "Warning, configuration in RAM will be changed!\r\n(recovered after \"Stop\")");
    };
    if (cModule) {
        m_SavedDataOptionsC = packDataOptions(m_ctx.c);
        if (m_SavedDataOptionsC == kStreamDataOptions)
            return true;
        warn();
        selectDataOptions(m_ctx.c, kStreamDataOptions);
        m_ctx.c.CheckBox_EEPROM_C->setChecked(false);
    } else {
        m_SavedCodeB = quint8(std::max(0, m_ctx.b.CBox_Code_B->currentIndex()));
        const bool modulated = m_ctx.hf.CBox_Mod_Test->currentIndex() != 0;
        const bool manchester = m_SavedCodeB == kManchester;
        if (modulated == manchester)
            return true;
        warn();
        m_ctx.b.CheckBox_EEPROM->setChecked(false);
        m_ctx.b.CBox_Code_B->setCurrentIndex(modulated ? kManchester : 0);
    }
    m_ctx.host.performClick(m_ctx.app.BtnKonfigurieren);
    // A write whose retries ran out has disconnected and said so: the test does not start.
    return isConnected();
}

void CarrierTest::stop()
{
    // A failing switch disconnects, and the disconnect clicks Stop again.
    if (m_stopping)
        return;
    m_stopping = true;
    struct Reset {
        bool &flag;
        ~Reset() { flag = false; }
    } reset{m_stopping};

    m_ctx.timer.stop();
    m_ctx.countdown.store(0);
    m_ctx.shared.CarrierStreaming = false;
    try {
        ComPort &port = m_ctx.link.port();
        // A module that does not answer any more is left alone: its failure is being reported.
        if (port.isOpen() && !m_moduleLost) {
            // Pattern bytes still queued for the line would keep a C module sending.
            if (m_startedAsC)
                port.clearBuffers(false, true);
            SwitchTransmitter(0);
        }
    } catch (const PortError &) {
        endAfterPortFailure();
        throw;
    }
    m_ctx.TxState = 0;
    m_ctx.hf.BtnStartHF_Test->setText(kStart);
    setControlsEnabled(true);
    restoreConfiguration(isConnected() && !m_moduleLost);
}

void CarrierTest::restoreConfiguration(bool writeToModule)
{
    bool changed = false;
    if (m_startedAsC) {
        if (m_SavedDataOptionsC != kStreamDataOptions) {
            selectDataOptions(m_ctx.c, m_SavedDataOptionsC);
            changed = true;
        }
    } else if (m_ctx.b.CBox_Code_B->currentIndex() != m_SavedCodeB) {
        m_ctx.b.CheckBox_EEPROM->setChecked(false);
        m_ctx.b.CBox_Code_B->setCurrentIndex(m_SavedCodeB);
        changed = true;
    }
    if (changed && writeToModule)
        m_ctx.host.performClick(m_ctx.app.BtnKonfigurieren);
}

void CarrierTest::SwitchTransmitter(int state)
{
    m_ctx.TxState = state;
    // To a C module B0 20 xx means sleep; its receive state is simply RTS on.
    const bool byCommand = m_ctx.shared.RxTxSwitchByCommand && !cVersion();
    if (!switchWithRetries(state, byCommand))
        reportModuleLost();
}

bool CarrierTest::switchWithRetries(int state, bool byCommand)
{
    LinkState &link = m_ctx.link.state();
    link.retryCounter = 5;
    do {
        link.errorFlag = false;
        if (byCommand)
            m_ctx.link.transaction(kSwitchTransmitter, quint8(state));
        else
            m_ctx.link.port().setRts(state == 0);
    } while (link.errorFlag && link.retryCounter != 0);
    return !link.errorFlag;
}

void CarrierTest::reportModuleLost()
{
    m_moduleLost = true;
    m_ctx.host.disconnectModule();
    message("Kommunikationsfehler!\r\n(COM und Baudrate überprüfen)",
            "Transmission error!\r\n(Check COM und baudrate)");
}

void CarrierTest::RunRxTxAlternation()
{
    m_loopActive = true;
    struct Unwind {
        CarrierTest &test;
        bool ownsTimer;
        ~Unwind()
        {
            if (ownsTimer)
                test.m_ctx.timer.stop();
            test.m_loopActive = false;
        }
    } unwind{*this, m_ctx.timer.start()};

    if (cVersion())
        alternateC();
    else
        alternateB();
}

std::optional<std::pair<int, int>> CarrierTest::phaseTimes()
{
    const auto tx = parseWholeMs(m_ctx.hf.Edit_TX_Time->text());
    const auto rx = parseWholeMs(m_ctx.hf.Edit_RX_Time->text());
    if (tx && rx && phaseTimeInRange(*tx) && phaseTimeInRange(*rx))
        return std::pair{*tx, *rx};
    m_ctx.host.performClick(m_ctx.hf.BtnStartHF_Test);
    return std::nullopt;
}

void CarrierTest::alternateB()
{
    while (running()) {
        const auto times = phaseTimes();
        if (!times)
            continue;
        const auto [tx, rx] = *times;
        // Each phase's time includes its command and the command's retries.
        const int state = m_ctx.TxState == 0 ? 1 : 0;
        m_ctx.countdown.store(state == 1 ? tx : rx);
        if (!switchWithRetries(state, true)) {
            reportModuleLost();
            break;
        }
        m_ctx.TxState = state;
        waitForCountdown(m_ctx.countdown, m_ctx.timer);
        QCoreApplication::processEvents();
    }
    // After a port failure or a lost module the test has ended already and there is nothing
    // to switch.
    ComPort &port = m_ctx.link.port();
    if (!port.isOpen() || m_moduleLost)
        return;
    port.clearBuffers(true, true);
    SwitchTransmitter(0);
}

void CarrierTest::alternateC()
{
    // A long burst lets the window's events in every so many bytes, so that Stop is handled
    // while it is still being written.
    constexpr qint64 kBytesBetweenEvents = 64;
    ComPort &port = m_ctx.link.port();
    while (running()) {
        const auto times = phaseTimes();
        if (!times)
            continue;
        const auto [tx, rx] = *times;
        m_ctx.countdown.store(tx + rx);
        const CarrierBurst burst = carrierBurst(tx, m_ctx.c.CBox_HFbaud_C->currentText().toInt());
        if (burst.tooShort()) {
            message("Sendedauer für diese Baudrate zu klein",
                    "Transmit time to short for this datarate");
            m_ctx.host.performClick(m_ctx.hf.BtnStartHF_Test);
            continue;
        }
        const QByteArray pattern(1, char(m_TestByte));
        for (qint64 i = 0; i < burst.bytes() && running() && port.isOpen(); ++i) {
            port.write(pattern);
            if ((i + 1) % kBytesBetweenEvents == 0)
                QCoreApplication::processEvents();
        }
        waitForCountdown(m_ctx.countdown, m_ctx.timer);
        QCoreApplication::processEvents();
    }
}

void CarrierTest::setControlsEnabled(bool enabled)
{
    for (QWidget *control : {static_cast<QWidget *>(m_ctx.hf.CBox_Mod_Test),
                             static_cast<QWidget *>(m_ctx.hf.CBox_RX_TX_Switch_Test),
                             static_cast<QWidget *>(m_ctx.hf.Edit_TX_Time),
                             static_cast<QWidget *>(m_ctx.hf.Edit_RX_Time)})
        control->setEnabled(enabled);
}

void CarrierTest::portFailed()
{
    if (running())
        endAfterPortFailure();
}

void CarrierTest::endAfterPortFailure()
{
    m_ctx.timer.stop();
    m_ctx.countdown.store(0);
    m_ctx.shared.CarrierStreaming = false;
    ComPort &port = m_ctx.link.port();
    bool receiving = false;
    if (port.isOpen()) {
        // One quiet attempt: the failure is being reported already.
        try {
            LinkState &link = m_ctx.link.state();
            link.errorFlag = false;
            if (m_ctx.shared.RxTxSwitchByCommand && !cVersion())
                m_ctx.link.transaction(kSwitchTransmitter, 0);
            else
                port.setRts(true);
            receiving = !link.errorFlag;
        } catch (const PortError &) {
        }
    }
    m_ctx.TxState = 0;
    m_ctx.hf.BtnStartHF_Test->setText(kStart);
    setControlsEnabled(true);
    try {
        restoreConfiguration(receiving && isConnected());
    } catch (const PortError &) {
    }
}
