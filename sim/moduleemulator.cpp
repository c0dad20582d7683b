// The module emulator's power, line settings, sleep and wake-up, and its register defaults.
#include "moduleemulator.h"
#include "emulatorbytes.h"

#include <algorithm>

using namespace EmulatorBytes;

namespace
{

constexpr int kRates[] = {1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200};

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
