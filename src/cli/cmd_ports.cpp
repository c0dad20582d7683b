// korvel-cli ports: the serial ports and the running korvel-sim instances.

#include "commands.h"
#include "failure.h"
#include "options.h"
#include "output.h"

#include "link/comport.h"
#include "link/simregistry.h"

#include <QJsonArray>

namespace
{

int runPorts(const QStringList &arguments)
{
    Cli::CommandParser parser(QStringLiteral("ports"), QStringLiteral("ports [--json]"),
                              QStringLiteral("Lists the serial ports, then every running "
                                             "korvel-sim, one per line."));
    parser.addJsonOption();
    parser.process(arguments);
    const Cli::CommonOptions options = parser.common(false);

    ComPort port;
    const QStringList system = port.listPorts();
    const QHash<QString, QString> descriptions = port.portDescriptions();
    const QList<SimRegistry::Instance> sims = SimRegistry::running();

    if (options.json) {
        QJsonArray list;
        for (const QString &name : system)
            list.append(QJsonObject{{QStringLiteral("port"), name},
                                    {QStringLiteral("kind"), QStringLiteral("serial")},
                                    {QStringLiteral("description"), descriptions.value(name)},
                                    {QStringLiteral("device"), name}});
        for (const SimRegistry::Instance &sim : sims)
            list.append(QJsonObject{{QStringLiteral("port"), sim.path},
                                    {QStringLiteral("kind"), QStringLiteral("korvel-sim")},
                                    {QStringLiteral("description"), QString()},
                                    {QStringLiteral("device"), sim.device}});
        Cli::writeJson(QJsonObject{{QStringLiteral("command"), QStringLiteral("ports")},
                                   {QStringLiteral("ports"), list}});
        return Cli::Success;
    }
    for (const QString &name : system)
        Cli::writeLine(name);
    for (const SimRegistry::Instance &sim : sims)
        Cli::writeLine(sim.path);
    return Cli::Success;
}

const Cli::Registration registration{
    {QStringLiteral("ports"), QStringLiteral("list the serial ports and running korvel-sim"),
     runPorts}};

} // namespace
