#include "station/portsession.h"

namespace Station
{

PortSession::PortSession(const QString &port, qint32 baud, QObject *parent)
    : ModuleSession(port, baud, nullptr, parent)
{
}

void PortSession::setCalibrationStatus(const QString &text)
{
    ModuleSession::setCalibrationStatus(text);
    if (m_listening && !text.isEmpty()) {
        m_listening = false;
        emit moduleArrived();
    }
}

bool PortSession::powerUp()
{
    m_listening = false;
    return ModuleSession::powerUp();
}

bool PortSession::readOut()
{
    m_identity = {};
    m_registers = {};
    return ModuleSession::readOut();
}

void PortSession::close()
{
    m_listening = false;
    ModuleSession::close();
}

void PortSession::listenForModule(bool discardWaiting)
{
    // The dispatcher reads a start-up report while the calibration status is empty; the port's
    // bytes-received event hands it over.
    ModuleSession::setCalibrationStatus(QString());
    m_identity = {};
    m_listening = true;
    port().setBaudRate(baud());
    port().open();
    if (discardWaiting)
        port().clearBuffers(true, false);
}

} // namespace Station
