#include "session.h"

#include "failure.h"
#include "output.h"

#include "link/linewait.h"
#include "module/identification.h"

namespace Cli
{

namespace
{

QString g_portLoss;

// The hex log of the exchanges on standard error, a line per exchange.
class StderrPanes : public ExchangeLogPanes
{
public:
    void write(const QStringList &txLines, const QStringList &rxLines) override
    {
        for (qsizetype i = 0; i < txLines.size(); ++i)
            err() << "TX " << txLines.at(i) << "  RX " << rxLines.value(i) << Qt::endl;
    }
    void clear() override {}
    void showLatest() override {}
};

// The window's read-out, without a window: the unknown type is told on standard error.
class SessionReadout : public ReadoutObserver
{
public:
    void unknownSoftwareType(const QString &letter) override
    {
        progress(QStringLiteral("unknown software type \"%1\" (module not supported)").arg(letter));
    }
};

} // namespace

QString portLoss()
{
    return g_portLoss;
}

Session::Session(const CommonOptions &options, QObject *parent)
    : QObject(parent), m_options(options), m_port(std::make_unique<ComPort>())
{
    if (options.debug)
        m_panes = std::make_unique<StderrPanes>();
    m_log = std::make_unique<ExchangeLog>(m_panes.get());
    m_link = std::make_unique<ModuleLink>(*m_port, *this, *m_log);
    m_port->setPortName(options.port);
    m_port->setBaudRate(options.baud);
    QObject::connect(m_port.get(), &ComPort::bytesReceived, m_link.get(),
                     [this] { m_link->receiveHandler(); });
    QObject::connect(m_port.get(), &ComPort::failed, this, [](const QString &text) {
        if (g_portLoss.isEmpty())
            g_portLoss = text;
    });
}

Session::~Session()
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

void Session::powerCycle()
{
    // The dispatcher reads the start-up report while the calibration status is empty.
    m_calibrationStatus.clear();
    powerUpModule(*m_port, *m_link, [](int ms) { LineWait::sleepMs(ms); });
    if (!finishConnection(*m_port, *this))
        fail(ModuleFailed, QStringLiteral("no start-up report from the module on %1 at %2 baud: "
                                          "check the port, the baud rate and the supply")
                               .arg(m_options.port)
                               .arg(m_port->baudRate()));
}

void Session::connect()
{
    powerCycle();

    class Readout : public SessionReadout
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
    if (readOutModule(*m_link, m_identity, false, readout, [](int ms) { LineWait::sleepMs(ms); }))
        return;
    // The start-up report said why: the module went to sleep right after it.
    if (m_calibrationStatus.startsWith(QLatin1String("???")))
        fail(ModuleFailed,
             QStringLiteral("the module on %1 reported at start-up \"%2\": it is set to sleep "
                            "after power-up and answers nothing until it is woken (its wake-up "
                            "pin or the evaluation kit's button); its power-up setting must not "
                            "be \"Sleep nach PWR-up\" for korvel-cli")
                 .arg(m_options.port, m_calibrationStatus));
    fail(ModuleFailed, QStringLiteral("the module on %1 stopped answering during the "
                                      "identification (5 attempts)")
                           .arg(m_options.port));
}

void Session::requireConfigurable() const
{
    if (!isKnownSoftwareType(m_identity.typeLetter))
        fail(ModuleFailed, QStringLiteral("unknown software type \"%1\" (module not supported)")
                               .arg(m_identity.typeLetter));
}

void Session::showRecalibrationStatus(const QString &text)
{
    m_recalibrationStatus = text;
}

void Session::showMaximumRssi(int dbm)
{
    m_maximumRssi = dbm;
}

void Session::moduleWokeUp(bool cModule)
{
    Q_UNUSED(cModule);
    m_wokeUp = true;
}

} // namespace Cli
