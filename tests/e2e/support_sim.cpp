#include "support_sim.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFileInfo>

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
    return QFileInfo::exists(m_path);
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
    return QString::fromLocal8Bit(const_cast<QProcess &>(m_process).readAllStandardError());
}
