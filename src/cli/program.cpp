#include "program.h"

#include "commands.h"
#include "failure.h"
#include "interrupt.h"
#include "output.h"
#include "session.h"

#include "common/standardstreams.h"
#include "korvel_version.h"

#include <QCoreApplication>

#include <algorithm>
#include <csignal>
#include <exception>

namespace
{

QString generalHelp()
{
    QString text =
        QStringLiteral("Usage: korvel-cli COMMAND -p PORT [-b BAUD] [OPTIONS]\n"
                       "Configures and tests Korvel433/868 radio modules over a serial port.\n"
                       "\n"
                       "Commands:\n");
    QList<Cli::Command> sorted = Cli::commands();
    std::sort(sorted.begin(), sorted.end(),
              [](const Cli::Command &a, const Cli::Command &b) { return a.name < b.name; });
    for (const Cli::Command &command : sorted)
        text += QStringLiteral("  %1%2\n").arg(command.name.leftJustified(10), command.summary);
    text += QStringLiteral(
        "\n"
        "Options of every command:\n"
        "  -p, --port PORT   the serial port (a device path, or a korvel-sim link)\n"
        "  -b, --baud BAUD   the PC's serial rate (default 19200)\n"
        "  --debug           log every exchange in hex on standard error\n"
        "  -h, --help        the command's own options\n"
        "\n"
        "  korvel-cli --help | --version\n"
        "\n"
        "Exit status: 0 success, 1 the module failed (no answer, a refusal, a verify mismatch),\n"
        "2 wrong usage, 3 the port could not be opened or was lost, 70 an internal error.\n");
    return text;
}

// The command the arguments name, run to its end: its exit status, with every failure told.
int runCommand(const QStringList &arguments)
{
    // Options may come before the command: they are handed to it.
    QStringList leading;
    qsizetype at = 0;
    while (at < arguments.size() && arguments.at(at).startsWith(QLatin1Char('-'))) {
        const QString &option = arguments.at(at);
        if (option == QLatin1String("-h") || option == QLatin1String("--help")) {
            Cli::out() << generalHelp();
            return Cli::Success;
        }
        if (option == QLatin1String("--version")) {
            Cli::writeLine(QStringLiteral("korvel-cli %1").arg(QStringLiteral(KORVEL_VERSION)));
            return Cli::Success;
        }
        const bool takesValue = option == QLatin1String("-p") ||
                                option == QLatin1String("--port") ||
                                option == QLatin1String("-b") || option == QLatin1String("--baud");
        leading.append(option);
        if (takesValue && at + 1 < arguments.size())
            leading.append(arguments.at(++at));
        ++at;
    }
    if (at >= arguments.size())
        return Cli::report(Cli::UsageError,
                           QStringLiteral("no command given (see korvel-cli --help)"));

    const QString name = arguments.at(at);
    const auto &all = Cli::commands();
    const auto command =
        std::find_if(all.begin(), all.end(), [&](const Cli::Command &c) { return c.name == name; });
    if (command == all.end())
        return Cli::report(
            Cli::UsageError,
            QStringLiteral("unknown command \"%1\" (see korvel-cli --help)").arg(name));

    try {
        Cli::Interrupt::install();
        const int code = command->run(leading + arguments.mid(at + 1));
        if (!Cli::portLoss().isEmpty())
            return Cli::report(Cli::PortFailed, Cli::portLoss());
        return code;
    } catch (const Cli::Failure &failure) {
        // A command's --help ends it early with Success and nothing to say.
        if (failure.code == Cli::Success && failure.message.isEmpty())
            return Cli::Success;
        Cli::outputComplete();
        if (!Cli::portLoss().isEmpty())
            return Cli::report(Cli::PortFailed, Cli::portLoss());
        return Cli::report(failure.code, failure.message);
    } catch (const PortError &error) {
        Cli::outputComplete();
        return Cli::report(Cli::PortFailed, error.text());
    } catch (const std::exception &error) {
        // Neither the module nor the port: a fault of the program, which a script must not take
        // for a module that failed.
        Cli::outputComplete();
        return Cli::report(Cli::InternalError, QStringLiteral("internal error: ") +
                                                   QString::fromLocal8Bit(error.what()));
    } catch (...) {
        Cli::outputComplete();
        return Cli::report(Cli::InternalError,
                           QStringLiteral("internal error: an exception of unknown type"));
    }
}

} // namespace

int Cli::runProgram(int argc, char *argv[])
{
    // Before anything opens a file: the port must not become standard output or error.
    openClosedStandardStreams();
#ifdef SIGPIPE
    // A reader that has gone (a pipe into head) makes a write fail, which the command notices and
    // ends with its own status once the module is left sound, instead of killing the program.
    std::signal(SIGPIPE, SIG_IGN);
#endif
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("korvel-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(KORVEL_VERSION));
    return Cli::finish(runCommand(QCoreApplication::arguments().mid(1)));
}
