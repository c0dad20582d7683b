#pragma once

#include <QCommandLineParser>
#include <QString>
#include <QStringList>

namespace Cli
{

// The options every command takes, parsed.
struct CommonOptions {
    QString port;        // -p, --port
    qint32 baud = 19200; // -b, --baud
    bool json = false;   // --json, where the command offers it
    bool debug = false;  // --debug: the hex exchange log on standard error
};

// The parser of one command: -p/--port, -b/--baud, --debug and --help come with it; the command
// adds its own options before process().
class CommandParser
{
public:
    // synopsis: the usage line after "korvel-cli", e.g. "link [--interval MS] ...".
    CommandParser(const QString &command, const QString &synopsis, const QString &description);

    QCommandLineParser &parser() { return m_parser; }
    void addJsonOption();
    // A word the command takes after its options (test's name); without one, any word is
    // refused.
    void addPositional(const QString &name, const QString &description);
    // An option that may be given more than once (the station's -p), by all its names.
    void allowRepeated(const QStringList &names) { m_repeatable += names; }
    // Parses the arguments that follow the command name; wrong usage throws UsageError, --help
    // prints the command's help and ends the program with Success. A word the command does not
    // take and an option given twice are wrong usage: "-p A -p B" would otherwise take B, and
    // "eeprom" without its dashes would be dropped.
    void process(const QStringList &arguments);
    // The common options; without -p a command that needs the port throws UsageError.
    CommonOptions common(bool needsPort = true) const;
    // A whole number or a decimal number of an option, within [min, max]; UsageError otherwise.
    int intValue(const QString &option, int min, int max) const;
    double doubleValue(const QString &option, double min, double max) const;
    // Throws UsageError naming the message, e.g. for options that exclude each other.
    [[noreturn]] void usage(const QString &message) const;

private:
    QString m_command;
    QCommandLineParser m_parser;
    bool m_hasJson = false;
    int m_positionals = 0;
    QStringList m_repeatable;
};

} // namespace Cli
