#include "support_cli.h"

#include "simports.h"

#include <QCoreApplication>
#include <QFile>

#include <algorithm>
#include <csignal>

bool SimPort::start(const QStringList &arguments)
{
    if (!m_dir.isValid() || m_dir.path().contains(QLatin1Char(' ')) ||
        !arguments.filter(QStringLiteral(" ")).isEmpty())
        return false;
    m_port = QStringLiteral("sim: ") + arguments.join(QLatin1Char(' '));
    if (!arguments.contains(QStringLiteral("--eeprom")))
        m_port += QStringLiteral(" --eeprom ") + m_dir.filePath(QStringLiteral("eeprom"));
    m_port += QStringLiteral(" --log ") + m_dir.filePath(QStringLiteral("log"));
    return true;
}

QString SimPort::log() const
{
    QFile file(m_dir.filePath(QStringLiteral("log")));
    if (!file.open(QIODevice::ReadOnly) || !file.seek(m_logRead))
        return {};
    const QByteArray bytes = file.readAll();
    m_logRead += bytes.size();
    return QString::fromLocal8Bit(bytes);
}

QString CliProcess::program(const QStringList &arguments)
{
    const bool emulated = std::any_of(arguments.begin(), arguments.end(),
                                      [](const QString &a) { return SimPorts::isSimPort(a); });
    const char *variable = emulated ? "KORVEL_CLI_EMULATED" : "KORVEL_CLI";
    const QString fromEnvironment = qEnvironmentVariable(variable);
    if (!fromEnvironment.isEmpty())
        return fromEnvironment;
    return QCoreApplication::applicationDirPath() + (emulated
                                                         ? QStringLiteral("/../korvel-cli-emulated")
                                                         : QStringLiteral("/../korvel-cli"));
}

void CliProcess::start(const QStringList &arguments)
{
    m_process.setProgram(program(arguments));
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

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
