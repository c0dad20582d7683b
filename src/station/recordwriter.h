#pragma once

#include "station/recorddatabase.h"

#include <QObject>
#include <QTimer>

#include <memory>

namespace Station
{

// Where a record is kept while the database cannot be reached: a SQLite file of the station's
// user, one per database ($XDG_STATE_HOME/korvel-config/spool-<hash>.sqlite).
QString defaultSpoolPath(const DatabaseAddress &target);
// The station's own record database when none is named: $XDG_DATA_HOME/korvel-config/
// records.sqlite.
QString defaultDatabasePath();

// Sends every finished unit to the record database. While the database cannot be reached the
// units go into the spool, and from there to the database once it answers again, the oldest
// first; a unit leaves the spool only after the database has it. Since the database keeps each
// UUID once, a unit sent twice (the answer to a commit lost with the connection) is still
// stored once. Lives on a thread of its own, so that a slow database holds up no port.
class RecordWriter : public QObject
{
    Q_OBJECT
public:
    struct Tally {
        int inDatabase = 0; // this run's units the database has
        int spooled = 0;    // this run's units that went into the spool
        int waiting = 0;    // units in the spool now (of this run or earlier ones)
        int lost = 0;       // units that neither the database nor the spool took
    };

    RecordWriter(const DatabaseAddress &target, const QString &spoolPath, int retryMs = 2000);
    ~RecordWriter() override;

    // Opens the database (or notes that it cannot be reached) and sends what the spool holds.
    void start();
    void store(const Station::UnitRecord &unit);
    // One more attempt at the database, then what is where.
    Tally finish();
    Tally tally() const { return m_tally; }
    QString lastError() const { return m_error; }

signals:
    void stored(const QString &uuid, bool inDatabase);
    void lost(const QString &uuid, const QString &reason);
    void note(const QString &text);

private:
    // Sends the spool's units to the database; false when the database failed meanwhile.
    bool sendSpool();
    void targetDown();
    RecordDatabase *spool();

    DatabaseAddress m_target;
    QString m_spoolPath;
    std::unique_ptr<RecordDatabase> m_database;
    std::unique_ptr<RecordDatabase> m_spool;
    QTimer m_retry;
    bool m_down = false;
    QString m_error;
    Tally m_tally;
};

} // namespace Station
