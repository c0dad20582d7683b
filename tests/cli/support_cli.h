#pragma once

#include "e2e/simprocess.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// What a korvel-cli run left: its exit status and its two output streams.
struct CliResult {
    bool finished = false; // false: it had to be killed
    int exitCode = -1;
    QString out;
    QString err;
};

// A module inside korvel-cli-emulated (sim/simports.h) instead of korvel-sim on a
// pseudo-terminal, for the tests whose module must answer within the tool's timeouts: its
// answers wait in the input however late the machine runs the program. Its EEPROM (unless the
// arguments name a file) and its log are files of its own, so that it is one module from one run
// to the next, as korvel-sim's is. No argument may hold a blank.
class SimPort
{
public:
    bool start(const QStringList &arguments = {});
    // The port name that stands for the module.
    QString devicePath() const { return m_port; }
    // What korvel-sim would have logged, since the last call.
    QString log() const;
    // The module ends with each run of the program: nothing to stop.
    void stop() {}

private:
    QTemporaryDir m_dir;
    QString m_port;
    mutable qint64 m_logRead = 0;
};

// korvel-cli as a test runs it: from KORVEL_CLI (set by the test runner) or beside the test;
// korvel-cli-emulated (KORVEL_CLI_EMULATED) where the arguments name an in-process module.
class CliProcess
{
public:
    static QString program(const QStringList &arguments = {});

    void start(const QStringList &arguments);
    QProcess &process() { return m_process; }
    // Sends a signal (SIGINT, SIGTERM) as a shell's Ctrl+C or kill does.
    void signal(int number);
    // Waits until it ends by itself (or kills it after timeoutMs).
    CliResult finish(int timeoutMs = 60000);

private:
    QProcess m_process;
};

// Runs korvel-cli to its end.
CliResult runCli(const QStringList &arguments, int timeoutMs = 60000);

// A file's bytes; none when it cannot be read.
QByteArray fileBytes(const QString &path);

// Whether the process is stopped (SIGSTOP): signals sent meanwhile all wait for SIGCONT.
bool isStopped(qint64 pid);

// The standard output of a run as one JSON object.
inline QJsonObject json(const CliResult &result)
{
    return QJsonDocument::fromJson(result.out.toUtf8()).object();
}

// A result without the keys every result about a module begins with (command, port, type,
// designation, serialNumber): what is particular to the command.
inline QJsonObject ownKeys(QJsonObject object)
{
    for (const char *key : {"command", "port", "type", "designation", "serialNumber"})
        object.remove(QLatin1String(key));
    return object;
}

// The run ended by itself with the exit status; else its status and standard error are shown.
#define VERIFY_RUN(result, code)                                                                   \
    QVERIFY2((result).finished && (result).exitCode == (code),                                     \
             qPrintable(                                                                           \
                 QStringLiteral("exit %1, stderr: %2").arg((result).exitCode).arg((result).err)))
