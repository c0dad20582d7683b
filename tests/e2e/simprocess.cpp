#include "simprocess.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <sched.h>

QString SimProcess::program()
{
    const QString fromEnvironment = qEnvironmentVariable("KORVEL_SIM");
    if (!fromEnvironment.isEmpty())
        return fromEnvironment;
    return QCoreApplication::applicationDirPath() + QStringLiteral("/../korvel-sim");
}

bool SimProcess::start(const QStringList &arguments)
{
    m_process.setProgram(program());
    m_process.setArguments(arguments);
    m_process.setStandardErrorFile(m_logDir.filePath(QStringLiteral("korvel-sim.log")));
    m_process.start();
    if (!m_process.waitForStarted(5000))
        return false;
    // The device path is the first line of standard output.
    QDeadlineTimer deadline(5000);
    while (!m_process.canReadLine() && !deadline.hasExpired())
        m_process.waitForReadyRead(int(deadline.remainingTime()));
    if (!m_process.canReadLine())
        return false;
    m_path = QString::fromLocal8Bit(m_process.readLine()).trimmed();
    runAheadOfOtherLoad();
    return QFileInfo::exists(m_path);
}

void SimProcess::runAheadOfOtherLoad()
{
    // The tool waits 15 ms for some answers: a module that the machine deschedules for longer
    // (builds on every core) would miss them, where a real module never would. In a real-time
    // class the emulator runs as soon as a byte for it arrives; it sleeps between bytes, so it
    // takes nothing from the rest of the machine. korvel-sim is one thread.
    sched_param param{};
    param.sched_priority = 1;
    m_realTime = ::sched_setscheduler(pid_t(m_process.processId()), SCHED_RR, &param) == 0;
    if (!m_realTime)
        qWarning("korvel-sim keeps the normal scheduling class (%s): its answers may come late "
                 "on a busy machine",
                 std::strerror(errno));
}

void SimProcess::stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(3000)) {
        m_process.kill();
        m_process.waitForFinished(3000);
    }
}

QString SimProcess::log() const
{
    QFile file(m_logDir.filePath(QStringLiteral("korvel-sim.log")));
    if (!file.open(QIODevice::ReadOnly) || !file.seek(m_logRead))
        return {};
    const QByteArray bytes = file.readAll();
    m_logRead += bytes.size();
    return QString::fromLocal8Bit(bytes);
}
