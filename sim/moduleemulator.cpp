#include "moduleemulator.h"

#include <algorithm>

namespace
{

constexpr quint8 kStartByte = 0xB0;
constexpr quint8 kEepromBit = 0x80;
constexpr quint8 kModuleError = 0x38;
// Module error values: the command code is unknown to this firmware, or its parameter (query,
// register, option) is outside what the firmware offers.
constexpr quint8 kUnknownCommand = 0x01;
constexpr quint8 kBadParameter = 0x02;

constexpr int kRates[] = {1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200};

QByteArray bytesOf(std::initializer_list<int> values)
{
    QByteArray bytes;
    for (int v : values)
        bytes.append(char(quint8(v)));
    return bytes;
}

QByteArray moduleError(quint8 value)
{
    return bytesOf({kModuleError, value});
}

} // namespace

int bModuleBaud(int code)
{
    return code >= 1 && code <= 8 ? kRates[code - 1] : 0;
}

int cModuleBaud(int code)
{
    return code >= 0 && code <= 7 ? kRates[code] : 0;
}

ModuleEmulator::ModuleEmulator(const EmulatorConfig &config)
    : m_config(config), m_spectrum(config.spectrum), m_ram(defaultRegisters(config)),
      m_eeprom(defaultRegisters(config))
{
}

std::array<quint8, 256> ModuleEmulator::defaultRegisters(const EmulatorConfig &config)
{
    std::array<quint8, 256> regs{};
    const quint8 channel = config.band == 433 ? 70 : 80;
    regs[0x09] = channel;
    regs[0x0A] = channel;
    switch (config.type) {
    case 'B':
        regs[0x0B] = 2;    // 9600 radio rate
        regs[0x0C] = 2;    // 50 kHz channel width
        regs[0x0D] = 1;    // Manchester
        regs[0x0E] = 2;    // FSK
        regs[0x0F] = 0;    // Autobaud
        regs[0x10] = 1;    // RX/TX switch by command
        regs[0x11] = 0x24; // run after power-up, remaining pins normal
        regs[0x12] = 0x03; // LED on, HF on
        regs[0x13] = 1;    // recalibrate on temperature change
        regs[0x14] = 0;    // no automatic RSSI output
        break;
    case 'C':
        regs[0x0B] = 3;    // 9600 radio rate
        regs[0x0C] = 4;    // 19200 serial rate
        regs[0x0D] = 0x24; // run after power-up, remaining pins normal
        regs[0x0E] = 0x03; // LED on, HF on
        regs[0x0F] = 1;    // recalibrate on temperature change
        regs[0x10] = 0x00; // plain data format
        break;
    default: // the calibration software starts with the settings its preset shows
        regs[0x0B] = 0;
        regs[0x0C] = 0;
        regs[0x0D] = 1;
        regs[0x0E] = 2;
        regs[0x0F] = 0x03;
        regs[0x10] = 0;
        break;
    }
    return regs;
}

void ModuleEmulator::setEepromWrittenCallback(std::function<void()> callback)
{
    m_eepromWritten = std::move(callback);
}

void ModuleEmulator::setLogCallback(std::function<void(const EmulatorLogEntry &)> callback)
{
    m_logCallback = std::move(callback);
}

void ModuleEmulator::setOutputScheduledCallback(std::function<void()> callback)
{
    m_outputScheduled = std::move(callback);
}

void ModuleEmulator::injectFault(const EmulatorFault &fault)
{
    if (fault.count != 0)
        m_faults.push_back(fault);
}

int ModuleEmulator::moduleBaud() const
{
    switch (m_config.type) {
    case 'B':
        return m_rateCode == 0 ? m_pcBaud : bModuleBaud(m_rateCode);
    case 'C':
        return cModuleBaud(m_rateCode);
    default:
        return m_config.calibrationSoftwareBaud;
    }
}

quint8 ModuleEmulator::powerUpRegister() const
{
    switch (m_config.type) {
    case 'B':
        return m_ram[0x11];
    case 'C':
        return m_ram[0x0D];
    default:
        return 0x04; // the calibration software always runs after power-up
    }
}

void ModuleEmulator::resetFromEeprom()
{
    if (m_config.type != 'x')
        m_ram = m_eeprom;
    else
        m_ram = defaultRegisters(m_config); // the calibration software keeps nothing
    if (m_config.type == 'B') {
        m_rateCode = m_ram[0x0F] <= 8 ? m_ram[0x0F] : 0;
    } else if (m_config.type == 'C') {
        // An invalid stored rate leaves the firmware at its factory rate.
        m_rateCode = m_ram[0x0C] <= 7 ? m_ram[0x0C] : 4;
    }
    m_transmitterOn = false;
}

void ModuleEmulator::lineOpened(double nowMs)
{
    advance(nowMs);
    if (m_powered)
        return;
    m_powered = true;
    m_asleep = false;
    m_frame.clear();
    resetFromEeprom();
    m_readyAt = nowMs + m_config.bootDelayMs;
    m_nextStreamAt = std::max(m_readyAt, nowMs + m_config.reportStartMs) + m_config.reportPeriodMs;
    if (!m_config.sendStartupReport)
        return;

    const quint8 powerUp = powerUpRegister();
    const bool sleepAfterPowerUp = !(powerUp & 0x04);
    quint8 status = 0x00;
    if (m_config.calibrationDataMissing)
        status = 0x80;
    else if (sleepAfterPowerUp)
        status = 0x01;
    // The UART sends a zero byte as its transmitter comes up, then the firmware's digit (the
    // same digit as in its wake-up report) and the calibration status.
    const quint8 digit = m_config.type == 'C' ? 0x30 : 0x32;
    std::function<void()> after;
    if (sleepAfterPowerUp)
        after = [this, powerUp] { fallAsleep(powerUp); };
    schedule(m_readyAt, bytesOf({0x00, digit, status}), EmulatorLogEntry::Report, after);
}

void ModuleEmulator::lineClosed(double nowMs)
{
    advance(nowMs);
    m_powered = false;
    m_asleep = false;
    m_frame.clear();
    m_scheduled.clear();
    m_line.clear();
    m_lineFreeAt = nowMs;
    m_carrier.finish();
}

void ModuleEmulator::setRts(bool asserted, double nowMs)
{
    advance(nowMs);
    const bool rising = asserted && !m_rts;
    const bool changed = asserted != m_rts;
    m_rts = asserted;
    // TX_EN follows RTS: the line inactive switches the transmitter on.
    if (changed && m_powered && !m_asleep && m_config.type == 'B' && m_ram[0x10] == 0)
        m_transmitterOn = !asserted;
    if (!rising || !m_powered || !m_asleep)
        return;
    const bool wakePin12 = !(m_sleepMode & 0x10);
    if (m_config.type == 'C' || wakePin12)
        wakeUp(nowMs);
}

void ModuleEmulator::setPcBaud(int baud, double nowMs)
{
    advance(nowMs);
    if (baud > 0)
        m_pcBaud = baud;
}

void ModuleEmulator::pressWakeButton(double nowMs)
{
    advance(nowMs);
    if (m_powered && m_asleep)
        wakeUp(nowMs);
}

void ModuleEmulator::fallAsleep(quint8 mode)
{
    m_asleep = true;
    m_sleepMode = mode;
    m_frame.clear();
}

void ModuleEmulator::wakeUp(double atMs)
{
    m_asleep = false;
    if (!(m_sleepMode & 0x01))
        resetFromEeprom(); // "Reset nach Wakeup"
    const QByteArray report = m_config.type == 'C' ? bytesOf({0x30, 0x01}) : bytesOf({0x32, 0x01});
    schedule(atMs + m_config.processingDelayMs, report, EmulatorLogEntry::Report);
}

void ModuleEmulator::emitReport(const QByteArray &bytes, double atMs)
{
    schedule(atMs, bytes, EmulatorLogEntry::Report);
}

void ModuleEmulator::schedule(double at, const QByteArray &bytes, EmulatorLogEntry::Kind kind,
                              std::function<void()> afterSent)
{
    Pending pending{at, bytes, kind, std::move(afterSent)};
    auto pos = std::upper_bound(m_scheduled.begin(), m_scheduled.end(), at,
                                [](double t, const Pending &p) { return t < p.at; });
    m_scheduled.insert(pos, std::move(pending));
    if (m_outputScheduled && !bytes.isEmpty())
        m_outputScheduled();
}

void ModuleEmulator::addLog(EmulatorLogEntry::Kind kind, double atMs, const QByteArray &bytes)
{
    const EmulatorLogEntry entry{kind, atMs, bytes};
    m_log.append(entry);
    if (m_logCallback)
        m_logCallback(entry);
}

bool ModuleEmulator::streaming() const
{
    return m_powered && !m_asleep && m_config.reportPeriodMs > 0 &&
           !m_config.reportStream.isEmpty();
}

void ModuleEmulator::scheduleStreamReports(double nowMs)
{
    while (streaming() && m_nextStreamAt <= nowMs) {
        const double at = m_nextStreamAt;
        m_nextStreamAt += m_config.reportPeriodMs;
        if (m_lineFreeAt > at + m_config.reportPeriodMs)
            continue;
        Pending pending{at, m_config.reportStream, EmulatorLogEntry::Report, {}, false};
        auto pos = std::upper_bound(m_scheduled.begin(), m_scheduled.end(), at,
                                    [](double t, const Pending &p) { return t < p.at; });
        m_scheduled.insert(pos, std::move(pending));
    }
}

void ModuleEmulator::advance(double nowMs)
{
    scheduleStreamReports(nowMs);
    while (!m_scheduled.empty() && m_scheduled.front().at <= nowMs) {
        Pending pending = std::move(m_scheduled.front());
        m_scheduled.erase(m_scheduled.begin());
        if (!m_powered)
            continue;
        if (pending.bytes.isEmpty()) {
            if (pending.afterSent)
                pending.afterSent();
            continue;
        }
        // At a rate the PC does not use, every byte reaches it as noise.
        const bool heard = moduleBaud() == m_pcBaud;
        const double byteTime = byteTimeMs(moduleBaud());
        const double start = std::max(pending.at, m_lineFreeAt);
        for (int i = 0; i < pending.bytes.size(); ++i) {
            const char byte = heard ? pending.bytes[i] : char(0xFF);
            m_line.emplace_back(start + (i + 1) * byteTime, byte);
        }
        m_lineFreeAt = start + pending.bytes.size() * byteTime;
        // The stream of reports would drown the log.
        if (pending.logged)
            addLog(pending.kind, start, pending.bytes);
        if (pending.afterSent)
            pending.afterSent();
    }
}

QByteArray ModuleEmulator::takeOutput(double nowMs)
{
    advance(nowMs);
    QByteArray out;
    while (!m_line.empty() && m_line.front().first <= nowMs) {
        out.append(m_line.front().second);
        m_line.pop_front();
    }
    return out;
}

std::optional<double> ModuleEmulator::nextOutputAt() const
{
    if (!m_line.empty())
        return m_line.front().first;
    std::optional<double> next;
    for (const Pending &pending : m_scheduled) {
        if (!pending.bytes.isEmpty()) {
            next = std::max(pending.at, m_lineFreeAt) + byteTimeMs(moduleBaud());
            break;
        }
    }
    if (streaming()) {
        const double streamAt = std::max(m_nextStreamAt, m_lineFreeAt) + byteTimeMs(moduleBaud());
        if (!next || streamAt < *next)
            next = streamAt;
    }
    return next;
}

void ModuleEmulator::receive(const QByteArray &bytes, double nowMs)
{
    const double byteTime = byteTimeMs(m_pcBaud);
    QByteArray ignored;
    double ignoredAt = nowMs;
    for (int i = 0; i < bytes.size(); ++i) {
        const double at = nowMs + (i + 1) * byteTime;
        advance(at);
        if (ignored.isEmpty())
            ignoredAt = at;
        receiveByte(quint8(bytes[i]), at, ignored);
    }
    if (!ignored.isEmpty())
        addLog(EmulatorLogEntry::Ignored, ignoredAt, ignored);
}

void ModuleEmulator::receiveByte(quint8 byte, double atMs, QByteArray &ignored)
{
    if (takesCarrierByte(byte, atMs)) {
        m_carrier.take(byte, atMs, byteTimeMs(m_pcBaud));
        return;
    }
    // A lone "L" between frames asks a C module for a LinkControl exchange, in either RTS state.
    if (m_config.type == 'C' && m_config.link.enabled && byte == quint8('L') && m_frame.isEmpty() &&
        m_powered && atMs >= m_readyAt && !m_asleep && moduleBaud() == m_pcBaud) {
        handleLinkRequest(atMs);
        return;
    }
    const bool deaf = !m_powered || atMs < m_readyAt || m_asleep || moduleBaud() != m_pcBaud ||
                      (m_config.type == 'C' && m_rts);
    if (deaf) {
        ignored.append(char(byte));
        return;
    }
    if (!m_frame.isEmpty() && atMs - m_lastInputAt > m_config.frameGapMs) {
        ignored.append(m_frame);
        m_frame.clear();
    }
    m_lastInputAt = atMs;
    if (m_frame.isEmpty() && byte != kStartByte) {
        ignored.append(char(byte));
        return;
    }
    m_frame.append(char(byte));
    if (m_frame.size() == 3) {
        const QByteArray frame = m_frame;
        m_frame.clear();
        handleFrame(frame, atMs);
    }
}

int ModuleEmulator::radioBaud() const
{
    static constexpr int kRadioRates[] = {1200, 2400, 4800, 9600, 19200, 38400, 76800, 153600};
    const int code = m_ram[0x0B];
    return code < int(std::size(kRadioRates)) ? kRadioRates[code] : 0;
}

void ModuleEmulator::handleLinkRequest(double atMs)
{
    addLog(EmulatorLogEntry::Frame, atMs, QByteArray(1, 'L'));
    const auto answer = m_linkPartner.answer(m_config.link);
    if (!answer)
        return;
    const double delay = m_config.link.answerDelayMs >= 0
                             ? m_config.link.answerDelayMs
                             : LinkPartner::airTimeMs(radioBaud(), moduleBaud());
    schedule(atMs + delay, *answer, EmulatorLogEntry::Answer);
}

std::optional<EmulatorFault> ModuleEmulator::takeFault(const QByteArray &frame)
{
    for (auto it = m_faults.begin(); it != m_faults.end(); ++it) {
        if (!frame.startsWith(it->frame))
            continue;
        EmulatorFault fault = *it;
        if (it->count > 0 && --it->count == 0)
            m_faults.erase(it);
        return fault;
    }
    return std::nullopt;
}

void ModuleEmulator::handleFrame(const QByteArray &frame, double atMs)
{
    addLog(EmulatorLogEntry::Frame, atMs, frame);
    const double answerAt = atMs + m_config.processingDelayMs;
    const auto fault = takeFault(frame);
    if (fault && fault->kind == FaultKind::ModuleError) {
        schedule(answerAt, moduleError(fault->value), EmulatorLogEntry::Answer);
        return;
    }

    std::function<void()> afterSent;
    QByteArray answer;
    if (fault && fault->kind == FaultKind::Ignored) {
        // The module answers as usual, but nothing it holds changes.
        const auto ram = m_ram;
        const auto eeprom = m_eeprom;
        answer = carryOut(frame, atMs, afterSent);
        m_ram = ram;
        afterSent = {};
        if (m_eeprom != eeprom) {
            m_eeprom = eeprom;
            if (m_eepromWritten)
                m_eepromWritten(); // the kept file shows the old contents again
        }
    } else {
        answer = carryOut(frame, atMs, afterSent);
    }
    if (fault) {
        switch (fault->kind) {
        case FaultKind::Silent:
            answer.clear();
            break;
        case FaultKind::WrongCode:
            answer = answer.left(2);
            answer[0] = char(fault->value ? fault->value : quint8(answer[0]) ^ 0x40);
            break;
        case FaultKind::ShortAnswer:
            answer = answer.left(1);
            break;
        case FaultKind::ShortContinuation:
            if (answer.size() > 2)
                answer.chop(std::min<int>(std::max<int>(fault->value, 1), int(answer.size()) - 2));
            break;
        case FaultKind::ReportBefore:
            schedule(answerAt, fault->report, EmulatorLogEntry::Report);
            break;
        case FaultKind::ModuleError:
        case FaultKind::Ignored:
            break;
        }
    }
    if (!answer.isEmpty())
        schedule(answerAt, answer, EmulatorLogEntry::Answer, std::move(afterSent));
    else if (afterSent)
        schedule(answerAt, {}, EmulatorLogEntry::Answer, std::move(afterSent));
}

QByteArray ModuleEmulator::carryOut(const QByteArray &frame, double atMs,
                                    std::function<void()> &afterSent)
{
    const quint8 code = quint8(frame[1]);
    const quint8 param = quint8(frame[2]);
    const char type = m_config.type;
    const bool cFirmware = type == 'C';

    if (code == 0x00) {
        switch (param) {
        case 0x00:
            return bytesOf({0x00, m_config.version[0], m_config.version[1], m_config.version[2]});
        case 0x01:
            return bytesOf({0x00, type == 'B' ? 2 : cFirmware ? 3 : 0xFF});
        case 0x02:
            return bytesOf({0x00, m_config.commandSet});
        case 0x03:
            return bytesOf({0x00, m_config.hardware});
        case 0x04:
            return bytesOf({0x00, m_config.band == 433 ? 0 : 1});
        case 0x05: {
            const quint32 s = m_config.serial;
            return bytesOf(
                {0x00, int(s & 0xFF), int((s >> 8) & 0xFF), int((s >> 16) & 0xFF), int(s >> 24)});
        }
        case 0x06:
            if (cFirmware && m_config.commandSet >= 3) {
                const int speed = m_config.speedMHz == 16 ? 0 : m_config.speedMHz == 64 ? 1 : 2;
                return bytesOf({0x00, speed});
            }
            return moduleError(kBadParameter);
        default:
            return moduleError(kBadParameter);
        }
    }

    if (code == 0x01) {
        if (m_spectrum.enabled() && param <= 0x01)
            return bytesOf(
                {0x01, param == 0x00 ? m_spectrum.rssi(atMs) : m_spectrum.heldMaximum(atMs)});
        switch (param) {
        case 0x00:
            return bytesOf({0x01, m_config.rssiDbm});
        case 0x01:
            return bytesOf({0x01, m_config.maxRssiDbm});
        case 0x02:
            return bytesOf({0x01, m_config.temperatureC});
        case 0x03:
            return bytesOf({0x01, m_config.supplyTenthsVolt});
        default:
            return moduleError(kBadParameter);
        }
    }

    if (code == 0x02) {
        if (type == 'x')
            return moduleError(kUnknownCommand); // the calibration software cannot be read
        if (param < firstRegister() || param > lastRegister(type))
            return moduleError(kBadParameter);
        return bytesOf({0x02, m_ram[param]});
    }

    const quint8 reg = code & ~kEepromBit;
    if (reg >= firstRegister() && reg <= lastRegister(type)) {
        const bool toEeprom = code & kEepromBit;
        if (toEeprom && type == 'x')
            return moduleError(kBadParameter); // the calibration software has no EEPROM
        m_ram[reg] = param;
        if (reg == 0x09)
            m_spectrum.tune(param, atMs); // the receive channel
        if (toEeprom) {
            m_eeprom[reg] = param;
            if (m_eepromWritten)
                m_eepromWritten();
        }
        // A B module changes its serial rate once its answer has left at the old rate; a C
        // module reads its rate only at power-up.
        if (type == 'B' && reg == 0x0F && param <= 8)
            afterSent = [this, param] { m_rateCode = param; };
        return bytesOf({reg, param});
    }

    const double recalibratedAt = atMs + m_config.processingDelayMs + m_config.recalibrationMs;
    if (cFirmware) {
        if (code == 0x20) { // sleep; a C module has no wake-up pin choice
            afterSent = [this, param] { fallAsleep(param & ~0x10); };
            return bytesOf({0x20, param});
        }
        if (code == 0x21) {
            if (param != 0x00)
                return moduleError(kBadParameter);
            schedule(recalibratedAt, bytesOf({0x21, m_config.recalibrationResult}),
                     EmulatorLogEntry::Report);
            return bytesOf({0x21, 0x00});
        }
        return moduleError(kUnknownCommand);
    }

    switch (code) {
    case 0x20:
        if (param > 1)
            return moduleError(kBadParameter);
        m_transmitterOn = param == 1;
        return bytesOf({0x20, param});
    case 0x21:
        afterSent = [this, param] { fallAsleep(param); };
        return bytesOf({0x21, param});
    case 0x22:
        if (param != 0x00)
            return moduleError(kBadParameter);
        schedule(recalibratedAt, bytesOf({0x22, m_config.recalibrationResult}),
                 EmulatorLogEntry::Report);
        return bytesOf({0x22, 0x00});
    default:
        return moduleError(kUnknownCommand);
    }
}

bool ModuleEmulator::takesCarrierByte(quint8 byte, double atMs) const
{
    // A C module sends the pattern bytes of the carrier test over the air. They come in data mode
    // (RTS on); a pseudo-terminal shows no RTS, so outside a frame they count in command mode too,
    // where they could not start a frame anyway.
    return m_config.type == 'C' && m_frame.isEmpty() && CarrierCounter::isPattern(byte) &&
           m_powered && !m_asleep && atMs >= m_readyAt && moduleBaud() == m_pcBaud;
}
