#pragma once

#include "link/comport.h"
#include "link/exchangelog.h"
#include "link/modulelink.h"
#include "module/moduleidentity.h"

#include <QCommandLineParser>
#include <QJsonObject>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTextStream>

#include <functional>
#include <memory>
#include <utility>

// korvel-cli: every module operation from the command line. Machine output goes to standard
// output, messages and progress to standard error.
namespace Cli
{

// Exit status of every command.
enum ExitCode {
    Success = 0,
    ModuleFailed = 1, // no answer, a refusal, a verify mismatch
    UsageError = 2,
    PortFailed = 3, // the port could not be opened or was lost
};

// A failure that ends the command: main prints "korvel-cli: <message>" as one line on standard
// error and exits with the code. A PortError thrown by the port ends the command with PortFailed.
struct Failure {
    ExitCode code;
    QString message;
};
[[noreturn]] void fail(ExitCode code, const QString &message);
// The port went away outside an exchange (an adapter pulled out): what the system said. The
// command ends with PortFailed once it returns, whatever it returns.
QString portLoss();

// A window message in one line: a blank line between its parts becomes ": ", a line break a
// blank.
QString oneLine(QString text);
// A byte as the log and the verify name registers and values: "0x0B".
QString hexByte(quint8 value);

QTextStream &out(); // standard output, flushed at every line end by writeLine
QTextStream &err(); // standard error
void writeLine(const QString &line);
void progress(const QString &line); // one line on standard error
// The object as one line of compact JSON on standard output.
void writeJson(const QJsonObject &object);

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
    // Parses the arguments that follow the command name; wrong usage throws UsageError, --help
    // prints the command's help and ends the program with Success.
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
};

// SIGINT and SIGTERM: requested() is emitted once from the event loop, so a wait that blocks in
// the event loop wakes up at once. Loops end the way the window's Stop ends them.
class Interrupt : public QObject
{
    Q_OBJECT
public:
    static Interrupt &instance();
    static bool isRequested();
    // Installs the handlers (main does this once).
    static void install();

signals:
    void requested();

private:
    Interrupt() = default;
};

// One module on one port: the port, the transaction and dispatcher, and what the module's
// reports told. The command line's counterpart of the connected window.
class Session : public QObject, public DispatchHost
{
    Q_OBJECT
public:
    explicit Session(const CommonOptions &options, QObject *parent = nullptr);
    ~Session() override;

    // Opens the port, restarts the module as the window's connect does and reads its start-up
    // report, then the identification. PortFailed when the port cannot be opened, ModuleFailed
    // when the module does not answer.
    void connect();
    // The identification of the connected module.
    const IdentityRecord &identity() const { return m_identity; }
    IdentityRecord &identity() { return m_identity; }
    QString typeLetter() const { return m_identity.typeLetter; }
    // The configuration registers the read-out read (those that failed hold nothing).
    const RegisterRead &registers() const { return m_registers; }
    // ModuleFailed for a module whose software type the program does not serve.
    void requireConfigurable() const;
    // What the start-up report told ("OK", "??? ..."), as the Modulinfo page shows it.
    QString calibrationText() const { return m_calibrationStatus; }
    // The module reported its wake-up since the last call.
    bool takeWokeUp() { return std::exchange(m_wokeUp, false); }

    ComPort &port() { return *m_port; }
    ModuleLink &link() { return *m_link; }
    ExchangeLog &log() { return *m_log; }
    const CommonOptions &options() const { return m_options; }

    // What the module's reports told last (empty / 0 before any).
    QString recalibrationStatus() const { return m_recalibrationStatus; }
    int maximumRssi() const { return m_maximumRssi; }

    // Set while a LinkControl run owns the port: reports are then not dispatched as usual.
    void setLinkControlRunning(bool running) { m_linkControlRunning = running; }

    // DispatchHost
    QString softwareTypeLetter() const override { return m_identity.typeLetter; }
    QString calibrationStatus() const override { return m_calibrationStatus; }
    void setCalibrationStatus(const QString &text) override { m_calibrationStatus = text; }
    void showRecalibrationStatus(const QString &text) override;
    void showMaximumRssi(int dbm) override;
    void moduleWokeUp(bool cModule) override;
    bool linkControlRunning() const override { return m_linkControlRunning; }

private:
    CommonOptions m_options;
    std::unique_ptr<ExchangeLogPanes> m_panes;
    std::unique_ptr<ComPort> m_port;
    std::unique_ptr<ExchangeLog> m_log;
    std::unique_ptr<ModuleLink> m_link;
    IdentityRecord m_identity;
    RegisterRead m_registers;
    QString m_calibrationStatus;
    QString m_recalibrationStatus;
    int m_maximumRssi = 0;
    bool m_linkControlRunning = false;
    bool m_wokeUp = false;
};

// A command: its name, a one-line summary for --help and its entry. run gets the arguments after
// the command name and returns the exit status (or throws Failure).
struct Command {
    QString name;
    QString summary;
    std::function<int(const QStringList &arguments)> run;
};
// Each command file registers its command with a static Registration.
struct Registration {
    explicit Registration(Command command);
};
const QList<Command> &commands();

} // namespace Cli
