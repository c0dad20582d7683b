#pragma once

#include "emulatordevice.h"
#include "link/comport.h"
#include "link/exchangelog.h"
#include "link/modulelink.h"

#include <QStringList>

#include <memory>

// The front end's side of the dispatcher for a module whose type is known.
struct RigHost : DispatchHost {
    QString letter;
    QString softwareTypeLetter() const override { return letter; }
    void setSoftwareTypeLetter(const QString &text) override { letter = text; }
    QString calibrationStatus() const override { return QStringLiteral("OK"); }
    void setCalibrationStatus(const QString &) override {}
    void showRecalibrationStatus(const QString &) override {}
    void showMaximumRssi(int) override {}
    void moduleWokeUp(bool) override {}
    bool linkControlRunning() const override { return false; }
};

// Port, log and link over an emulated module that takes frames at once: it sends no start-up
// report and needs no boot time, so a test has nothing to wait for before its first frame. The
// emulator's answers are due a few milliseconds after each frame, far inside the read timeout,
// and a late test thread only finds them waiting.
struct CoreRig {
    explicit CoreRig(EmulatorConfig config, int readTimeoutMs = 50)
    {
        config.bootDelayMs = 0;
        config.sendStartupReport = false;
        ComPort::setDeviceFactoryForTest([this, config] {
            auto made = std::make_unique<EmulatorDevice>(config);
            device = made.get();
            return made;
        });
        port = std::make_unique<ComPort>();
        ComPort::setDeviceFactoryForTest({});
        host.letter = QString(QChar(config.type));
        link = std::make_unique<ModuleLink>(*port, host, log);
        port->setReadTimeout(readTimeoutMs);
        port->open();
        device->clearRecords();
        link->state().retryCounter = 5;
    }
    explicit CoreRig(char type) : CoreRig(configOf(type)) {}
    static EmulatorConfig configOf(char type)
    {
        EmulatorConfig config;
        config.type = type;
        return config;
    }

    ModuleEmulator &module() { return device->emulator(); }
    // count < 0: every matching answer.
    void inject(FaultKind kind, const QByteArray &frame, int count = 1)
    {
        EmulatorFault fault;
        fault.kind = kind;
        fault.frame = frame;
        fault.count = count;
        module().injectFault(fault);
    }
    // The writes and RTS changes on the line, as "write B0 00 01" and "rts 0".
    QStringList line() const
    {
        QStringList events;
        for (const QString &text : device->lineEventTexts()) {
            if (text.startsWith(QLatin1String("write ")) || text.startsWith(QLatin1String("rts ")))
                events << text;
        }
        return events;
    }

    EmulatorDevice *device = nullptr;
    RigHost host;
    ExchangeLog log;
    std::unique_ptr<ComPort> port;
    std::unique_ptr<ModuleLink> link;
};

// "B0 00 01" as its bytes.
inline QByteArray frameOf(const char *hex)
{
    return QByteArray::fromHex(hex);
}

// The line events of the frames, each as "write B0 00 01".
inline QStringList writesOf(const QStringList &frames)
{
    QStringList events;
    for (const QString &frame : frames)
        events << QStringLiteral("write ") + frame;
    return events;
}
