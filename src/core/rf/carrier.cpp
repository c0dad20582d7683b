#include "rf/carrier.h"

#include "link/catalogue.h"
#include "link/comport.h"
#include "link/modulelink.h"
#include "link/retryexchange.h"

#include <QCoreApplication>

#include <algorithm>

namespace
{

// Code of the transmitter switch: B0 20 01 transmit, B0 20 00 receive.
constexpr quint8 kSwitchTransmitter = Frame::TransmitterB;
constexpr int kManchester = 1;

} // namespace

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

CarrierRefusal carrierRefusalC(const QString &pcBaud, const QString &moduleBaud,
                               const QString &radioBaud, std::optional<int> transmitMs)
{
    if (pcBaud != moduleBaud)
        return CarrierRefusal::RatesDiffer;
    bool ok = false;
    const int radio = radioBaud.toInt(&ok);
    if (!ok || radio <= 0 || pcBaud.toInt() <= radio)
        return CarrierRefusal::PcNotFasterThanRadio;
    if (transmitMs && carrierBurst(*transmitMs, radio).tooShort())
        return CarrierRefusal::TransmitTimeTooShort;
    return CarrierRefusal::None;
}

std::optional<int> parseWholeMs(const QString &text)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok, 10);
    if (!ok)
        return std::nullopt;
    return value;
}

std::optional<int> carrierCodingB(int coding, bool modulated)
{
    const bool manchester = coding == kManchester;
    if (modulated == manchester)
        return std::nullopt;
    return modulated ? kManchester : 0;
}

quint8 packDataOptions(const int (&items)[5])
{
    quint8 bits = 0;
    for (int i = 0; i < 5; ++i) {
        if (items[i] == 1)
            bits |= quint8(1u << i);
    }
    return bits;
}

CarrierOutput::CarrierOutput(const CarrierLine &line, CarrierHost &host)
    : m_line(line), m_host(host)
{
}

void CarrierOutput::setRunning(bool running)
{
    m_running = running;
    m_host.runningChanged(running);
}

void CarrierOutput::start(bool modulated, bool alternate)
{
    const bool cModule = m_host.cModule();
    m_moduleLost = false;
    m_lateness.clear();
    try {
        if (!prepareConfiguration(cModule, modulated))
            return;
        m_TestByte = carrierPatternByte(modulated);
        setRunning(true);

        if (!alternate) {
            if (cModule) {
                m_line.CarrierStreaming = true;
                m_line.link.port().write(QByteArray(1, char(m_TestByte)));
            } else {
                switchTransmitter(1);
            }
            return;
        }
        if (!m_host.phaseTimesGiven()) {
            m_host.report(CarrierHost::Report::PhaseTimesMissing);
            stop();
            return;
        }
        runAlternation();
    } catch (const PortError &) {
        endAfterPortFailure();
        throw;
    }
}

bool CarrierOutput::prepareConfiguration(bool cModule, bool modulated)
{
    m_saved = m_host.configuration();
    m_saved.cModule = cModule;
    m_saved.codingB = std::max(0, m_saved.codingB);
    CarrierConfiguration needed = m_saved;
    if (cModule) {
        if (m_saved.dataOptionsC == kCarrierDataOptionsC)
            return true;
        needed.dataOptionsC = kCarrierDataOptionsC;
    } else {
        const auto coding = carrierCodingB(m_saved.codingB, modulated);
        if (!coding)
            return true;
        needed.codingB = *coding;
    }
    m_host.report(CarrierHost::Report::ConfigurationChanges);
    // A write whose retries ran out has disconnected and said so: the output does not start.
    return m_host.writeConfiguration(needed);
}

void CarrierOutput::stop()
{
    // A failing switch disconnects, and the disconnect stops once more.
    if (m_stopping)
        return;
    m_stopping = true;
    struct Reset {
        bool &flag;
        ~Reset() { flag = false; }
    } reset{m_stopping};

    // Ends a wait of the alternation at once; a timer of another activity is not ours to stop.
    if (m_line.timer.stop(this))
        m_line.countdown.store(0);
    m_line.CarrierStreaming = false;
    try {
        ComPort &port = m_line.link.port();
        // A module that does not answer any more is left alone: its failure is being reported.
        if (port.isOpen() && !m_moduleLost) {
            // Pattern bytes still queued for the line would keep a C module sending.
            if (m_saved.cModule)
                port.clearBuffers(false, true);
            switchTransmitter(0);
        }
    } catch (const PortError &) {
        endAfterPortFailure();
        throw;
    }
    m_line.TxState = 0;
    setRunning(false);
    restoreConfiguration(m_host.connected() && !m_moduleLost);
}

void CarrierOutput::restoreConfiguration(bool writeToModule)
{
    const bool changed = m_saved.cModule ? m_saved.dataOptionsC != kCarrierDataOptionsC
                                         : m_host.configuration().codingB != m_saved.codingB;
    if (changed)
        m_host.restoreConfiguration(m_saved, writeToModule);
}

void CarrierOutput::switchTransmitter(int state)
{
    m_line.TxState = state;
    // To a C module B0 20 xx means sleep; its receive state is simply RTS on.
    const bool byCommand = m_host.rxTxSwitchByCommand() && !m_host.cModule();
    if (!switchWithRetries(state, byCommand))
        reportModuleLost();
}

bool CarrierOutput::switchWithRetries(int state, bool byCommand)
{
    return retryExchange(m_line.link, [&] {
        if (byCommand)
            m_line.link.transaction(kSwitchTransmitter, quint8(state));
        else
            m_line.link.port().setRts(state == 0);
    });
}

void CarrierOutput::reportModuleLost()
{
    m_moduleLost = true;
    m_host.moduleLost();
}

void CarrierOutput::runAlternation()
{
    // Its phases are timed by a timer of its own or not at all.
    if (!m_line.timer.start(this)) {
        stop();
        return;
    }
    m_loopActive = true;
    struct Unwind {
        CarrierOutput &output;
        ~Unwind()
        {
            output.m_line.timer.stop(&output);
            output.m_loopActive = false;
        }
    } unwind{*this};

    if (m_host.cModule())
        alternateC();
    else
        alternateB();
}

void CarrierOutput::alternateB()
{
    while (m_running) {
        const auto times = m_host.phaseTimes();
        if (!times) {
            stop();
            continue;
        }
        // Each phase's time includes its command and the command's retries.
        const int state = m_line.TxState == 0 ? 1 : 0;
        const int phaseMs = state == 1 ? times->transmitMs : times->receiveMs;
        m_line.countdown.store(phaseMs);
        if (!switchWithRetries(state, true)) {
            reportModuleLost();
            break;
        }
        m_line.TxState = state;
        // A switch that took the whole phase (its retries) is the module's time, not the PC's.
        // A line lost meanwhile ends the phase; the next switch meets the closed port.
        const bool waits = m_line.countdown.load() > 0;
        waitForCountdown(m_line.countdown, m_line.timer,
                         [this] { return !m_line.link.port().isOpen(); });
        if (m_running && waits && m_line.link.port().isOpen())
            m_lateness.addCycle(Lateness::lateAfterCountdown(m_line.countdown, phaseMs));
        QCoreApplication::processEvents();
    }
    // After a port failure or a lost module the output has ended already and there is nothing
    // to switch.
    ComPort &port = m_line.link.port();
    if (!port.isOpen() || m_moduleLost)
        return;
    port.clearBuffers(true, true);
    switchTransmitter(0);
}

void CarrierOutput::alternateC()
{
    // A long burst lets the events in every so many bytes, so that Stop is handled while it is
    // still being written.
    constexpr qint64 kBytesBetweenEvents = 64;
    ComPort &port = m_line.link.port();
    while (m_running) {
        const auto times = m_host.phaseTimes();
        if (!times) {
            stop();
            continue;
        }
        const int periodMs = times->transmitMs + times->receiveMs;
        m_line.countdown.store(periodMs);
        const CarrierBurst burst = carrierBurst(times->transmitMs, m_host.radioBaud());
        if (burst.tooShort()) {
            m_host.report(CarrierHost::Report::TransmitTimeTooShort);
            stop();
            continue;
        }
        // A line lost meanwhile ends the burst and the phase: the next write meets the closed
        // port, and its failure ends the alternation.
        const QByteArray pattern(1, char(m_TestByte));
        for (qint64 i = 0; i < burst.bytes() && m_running; ++i) {
            port.write(pattern);
            if ((i + 1) % kBytesBetweenEvents == 0)
                QCoreApplication::processEvents();
        }
        waitForCountdown(m_line.countdown, m_line.timer, [&port] { return !port.isOpen(); });
        if (m_running && port.isOpen())
            m_lateness.addCycle(Lateness::lateAfterCountdown(m_line.countdown, periodMs));
        QCoreApplication::processEvents();
    }
}

void CarrierOutput::transmitBufferEmpty()
{
    ComPort &port = m_line.link.port();
    if (!m_line.CarrierStreaming || !port.isOpen())
        return;
    try {
        port.write(QByteArray(1, char(m_TestByte)));
    } catch (const PortError &) {
        // Without this byte no further empty event comes: the stream has ended.
        endAfterPortFailure();
        throw;
    }
}

void CarrierOutput::portFailed()
{
    if (m_running)
        endAfterPortFailure();
}

void CarrierOutput::endAfterPortFailure()
{
    if (m_line.timer.stop(this))
        m_line.countdown.store(0);
    m_line.CarrierStreaming = false;
    ComPort &port = m_line.link.port();
    bool receiving = false;
    if (port.isOpen()) {
        // One quiet attempt: the failure is being reported already.
        try {
            LinkState &link = m_line.link.state();
            link.errorFlag = false;
            if (m_host.rxTxSwitchByCommand() && !m_host.cModule())
                m_line.link.transaction(kSwitchTransmitter, 0);
            else
                port.setRts(true);
            receiving = !link.errorFlag;
        } catch (const PortError &) {
        }
    }
    m_line.TxState = 0;
    setRunning(false);
    try {
        restoreConfiguration(receiving && m_host.connected());
    } catch (const PortError &) {
    }
}
