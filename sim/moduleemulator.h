#pragma once

#include "carrier.h"
#include "linkpartner.h"
#include "spectrum.h"

#include <QByteArray>
#include <QList>

#include <array>
#include <deque>
#include <functional>
#include <optional>
#include <vector>

// What the emulated module is. Measurement values may be changed while it runs; the firmware
// type and band decide the register defaults and are read when the emulator is constructed.
struct EmulatorConfig {
    char type = 'C'; // 'B', 'C' or 'x' (calibration software)
    int band = 868;  // 433 or 868
    int commandSet = 3;
    int hardware = 10;
    int speedMHz = 16; // 8, 16 or 64
    quint32 serial = 123456;
    int version[3] = {1, 4, 12};

    double bootDelayMs = 50;             // from power-up to the start-up report
    double processingDelayMs = 1;        // from the last byte of a frame to the first of its answer
    double frameGapMs = 100;             // a pause this long inside a frame drops the partial frame
    double recalibrationMs = 300;        // from the recalibration answer to its result report
    quint8 recalibrationResult = 1;      // 1 successful, 2 not successful
    bool calibrationDataMissing = false; // start-up report status 0x80
    bool sendStartupReport = true;
    int calibrationSoftwareBaud = 19200; // the calibration software's fixed serial rate

    // Reports the module sends of its own accord every reportPeriodMs while it is awake (an
    // automatic RSSI output, for example 30 vv); none while the period is 0. A report that
    // would find more than one period of bytes still waiting on the line is left out.
    QByteArray reportStream;
    double reportPeriodMs = 0;
    double reportStartMs = 0; // from power-up; the stream never starts before the boot is over

    int rssiDbm = -87;
    int maxRssiDbm = -60;
    int temperatureC = 23;
    int supplyTenthsVolt = 33;

    LinkPartnerConfig link; // a C module's LinkControl answers
    // With carriers set, the signal-strength queries report this spectrum on the channel that
    // the receive-channel register (0x09) tunes to.
    SpectrumConfig spectrum;
};

enum class FaultKind {
    Silent,            // the answer is lost
    WrongCode,         // the answer carries another code (value, or the echo XOR 0x40 when 0)
    ModuleError,       // 38 value instead of the answer; the command is not carried out
    ShortAnswer,       // only the first byte of the answer
    ShortContinuation, // the 4- or 5-byte identification answers lose `value` bytes (at least 1)
    ReportBefore,      // `report` goes out right before the answer
    Ignored,           // the usual answer, but the command is not carried out (a register cell
                       // that does not take the write)
    EepromLost,        // a register write goes into RAM only, its EEPROM cell keeps the old value
                       // (a worn cell); the answer is the usual one
};

// One scripted disturbance of the module's answers. Except for ModuleError the command itself is
// carried out: the fault hits the answer on its way.
struct EmulatorFault {
    FaultKind kind = FaultKind::Silent;
    QByteArray frame; // answers to frames starting with these bytes; empty: every answer
    int count = 1;    // how many answers it hits; negative: all of them
    quint8 value = 0;
    QByteArray report;
    // The answer leaves this many milliseconds later than usual (a report before it does not
    // wait): a busy module, whose late answer may meet the PC's next frame.
    double lateMs = 0;
};

struct EmulatorLogEntry {
    enum Kind {
        Frame,   // a complete command frame the module received
        Answer,  // the answer to a frame, as sent (after faults)
        Report,  // start-up, wake-up, recalibration and scripted reports
        Ignored, // bytes the module did not take as a frame (asleep, RTS data mode, rate, noise)
    };
    Kind kind;
    double atMs;
    QByteArray bytes;
};

// The module's firmware as bytes and line events in, timed bytes out. No I/O and no clock: every
// call carries the time in milliseconds, which must not go backwards.
class ModuleEmulator
{
public:
    explicit ModuleEmulator(const EmulatorConfig &config = {});

    EmulatorConfig &config() { return m_config; }
    const EmulatorConfig &config() const { return m_config; }

    // The line is opened (DTR raised): the module powers up, loads RAM from EEPROM and sends its
    // start-up report after the boot delay. Closing the line removes power; unsent bytes are lost.
    void lineOpened(double nowMs);
    void lineClosed(double nowMs);
    bool isPowered() const { return m_powered; }

    // A rising RTS edge wakes a sleeping C module, and a B module whose wake-up pin is pin 12.
    // While RTS is on, a C module treats received bytes as radio data.
    void setRts(bool asserted, double nowMs);
    bool rts() const { return m_rts; }
    // The PC's line rate. The module hears nothing but noise when it differs from its own rate.
    void setPcBaud(int baud, double nowMs);
    int pcBaud() const { return m_pcBaud; }
    int moduleBaud() const;

    // Bytes the PC starts to send at nowMs; each arrives one character time later than the last.
    void receive(const QByteArray &bytes, double nowMs);
    // Bytes whose last bit has reached the PC by nowMs.
    QByteArray takeOutput(double nowMs);
    // When the next byte will have reached the PC, if any is on its way.
    std::optional<double> nextOutputAt() const;

    // Sends bytes of the module's own accord at atMs (queued behind anything already on the line).
    void emitReport(const QByteArray &bytes, double atMs);
    // The push button of the evaluation kit: wakes the module whatever its wake-up pin.
    void pressWakeButton(double nowMs);
    bool isAsleep() const { return m_asleep; }
    // A B module's transmitter, switched by B0 20 01 / B0 20 00 and, when its RX/TX switching
    // (register 0x10) is 0 "über TX_EN", also by RTS: RTS off transmits, RTS on receives.
    bool transmitterOn() const { return m_transmitterOn; }
    // A C module's radio: the pattern bytes of the carrier test it sends over the air.
    CarrierCounter &carrier() { return m_carrier; }
    const CarrierCounter &carrier() const { return m_carrier; }

    quint8 ram(int reg) const { return m_ram.at(reg & 0xFF); }
    quint8 eeprom(int reg) const { return m_eeprom.at(reg & 0xFF); }
    void setRam(int reg, quint8 value) { m_ram.at(reg & 0xFF) = value; }
    void setEeprom(int reg, quint8 value) { m_eeprom.at(reg & 0xFF) = value; }
    const std::array<quint8, 256> &eepromImage() const { return m_eeprom; }
    void setEepromImage(const std::array<quint8, 256> &image) { m_eeprom = image; }
    // Called after every write that stored into the EEPROM (to keep it in a file, for example).
    void setEepromWrittenCallback(std::function<void()> callback);

    // Called whenever bytes are scheduled for sending, so that a transport can wake up for them.
    void setOutputScheduledCallback(std::function<void()> callback);

    void injectFault(const EmulatorFault &fault);
    void clearFaults() { m_faults.clear(); }
    int pendingFaults() const { return int(m_faults.size()); }

    const QList<EmulatorLogEntry> &log() const { return m_log; }
    void clearLog() { m_log.clear(); }
    // Called with every log entry as it is made, in addition to the recorded list.
    void setLogCallback(std::function<void(const EmulatorLogEntry &)> callback);

    // Register defaults of a fresh module of this firmware and band.
    static std::array<quint8, 256> defaultRegisters(const EmulatorConfig &config);
    // First and last configuration register of the firmware.
    static int firstRegister() { return 0x09; }
    static int lastRegister(char type) { return type == 'B' ? 0x14 : 0x10; }

private:
    struct Pending {
        double at;
        QByteArray bytes;
        EmulatorLogEntry::Kind kind;
        std::function<void()> afterSent;
        bool logged = true;
    };

    bool streaming() const;
    void scheduleStreamReports(double nowMs);

    void advance(double nowMs);
    void schedule(double at, const QByteArray &bytes, EmulatorLogEntry::Kind kind,
                  std::function<void()> afterSent = {});
    void addLog(EmulatorLogEntry::Kind kind, double atMs, const QByteArray &bytes);
    void receiveByte(quint8 byte, double atMs, QByteArray &ignored);
    bool takesCarrierByte(quint8 byte, double atMs) const;
    void handleFrame(const QByteArray &frame, double atMs);
    void handleLinkRequest(double atMs);
    int radioBaud() const;
    // Carries out a frame and returns its answer; afterSent runs once the answer has left.
    QByteArray carryOut(const QByteArray &frame, double atMs, std::function<void()> &afterSent);
    // The commands of a B module and the calibration software (which shares their codes), and
    // those of a C module, beyond the queries and register accesses all firmware has.
    QByteArray carryOutB(quint8 code, quint8 param, double atMs, std::function<void()> &afterSent);
    QByteArray carryOutC(quint8 code, quint8 param, double atMs, std::function<void()> &afterSent);
    std::optional<EmulatorFault> takeFault(const QByteArray &frame);
    // The frame's usual answer, with RAM and EEPROM left as they were (FaultKind::Ignored).
    QByteArray carryOutWithoutEffect(const QByteArray &frame, double atMs);
    // The answer as the fault lets it reach the line.
    QByteArray hitByFault(const EmulatorFault &fault, QByteArray answer, double answerAt);
    void resetFromEeprom();
    void fallAsleep(quint8 mode);
    void wakeUp(double atMs);
    quint8 powerUpRegister() const;
    double byteTimeMs(int baud) const { return 10000.0 / baud; }

    EmulatorConfig m_config;
    SyntheticSpectrum m_spectrum;
    std::array<quint8, 256> m_ram{};
    std::array<quint8, 256> m_eeprom{};
    bool m_powered = false;
    bool m_rts = false;
    bool m_asleep = false;
    quint8 m_sleepMode = 0;
    bool m_transmitterOn = false;
    CarrierCounter m_carrier;
    int m_pcBaud = 19200;
    int m_rateCode = 0; // B: register 0x0F in force; C: register 0x0C latched at power-up
    double m_readyAt = 0;
    double m_lastInputAt = 0;
    double m_nextStreamAt = 0;
    QByteArray m_frame;

    std::vector<Pending> m_scheduled; // ordered by time
    std::deque<std::pair<double, char>> m_line;
    double m_lineFreeAt = 0;

    LinkPartner m_linkPartner;
    std::vector<EmulatorFault> m_faults;
    QList<EmulatorLogEntry> m_log;
    std::function<void(const EmulatorLogEntry &)> m_logCallback;
    std::function<void()> m_eepromWritten;
    std::function<void()> m_outputScheduled;
};

// The module's serial rates by register value: B register 0x0F counts from 1 (0 is Autobaud),
// C register 0x0C from 0. Returns 0 for a value outside the list.
int bModuleBaud(int code);
int cModuleBaud(int code);
