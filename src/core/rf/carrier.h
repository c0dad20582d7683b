#pragma once

#include "common/rounding.h"
#include "rf/lateness.h"
#include "rf/mscountdown.h"

#include <QString>
#include <QtGlobal>

#include <optional>

class ModuleLink;

// The pattern bytes a C module gets at the start of each alternation period: a = 40000 / HF
// (the time its radio needs before it sends, in ms), c = (TX - a) × HF, R = c / 9000, both
// rounded to the nearest integer; R - 2 bytes are written, and a period with R - 3 < 1 is too
// short for the radio rate.
struct CarrierBurst {
    qint64 a = 0;
    qint64 c = 0;
    qint64 R = 0;
    bool tooShort() const { return R - 3 < 1; }
    qint64 bytes() const { return R - 2; }
};
CarrierBurst carrierBurst(qint64 transmitMs, qint64 radioBaud);

// Why a C module cannot be fed the carrier, checked before anything changes: its serial rate must
// be the PC's, the PC's rate must be above the radio rate (a radio rate that is not a number
// counts as too fast), and an alternation's transmit time must leave a burst. The rates as their
// selectors show them; transmitMs nothing for a continuous carrier, or when the alternation is
// left to find it out.
enum class CarrierRefusal { None, RatesDiffer, PcNotFasterThanRadio, TransmitTimeTooShort };
CarrierRefusal carrierRefusalC(const QString &pcBaud, const QString &moduleBaud,
                               const QString &radioBaud, std::optional<int> transmitMs);

// A time typed into a time edit: a whole number of milliseconds, or nothing.
std::optional<int> parseWholeMs(const QString &text);

// The transmit and receive times an alternation accepts, in ms: a phase of at least 1 ms and at
// most a minute, so that a period (transmit plus receive) stays well inside the countdown.
constexpr int kPhaseMinMs = 1;
constexpr int kPhaseMaxMs = 60000;
constexpr bool phaseTimeInRange(int ms)
{
    return ms >= kPhaseMinMs && ms <= kPhaseMaxMs;
}

// The pattern byte of the carrier: 0xFF gives an unmodulated carrier, 0xAA a modulated one.
constexpr quint8 carrierPatternByte(bool modulated)
{
    return modulated ? 0xAA : 0xFF;
}

// Coding items of a B module: 0 NRZ, 1 Manchester, 2 UART. An unmodulated carrier needs any
// coding but Manchester, a modulated one needs Manchester. The coding to switch to, or nothing
// when the module's own serves.
std::optional<int> carrierCodingB(int coding, bool modulated);

// The data options (bit i = option i) a C module needs for the stream: handshake and fast-send
// on, CRC and the RSSI telegrams off.
constexpr quint8 kCarrierDataOptionsC = 6;
// The data options as bits from the items of the five option boxes: bit i is set when box i is
// at its item 1; no selection counts as item 0.
quint8 packDataOptions(const int (&items)[5]);

// The part of a module's configuration that the carrier changes: the coding of a B module, the
// data options of a C module.
struct CarrierConfiguration {
    bool cModule = false;
    int codingB = 0;
    quint8 dataOptionsC = kCarrierDataOptionsC;
};

struct CarrierPhases {
    int transmitMs = 0;
    int receiveMs = 0;
};

// What a carrier output asks of its front end and tells it.
class CarrierHost
{
public:
    enum class Report {
        ConfigurationChanges, // the module's RAM configuration is about to change until Stop
        PhaseTimesMissing,    // alternation without both times: the output stops
        TransmitTimeTooShort, // a C module's transmit time is too short for its radio rate
    };

    virtual ~CarrierHost() = default;

    // The module is a C module (fed with pattern bytes); asked wherever it matters.
    virtual bool cModule() const = 0;
    // A B module switches between receive and transmit by command, not by the RTS line.
    virtual bool rxTxSwitchByCommand() const = 0;
    virtual bool connected() const = 0;
    // The configuration the module has now (the coding of a B module, the data options of a C
    // module).
    virtual CarrierConfiguration configuration() const = 0;
    // Writes a configuration to the module's RAM only. False when the write failed for good,
    // which has disconnected and been reported.
    virtual bool writeConfiguration(const CarrierConfiguration &configuration) = 0;
    // Stop: the configuration from before comes back, into the module only when writeToModule.
    virtual void restoreConfiguration(const CarrierConfiguration &saved, bool writeToModule) = 0;
    // The output started (true) or ended (false).
    virtual void runningChanged(bool running) = 0;
    // Both alternation times are given (checked once, when the alternation starts).
    virtual bool phaseTimesGiven() const = 0;
    // The times of the next alternation period; nothing when they cannot be read, which stops
    // the output.
    virtual std::optional<CarrierPhases> phaseTimes() const = 0;
    // The radio rate of a C module, read at the start of every alternation period.
    virtual int radioBaud() const = 0;
    virtual void report(Report report) = 0;
    // The transmitter switch failed after all its attempts: the module is gone. The front end
    // lets go of it (the window disconnects, which stops the output) and tells the user once.
    virtual void moduleLost() = 0;
};

// Where a carrier output works: the link, the 1 ms countdown with its timer slot, and the two
// running-state variables that others read (whether the stream runs, the transmitter state last
// switched).
struct CarrierLine {
    ModuleLink &link;
    MsCountdown &countdown;
    MmTimerSlot &timer;
    bool &CarrierStreaming;
    int &TxState;
};

// The carrier output: the module transmits continuously or alternates between receive and
// transmit. A B module's transmitter is switched; a C module is fed pattern bytes, one on every
// transmit-buffer-empty event of the port or a burst at the start of every alternation period.
// The configuration it needs goes to the module's RAM at Start and the previous one is written
// back at Stop. The alternation blocks in the event loop until Stop.
class CarrierOutput
{
public:
    CarrierOutput(const CarrierLine &line, CarrierHost &host);

    // Prepares the configuration and starts the output; an alternation returns when it has
    // stopped. Port failures end the output and are thrown on.
    void start(bool modulated, bool alternate);
    // Ends the output: the module back in receive, nothing left queued for the line, the
    // configuration from before restored.
    void stop();
    // Handler of the port's transmit-buffer-empty event.
    void transmitBufferEmpty();
    // The port went away outside an operation (already reported): the output ends without it.
    void portFailed();

    // Switches the transmitter (1 transmit, 0 receive) with the usual attempts; when they all
    // fail the module is lost.
    void switchTransmitter(int state);
    // The alternation loop: returns when the output has stopped.
    void runAlternation();

    bool running() const { return m_running; }
    // An alternation loop is still on the stack (it returns after its current wait).
    bool loopActive() const { return m_loopActive; }
    quint8 testByte() const { return m_TestByte; }
    // The switch failed for good since the start: the module is left alone.
    bool moduleLost() const { return m_moduleLost; }
    // How late the PC began the alternation's phases (B) or periods (C), since the start.
    const LatenessTally &lateness() const { return m_lateness; }

private:
    bool prepareConfiguration(bool cModule, bool modulated);
    void restoreConfiguration(bool writeToModule);
    void alternateB();
    void alternateC();
    // Switches the transmitter with the usual five attempts; false when they all failed.
    bool switchWithRetries(int state, bool byCommand);
    void reportModuleLost();
    void endAfterPortFailure();
    void setRunning(bool running);

    CarrierLine m_line;
    CarrierHost &m_host;
    quint8 m_TestByte = 0xFF;
    CarrierConfiguration m_saved;
    bool m_running = false;
    bool m_stopping = false;
    bool m_loopActive = false;
    bool m_moduleLost = false;
    LatenessTally m_lateness;
};
