#include "window/commandline.h"

#include "korvel_version.h"

CommandLine informationRequest(const QStringList &arguments)
{
    CommandLine line;
    for (const QString &argument : arguments) {
        if (argument == QLatin1String("--"))
            break;
        if (argument == QLatin1String("--help") || argument == QLatin1String("-h")) {
            line.action = CommandLine::Help;
            return line;
        }
        if (argument == QLatin1String("--version") && line.action == CommandLine::OpenWindow)
            line.action = CommandLine::Version;
    }
    return line;
}

CommandLine parseCommandLine(const QStringList &arguments)
{
    CommandLine line = informationRequest(arguments);
    if (line.action != CommandLine::OpenWindow)
        return line;
    for (const QString &argument : arguments) {
        if (argument == QLatin1String("--self-check")) {
            line.action = CommandLine::SelfCheck;
        } else {
            line.action = CommandLine::Refused;
            line.error = argument.startsWith(QLatin1Char('-'))
                             ? QStringLiteral("unknown option: ") + argument
                             : QStringLiteral("unexpected argument: ") + argument;
            return line;
        }
    }
    return line;
}

QString commandLineUsage()
{
    return QStringLiteral(
        "Usage: Korvel_Config [OPTION]...\n"
        "Configures and tests Korvel433/868 radio modules on a serial port.\n"
        "\n"
        "  -h, --help     show this help and exit\n"
        "      --version  show the version and exit\n"
        "\n"
        "Qt's own options, such as -platform offscreen or -style Fusion, are accepted too.\n"
        "The window speaks German or English (\"Sprache / Language\"). Settings and stored\n"
        "configurations are kept in ~/.local/share/korvel-config/, or next to the program\n"
        "when it runs from a folder of its own that the user may write to.\n"
        "To try the tool without a module, korvel-sim emulates one on a pseudo-terminal.\n");
}

QString versionText(const QString &program)
{
    return program + QStringLiteral(" " KORVEL_VERSION "\n" KORVEL_VERSION_NOTICE);
}
