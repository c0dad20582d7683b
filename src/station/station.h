#pragma once

#include "station/plan.h"
#include "station/recordwriter.h"
#include "station/unitrecord.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QThread>

#include <atomic>
#include <functional>
#include <memory>
#include <vector>

namespace Station
{

class PortSession;
class ReferencePool;

struct StationOptions {
    QStringList ports;
    QStringList references;
    qint32 baud = 19200;
    bool continuous = false;
    QString station;
    QString operatorName;
    QString toolVersion;
};

// One port's work on the port's own thread: its session, and unit after unit (with
// --continuous) or one unit. Nothing of it is shared with another port.
class PortWorker : public QObject
{
    Q_OBJECT
public:
    PortWorker(int index, const Plan &plan, const StationOptions &options,
               ReferencePool &references, const std::atomic<bool> &stop);
    ~PortWorker() override;

    // Called on the port's thread.
    void begin();
    void stop();

signals:
    void stepStarted(int port, const QString &serial, const QString &step);
    void waiting(int port);
    void unitFinished(int port, const Station::UnitRecord &unit);
    // No further unit comes from this port; problem tells why when the port failed.
    void finished(int port, const QString &problem);

private:
    void runUnit();
    void listen(bool afterUnit);
    void end(const QString &problem);

    int m_index;
    const Plan &m_plan;
    const StationOptions &m_options;
    ReferencePool &m_references;
    const std::atomic<bool> &m_stop;
    std::unique_ptr<PortSession> m_session;
    std::function<void()> m_stopAction;
    QString m_serial;
    bool m_running = false;
    bool m_ended = false;
};

// The station: one worker thread per port and one for the records, run from the calling
// thread's event loop until every port is done.
class StationRun : public QObject
{
    Q_OBJECT
public:
    StationRun(const Plan &plan, const StationOptions &options,
               std::unique_ptr<RecordWriter> writer);
    ~StationRun() override;

    // Starts every port; finished() is emitted once all ports are done and every record is
    // with the writer.
    void start();
    // Ends the running steps as their Stop does; no new unit begins.
    void requestStop();
    RecordWriter::Tally tally() const { return m_tally; }

signals:
    void stepStarted(int port, const QString &serial, const QString &step);
    void waiting(int port);
    void unitFinished(int port, const Station::UnitRecord &unit);
    void portFinished(int port, const QString &problem);
    void recordNote(const QString &text);
    void recordLost(const QString &uuid, const QString &reason);
    void finished();

private:
    void portDone();

    Plan m_plan;
    StationOptions m_options;
    std::unique_ptr<ReferencePool> m_references;
    std::atomic<bool> m_stop{false};
    std::vector<std::unique_ptr<QThread>> m_threads;
    std::vector<PortWorker *> m_workers;
    std::unique_ptr<QThread> m_writerThread;
    RecordWriter *m_writer = nullptr;
    int m_running = 0;
    RecordWriter::Tally m_tally;
};

} // namespace Station

Q_DECLARE_METATYPE(Station::UnitRecord)
