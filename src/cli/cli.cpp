#include "cli.h"

#include "link/linewait.h"
#include "module/identification.h"
#include "module/itemcounts.h"

#include <QCoreApplication>
#include <QJsonDocument>
#include <QMetaObject>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <thread>

#include <pthread.h>

namespace Cli
{

namespace
{

std::atomic<bool> g_interrupted{false};
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

void fail(ExitCode code, const QString &message)
{
    throw Failure{code, message};
}

QString portLoss()
{
    return g_portLoss;
}

QString oneLine(QString text)
{
    text.replace(QLatin1String("\r\n\r\n"), QLatin1String(": "));
    text.replace(QLatin1String("\r\n"), QLatin1String(" "));
    return text;
}

QString hexByte(quint8 value)
{
    return QStringLiteral("0x") +
           QStringLiteral("%1").arg(value, 2, 16, QLatin1Char('0')).toUpper();
}

QTextStream &out()
{
    static QTextStream stream(stdout);
    return stream;
}

QTextStream &err()
{
    static QTextStream stream(stderr);
    return stream;
}

void writeLine(const QString &line)
{
    out() << line << Qt::endl;
}

void progress(const QString &line)
{
    err() << line << Qt::endl;
}

void writeJson(const QJsonObject &object)
{
    out() << QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact)) << Qt::endl;
}

CommandParser::CommandParser(const QString &command, const QString &synopsis,
                             const QString &description)
    : m_command(command)
{
    m_parser.setApplicationDescription(
        QStringLiteral("Usage: korvel-cli %1\n\n%2").arg(synopsis, description));
    m_parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    m_parser.addOptions({
        {{QStringLiteral("p"), QStringLiteral("port")},
         QStringLiteral("The serial port (a device path, or a korvel-sim link)."),
         QStringLiteral("PORT")},
        {{QStringLiteral("b"), QStringLiteral("baud")},
         QStringLiteral("The PC's serial rate (default 19200)."),
         QStringLiteral("BAUD"),
         QStringLiteral("19200")},
        {QStringLiteral("debug"), QStringLiteral("Log every exchange in hex on standard error.")},
        {{QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Show this help.")},
    });
}

void CommandParser::addJsonOption()
{
    m_hasJson = true;
    m_parser.addOption(
        {QStringLiteral("json"), QStringLiteral("Write the result as one line of JSON.")});
}

void CommandParser::process(const QStringList &arguments)
{
    if (!m_parser.parse(QStringList{QStringLiteral("korvel-cli ") + m_command} + arguments))
        usage(m_parser.errorText());
    if (m_parser.isSet(QStringLiteral("help"))) {
        QString help = m_parser.helpText();
        // Qt's own usage line names the program only; the description carries ours.
        help.remove(0, help.indexOf(QLatin1Char('\n')) + 1);
        out() << help;
        out().flush();
        std::exit(Success);
    }
}

CommonOptions CommandParser::common(bool needsPort) const
{
    CommonOptions options;
    options.port = m_parser.value(QStringLiteral("port"));
    if (needsPort && options.port.isEmpty())
        usage(QStringLiteral("no port given: use -p PORT (korvel-cli ports lists them)"));
    bool ok = false;
    options.baud = m_parser.value(QStringLiteral("baud")).toInt(&ok);
    if (!ok || pcBaudItem(options.baud) < 0)
        usage(QStringLiteral("baud rate \"%1\" not offered: use 1200, 2400, 4800, 9600, 19200, "
                             "38400, 57600 or 115200")
                  .arg(m_parser.value(QStringLiteral("baud"))));
    options.json = m_hasJson && m_parser.isSet(QStringLiteral("json"));
    options.debug = m_parser.isSet(QStringLiteral("debug"));
    return options;
}

int CommandParser::intValue(const QString &option, int min, int max) const
{
    const QString text = m_parser.value(option);
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || value < min || value > max)
        usage(QStringLiteral("--%1 \"%2\": a whole number from %3 to %4 is expected")
                  .arg(option, text)
                  .arg(min)
                  .arg(max));
    return value;
}

double CommandParser::doubleValue(const QString &option, double min, double max) const
{
    const QString text = m_parser.value(option);
    bool ok = false;
    const double value = text.toDouble(&ok);
    if (!ok || !(value >= min && value <= max))
        usage(QStringLiteral("--%1 \"%2\": a number from %3 to %4 is expected")
                  .arg(option, text)
                  .arg(min)
                  .arg(max));
    return value;
}

void CommandParser::usage(const QString &message) const
{
    fail(UsageError, QStringLiteral("%1: %2 (see korvel-cli %1 --help)").arg(m_command, message));
}

Interrupt &Interrupt::instance()
{
    static Interrupt interrupt;
    return interrupt;
}

bool Interrupt::isRequested()
{
    return g_interrupted.load();
}

void Interrupt::install()
{
    // SIGINT and SIGTERM are blocked in every thread and taken by one thread of their own, which
    // hands them to the event loop as a queued call: that wakes any wait, also the waits on the
    // line, which run queued calls but no socket notifications.
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
    Interrupt *target = &instance();
    std::thread([set, target] {
        for (;;) {
            int signal = 0;
            if (sigwait(&set, &signal) != 0)
                continue;
            if (g_interrupted.exchange(true)) {
                // A second Ctrl+C while the first is being handled ends the program at once.
                std::_Exit(128 + signal);
            }
            QMetaObject::invokeMethod(
                target, [target] { emit target->requested(); }, Qt::QueuedConnection);
        }
    }).detach();
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

void Session::connect()
{
    powerUpModule(*m_port, *m_link, [](int ms) { LineWait::sleepMs(ms); });
    if (!finishConnection(*m_port, *this))
        fail(ModuleFailed, QStringLiteral("no start-up report from the module on %1 at %2 baud: "
                                          "check the port, the baud rate and the supply")
                               .arg(m_options.port)
                               .arg(m_options.baud));

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
    if (!readOutModule(*m_link, m_identity, false, readout, [](int ms) { LineWait::sleepMs(ms); }))
        fail(ModuleFailed,
             QStringLiteral("the module on %1 stopped answering during the identification "
                            "(5 attempts)")
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

Registration::Registration(Command command)
{
    auto &all = const_cast<QList<Command> &>(commands());
    all.append(std::move(command));
}

const QList<Command> &commands()
{
    static QList<Command> all;
    return all;
}

} // namespace Cli
