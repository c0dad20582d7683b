// The commands every firmware has: identification and measurement queries, register reads and
// writes.
#include "emulatorbytes.h"
#include "moduleemulator.h"

using namespace EmulatorBytes;

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

    return cFirmware ? carryOutC(code, param, atMs, afterSent)
                     : carryOutB(code, param, atMs, afterSent);
}
