#include "support_cli.h"

#include <QCoreApplication>
#include <QFile>

#include <csignal>

QString CliProcess::program()
{
    const QString fromEnvironment = qEnvironmentVariable("KORVEL_CLI");
    if (!fromEnvironment.isEmpty())
        return fromEnvironment;
    return QCoreApplication::applicationDirPath() + QStringLiteral("/../korvel-cli");
}

void CliProcess::start(const QStringList &arguments)
{
    m_process.setProgram(program());
    m_process.setArguments(arguments);
    m_process.start();
    m_process.waitForStarted(5000);
}

void CliProcess::signal(int number)
{
    if (m_process.state() != QProcess::NotRunning)
        ::kill(pid_t(m_process.processId()), number);
}

CliResult CliProcess::finish(int timeoutMs)
{
    CliResult result;
    result.finished = m_process.waitForFinished(timeoutMs);
    if (!result.finished) {
        m_process.kill();
        m_process.waitForFinished(3000);
    }
    result.exitCode = m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
    result.out = QString::fromUtf8(m_process.readAllStandardOutput());
    result.err = QString::fromUtf8(m_process.readAllStandardError());
    return result;
}

CliResult runCli(const QStringList &arguments, int timeoutMs)
{
    CliProcess cli;
    cli.start(arguments);
    return cli.finish(timeoutMs);
}

bool isStopped(qint64 pid)
{
    QFile file(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray stat = file.readAll();
    // The state follows the program name, which is in parentheses.
    return stat.mid(stat.lastIndexOf(')') + 2, 1) == "T";
}
