#include "station/portsession.h"

#include "link/linewait.h"

namespace Station
{

PortSession::PortSession(const QString &port, qint32 baud, QObject *parent)
    : QObject(parent), m_portName(port), m_baud(baud), m_port(std::make_unique<ComPort>())
{
    m_log = std::make_unique<ExchangeLog>(nullptr);
    m_link = std::make_unique<ModuleLink>(*m_port, *this, *m_log);
    m_port->setPortName(port);
    m_port->setBaudRate(baud);
    connect(m_port.get(), &ComPort::bytesReceived, m_link.get(),
            [this] { m_link->receiveHandler(); });
    connect(m_port.get(), &ComPort::failed, this, [this](const QString &text) {
        if (m_loss.isEmpty())
            m_loss = text;
        emit lost(text);
    });
}

PortSession::~PortSession()
{
    close();
}

void PortSession::setCalibrationStatus(const QString &text)
{
    m_calibrationStatus = text;
    if (m_listening && !text.isEmpty()) {
        m_listening = false;
        emit moduleArrived();
    }
}

bool PortSession::powerUp()
{
    m_listening = false;
    m_calibrationStatus.clear();
    powerUpModule(*m_port, *m_link, [](int ms) { LineWait::sleepMs(ms); });
    return finishConnection(*m_port, *this);
}

bool PortSession::readOut()
{
    class Readout : public ReadoutObserver
    {
    public:
        explicit Readout(RegisterRead &registers) : m_registers(registers) {}
        void configurationRead(const IdentityRecord &, const RegisterRead &registers) override
        {
            m_registers = registers;
        }

    private:
        RegisterRead &m_registers;
    } readout(m_registers);
    m_identity = {};
    m_registers = {};
    return readOutModule(*m_link, m_identity, false, readout,
                         [](int ms) { LineWait::sleepMs(ms); });
}

void PortSession::close()
{
    m_listening = false;
    m_log->flush();
    if (m_port->isOpen()) {
        try {
            m_port->close();
        } catch (const PortError &) {
            // The port is gone already; nothing is left to close.
        }
    }
}

void PortSession::listenForModule(bool discardWaiting)
{
    // The dispatcher reads a start-up report while the calibration status is empty; the port's
    // bytes-received event hands it over.
    m_calibrationStatus.clear();
    m_identity = {};
    m_listening = true;
    m_port->setBaudRate(m_baud);
    m_port->open();
    if (discardWaiting)
        m_port->clearBuffers(true, false);
}

} // namespace Station
