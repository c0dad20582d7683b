#include "headless/modulesession.h"

#include "link/linewait.h"

namespace Headless
{

ModuleSession::ModuleSession(const QString &port, qint32 baud,
                             std::unique_ptr<ExchangeLogPanes> panes, QObject *parent)
    : QObject(parent), m_portName(port), m_baud(baud), m_panes(std::move(panes)),
      m_port(std::make_unique<ComPort>())
{
    m_log = std::make_unique<ExchangeLog>(m_panes.get());
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

ModuleSession::~ModuleSession()
{
    close();
}

bool ModuleSession::powerUp()
{
    // The dispatcher reads the start-up report while the calibration status is empty.
    m_calibrationStatus.clear();
    powerUpModule(*m_port, *m_link, [](int ms) { LineWait::sleepMs(ms); });
    return finishConnection(*m_port, *this);
}

bool ModuleSession::readOut()
{
    class Readout : public ReadoutObserver
    {
    public:
        explicit Readout(ModuleSession &session) : m_session(session) {}
        void unknownSoftwareType(const QString &letter) override
        {
            m_session.unknownSoftwareType(letter);
        }
        void configurationRead(const IdentityRecord &, const RegisterRead &registers) override
        {
            m_session.m_registers = registers;
        }

    private:
        ModuleSession &m_session;
    } readout(*this);
    return readOutModule(*m_link, m_identity, false, readout,
                         [](int ms) { LineWait::sleepMs(ms); });
}

void ModuleSession::close()
{
    m_log->flush();
    if (m_port->isOpen()) {
        try {
            m_port->close();
        } catch (const PortError &) {
            // The port is gone already; nothing is left to close.
        }
    }
}

} // namespace Headless
