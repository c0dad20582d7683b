#include "options.h"

#include "failure.h"
#include "output.h"

#include "module/itemcounts.h"

namespace Cli
{

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

void CommandParser::addPositional(const QString &name, const QString &description)
{
    m_parser.addPositionalArgument(name, description);
    ++m_positionals;
}

void CommandParser::process(const QStringList &arguments)
{
    if (!m_parser.parse(QStringList{QStringLiteral("korvel-cli ") + m_command} + arguments))
        usage(m_parser.errorText());
    const QStringList names = m_parser.optionNames();
    for (const QString &name : names) {
        if (m_repeatable.contains(name))
            continue;
        // values() gathers the values of every name of the option (-p and --port alike).
        if (m_parser.values(name).size() > 1 || names.count(name) > 1)
            usage(QStringLiteral("%1%2 given twice")
                      .arg(name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--"), name));
    }
    const QStringList words = m_parser.positionalArguments();
    if (words.size() > m_positionals)
        usage(QStringLiteral("unexpected \"%1\"").arg(words.at(m_positionals)));
    if (m_parser.isSet(QStringLiteral("help"))) {
        QString help = m_parser.helpText();
        // Qt's own usage line names the program only; the description carries ours.
        help.remove(0, help.indexOf(QLatin1Char('\n')) + 1);
        out() << help;
        throw Failure{Success, {}};
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

} // namespace Cli
