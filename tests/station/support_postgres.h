#pragma once

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// A PostgreSQL server of the test's own in a temporary folder, reached through a Unix socket in
// that folder only (no TCP port), run as an unprivileged user: the server refuses to run as root.
// A test run as root runs the server's programs as the user "postgres" (made by Debian's
// postgresql package) or, without it, as "nobody".
class PostgresServer
{
public:
    ~PostgresServer();

    // initdb and the first start; false with the reason.
    bool start(QString *error);
    // Stops the server at once (pg_ctl stop -m fast) or starts it again on the same data.
    bool stop(QString *error);
    bool restart(QString *error);
    bool running() const { return m_running; }

    // postgresql://korvel@/postgres?host=FOLDER&port=PORT
    QString url() const;

private:
    bool run(const QStringList &command, QString *error);

    QTemporaryDir m_dir{QStringLiteral("/tmp/korvel-pg-XXXXXX")};
    QString m_bin;
    int m_port = 5432;
    bool m_running = false;
};
