// The commands of a C module.
#include "emulatorbytes.h"
#include "moduleemulator.h"

using namespace EmulatorBytes;

QByteArray ModuleEmulator::carryOutC(quint8 code, quint8 param, double atMs,
                                     std::function<void()> &afterSent)
{
    if (code == 0x20) { // sleep; a C module has no wake-up pin choice
        afterSent = [this, param] { fallAsleep(param & ~0x10); };
        return bytesOf({0x20, param});
    }
    if (code == 0x21) {
        if (param != 0x00)
            return moduleError(kBadParameter);
        const double recalibratedAt = atMs + m_config.processingDelayMs + m_config.recalibrationMs;
        schedule(recalibratedAt, bytesOf({0x21, m_config.recalibrationResult}),
                 EmulatorLogEntry::Report);
        return bytesOf({0x21, 0x00});
    }
    return moduleError(kUnknownCommand);
}
