#include "station/recordwriter.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>

namespace Station
{

namespace
{

QString userFolder(const char *variable, const QString &fallback)
{
    const QString base = qEnvironmentVariable(variable);
    return (base.startsWith(QLatin1Char('/')) ? base : QDir::homePath() + fallback) +
           QStringLiteral("/korvel-config");
}

} // namespace

QString defaultSpoolPath(const DatabaseAddress &target)
{
    const QByteArray hash =
        QCryptographicHash::hash(target.display().toUtf8(), QCryptographicHash::Sha256)
            .toHex()
            .left(12);
    return userFolder("XDG_STATE_HOME", QStringLiteral("/.local/state")) +
           QStringLiteral("/spool-%1.sqlite").arg(QString::fromLatin1(hash));
}

QString defaultDatabasePath()
{
    return userFolder("XDG_DATA_HOME", QStringLiteral("/.local/share")) +
           QStringLiteral("/records.sqlite");
}

RecordWriter::RecordWriter(const DatabaseAddress &target, const QString &spoolPath, int retryMs)
    : m_target(target), m_spoolPath(spoolPath), m_retry(this)
{
    m_retry.setInterval(retryMs);
    connect(&m_retry, &QTimer::timeout, this, [this] {
        if (sendSpool())
            m_retry.stop();
    });
}

RecordWriter::~RecordWriter() = default;

RecordDatabase *RecordWriter::spool()
{
    if (!m_spool) {
        DatabaseAddress address;
        address.path = m_spoolPath;
        m_spool = std::make_unique<RecordDatabase>(address);
    }
    if (!m_spool->isOpen() && !m_spool->open()) {
        m_error = m_spool->lastError();
        return nullptr;
    }
    return m_spool.get();
}

void RecordWriter::start()
{
    m_database = std::make_unique<RecordDatabase>(m_target);
    if (!m_database->open()) {
        targetDown();
        return;
    }
    if (!sendSpool())
        targetDown();
}

void RecordWriter::targetDown()
{
    if (!m_down) {
        m_error = m_database->lastError();
        emit note(
            QStringLiteral("%1; records wait in %2 until it answers").arg(m_error, m_spoolPath));
    }
    m_down = true;
    if (!m_retry.isActive())
        m_retry.start();
}

bool RecordWriter::sendSpool()
{
    // A spool that was never made holds nothing.
    if (!m_spool && !QFileInfo::exists(m_spoolPath)) {
        m_down = false;
        return true;
    }
    RecordDatabase *from = spool();
    if (!from)
        return false;
    for (;;) {
        const auto batch = from->oldest(50);
        if (!batch) {
            m_error = from->lastError();
            return false;
        }
        if (batch->isEmpty())
            break;
        for (const UnitRecord &unit : *batch) {
            if (m_database->store(unit) == RecordDatabase::Stored::Failed) {
                m_error = m_database->lastError();
                return false;
            }
            // The database has it: only now does it leave the spool. Should the removal fail,
            // the next attempt sends it again and the database keeps it once.
            if (!from->remove(unit.uuid)) {
                m_error = from->lastError();
                return false;
            }
        }
    }
    if (m_down)
        emit note(QStringLiteral("%1 answers again: the spooled records are sent")
                      .arg(m_target.display()));
    m_down = false;
    return true;
}

void RecordWriter::store(const UnitRecord &unit)
{
    if (!m_database)
        start();
    if (!m_down) {
        const RecordDatabase::Stored stored = m_database->store(unit);
        if (stored != RecordDatabase::Stored::Failed) {
            ++m_tally.inDatabase;
            emit this->stored(unit.uuid, true);
            return;
        }
        targetDown();
    }
    RecordDatabase *to = spool();
    if (to && to->store(unit) != RecordDatabase::Stored::Failed) {
        ++m_tally.spooled;
        emit stored(unit.uuid, false);
        return;
    }
    ++m_tally.lost;
    emit lost(unit.uuid, m_error);
}

RecordWriter::Tally RecordWriter::finish()
{
    if (m_database && m_down && sendSpool())
        m_retry.stop();
    m_tally.waiting = 0;
    if (m_spool || QFileInfo::exists(m_spoolPath)) {
        if (RecordDatabase *from = spool())
            m_tally.waiting = from->count().value_or(0);
    }
    return m_tally;
}

} // namespace Station
