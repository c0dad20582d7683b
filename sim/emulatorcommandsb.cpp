// The commands of a B module and of the calibration software.
#include "emulatorbytes.h"
#include "moduleemulator.h"

using namespace EmulatorBytes;

QByteArray ModuleEmulator::carryOutB(quint8 code, quint8 param, double atMs,
                                     std::function<void()> &afterSent)
{
    switch (code) {
    case 0x20:
        if (param > 1)
            return moduleError(kBadParameter);
        m_transmitterOn = param == 1;
        return bytesOf({0x20, param});
    case 0x21:
        afterSent = [this, param] { fallAsleep(param); };
        return bytesOf({0x21, param});
    case 0x22: {
        if (param != 0x00)
            return moduleError(kBadParameter);
        const double recalibratedAt = atMs + m_config.processingDelayMs + m_config.recalibrationMs;
        schedule(recalibratedAt, bytesOf({0x22, m_config.recalibrationResult}),
                 EmulatorLogEntry::Report);
        return bytesOf({0x22, 0x00});
    }
    default:
        return moduleError(kUnknownCommand);
    }
}
