#include "support_postgres.h"

#include <QDir>
#include <QProcess>

#include <pwd.h>
#include <unistd.h>

namespace
{

// The newest installed server: /usr/lib/postgresql/<version>/bin.
QString serverBin()
{
    QDir root(QStringLiteral("/usr/lib/postgresql"));
    QStringList versions = root.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    std::sort(versions.begin(), versions.end(),
              [](const QString &a, const QString &b) { return a.toInt() < b.toInt(); });
    for (auto it = versions.crbegin(); it != versions.crend(); ++it) {
        const QString bin = root.filePath(*it + QStringLiteral("/bin"));
        if (QFile::exists(bin + QStringLiteral("/pg_ctl")))
            return bin;
    }
    return {};
}

const passwd *serverUser()
{
    if (const passwd *user = ::getpwnam("postgres"))
        return user;
    return ::getpwnam("nobody");
}

} // namespace

PostgresServer::~PostgresServer()
{
    if (m_running) {
        QString ignored;
        stop(&ignored);
    }
}

bool PostgresServer::run(const QStringList &command, QString *error)
{
    QProcess process;
    QStringList arguments = command;
    QString program = arguments.takeFirst();
    if (::geteuid() == 0) {
        arguments = QStringList{QStringLiteral("-u"), QString::fromLocal8Bit(serverUser()->pw_name),
                                QStringLiteral("--"), program} +
                    arguments;
        program = QStringLiteral("runuser");
    }
    process.setProgram(program);
    process.setArguments(arguments);
    process.setWorkingDirectory(m_dir.path());
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start();
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0) {
        *error = QStringLiteral("%1 %2 failed: %3")
                     .arg(program, arguments.join(' '),
                          QString::fromLocal8Bit(process.readAll()).trimmed());
        return false;
    }
    return true;
}

bool PostgresServer::start(QString *error)
{
    m_bin = serverBin();
    if (m_bin.isEmpty()) {
        *error = QStringLiteral("no PostgreSQL server in /usr/lib/postgresql (the scripts install "
                                "the package postgresql)");
        return false;
    }
    if (!m_dir.isValid()) {
        *error = QStringLiteral("no temporary folder");
        return false;
    }
    if (::geteuid() == 0) {
        const passwd *user = serverUser();
        if (!user || ::chown(m_dir.path().toLocal8Bit().constData(), user->pw_uid, user->pw_gid)) {
            *error = QStringLiteral("cannot give the folder to the server's user");
            return false;
        }
    }
    if (!run({m_bin + QStringLiteral("/initdb"), QStringLiteral("-U"), QStringLiteral("korvel"),
              QStringLiteral("--auth=trust"), QStringLiteral("-D"),
              m_dir.filePath(QStringLiteral("data"))},
             error))
        return false;
    return restart(error);
}

bool PostgresServer::restart(QString *error)
{
    const QString options =
        QStringLiteral("-k %1 -p %2 -c listen_addresses=''").arg(m_dir.path()).arg(m_port);
    if (!run({m_bin + QStringLiteral("/pg_ctl"), QStringLiteral("-D"),
              m_dir.filePath(QStringLiteral("data")), QStringLiteral("-o"), options,
              QStringLiteral("-l"), m_dir.filePath(QStringLiteral("server.log")),
              QStringLiteral("-w"), QStringLiteral("start")},
             error))
        return false;
    m_running = true;
    return true;
}

bool PostgresServer::stop(QString *error)
{
    if (!run({m_bin + QStringLiteral("/pg_ctl"), QStringLiteral("-D"),
              m_dir.filePath(QStringLiteral("data")), QStringLiteral("-m"), QStringLiteral("fast"),
              QStringLiteral("-w"), QStringLiteral("stop")},
             error))
        return false;
    m_running = false;
    return true;
}

QString PostgresServer::url() const
{
    return QStringLiteral("postgresql://korvel@/postgres?host=%1&port=%2")
        .arg(m_dir.path())
        .arg(m_port);
}
