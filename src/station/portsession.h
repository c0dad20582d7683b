#pragma once

#include "headless/modulesession.h"

namespace Station
{

// One port of the station with the module on it. Every port has its own and uses it on its own
// thread only.
class PortSession : public Headless::ModuleSession
{
    Q_OBJECT
public:
    PortSession(const QString &port, qint32 baud, QObject *parent = nullptr);

    // As the session's, and the port no longer listens for the next module.
    bool powerUp();
    void close();
    // The identification and the configuration registers, read anew; false when the module
    // stopped answering.
    bool readOut();

    // Listens for the start-up report of the next module while the port stays open; emits
    // moduleArrived once it came. discardWaiting drops what the module before left on the line;
    // a port just opened keeps what came, the start-up report of the module it powered up.
    void listenForModule(bool discardWaiting);

    void setCalibrationStatus(const QString &text) override;

signals:
    void moduleArrived();

private:
    bool m_listening = false;
};

} // namespace Station
