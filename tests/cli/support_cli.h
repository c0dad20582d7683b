#pragma once

#include "e2e/support_sim.h"

#include <QProcess>
#include <QString>
#include <QStringList>

// What a korvel-cli run left: its exit status and its two output streams.
struct CliResult {
    bool finished = false; // false: it had to be killed
    int exitCode = -1;
    QString out;
    QString err;
};

// korvel-cli as a test runs it: from KORVEL_CLI (set by the test runner) or beside the test.
class CliProcess
{
public:
    static QString program();

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
