#pragma once

#include "moduleemulator.h"

#include <QByteArray>

// Drives an emulator on a simulated clock: each exchange sends a frame and collects what the
// module sends within the following window.
struct EmulatorClock {
    ModuleEmulator &module;
    double now = 0;

    // Powers the module up and returns its start-up report.
    QByteArray powerUp()
    {
        module.lineOpened(now);
        return collect(200);
    }
    QByteArray collect(double windowMs)
    {
        now += windowMs;
        return module.takeOutput(now);
    }
    QByteArray exchange(const QByteArray &frame, double windowMs = 50)
    {
        module.receive(frame, now);
        return collect(windowMs);
    }
};

inline QByteArray hex(const char *text)
{
    return QByteArray::fromHex(text);
}
