#include "session.h"

#include "failure.h"
#include "output.h"

#include "module/identification.h"

namespace Cli
{

namespace
{

// korvel-cli runs one session at a time, on the main thread.
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

} // namespace

QString portLoss()
{
    return g_portLoss;
}

Session::Session(const CommonOptions &options, QObject *parent)
    : ModuleSession(options.port, options.baud,
                    options.debug ? std::make_unique<StderrPanes>() : nullptr, parent),
      m_options(options)
{
}

Session::~Session()
{
    close();
    if (g_portLoss.isEmpty())
        g_portLoss = lossText();
}

void Session::powerCycle()
{
    if (!powerUp())
        fail(ModuleFailed, QStringLiteral("no start-up report from the module on %1 at %2 baud: "
                                          "check the port, the baud rate and the supply")
                               .arg(m_options.port)
                               .arg(port().baudRate()));
}

void Session::connect()
{
    powerCycle();
    if (readOut())
        return;
    // The start-up report said why: the module went to sleep right after it.
    if (calibrationText().startsWith(QLatin1String("???")))
        fail(ModuleFailed,
             QStringLiteral("the module on %1 reported at start-up \"%2\": it is set to sleep "
                            "after power-up and answers nothing until it is woken (its wake-up "
                            "pin or the evaluation kit's button); its power-up setting must not "
                            "be \"Sleep nach PWR-up\" for korvel-cli")
                 .arg(m_options.port, calibrationText()));
    fail(ModuleFailed, QStringLiteral("the module on %1 stopped answering during the "
                                      "identification (5 attempts)")
                           .arg(m_options.port));
}

void Session::requireConfigurable() const
{
    if (!isKnownSoftwareType(typeLetter()))
        fail(ModuleFailed, QStringLiteral("unknown software type \"%1\" (module not supported)")
                               .arg(typeLetter()));
}

void Session::unknownSoftwareType(const QString &letter)
{
    progress(QStringLiteral("unknown software type \"%1\" (module not supported)").arg(letter));
}

} // namespace Cli
