#include "station/station.h"

#include "station/portsession.h"
#include "station/referencepool.h"
#include "station/unitrunner.h"

#include <QMetaObject>

namespace Station
{

PortWorker::PortWorker(int index, const Plan &plan, const StationOptions &options,
                       ReferencePool &references, const std::atomic<bool> &stop)
    : m_index(index), m_plan(plan), m_options(options), m_references(references), m_stop(stop)
{
}

PortWorker::~PortWorker() = default;

void PortWorker::begin()
{
    m_session = std::make_unique<PortSession>(m_options.ports.at(m_index), m_options.baud);
    // A port that cannot be opened has no unit on it.
    try {
        m_session->port().setBaudRate(m_options.baud);
        m_session->port().open();
    } catch (const PortError &error) {
        end(error.text().simplified());
        return;
    }
    if (m_options.continuous)
        listen(false);
    else
        runUnit();
}

void PortWorker::listen(bool afterUnit)
{
    if (m_stop.load()) {
        end({});
        return;
    }
    // The report arrives inside the port's receive handler; the unit runs after it, from the
    // thread's event loop.
    connect(
        m_session.get(), &PortSession::moduleArrived, this,
        [this] {
            QMetaObject::invokeMethod(
                this, [this] { runUnit(); }, Qt::QueuedConnection);
        },
        Qt::SingleShotConnection);
    connect(
        m_session.get(), &PortSession::lost, this,
        [this](const QString &text) {
            if (!m_running)
                end(text.simplified());
        },
        Qt::SingleShotConnection);
    try {
        m_session->listenForModule(afterUnit);
    } catch (const PortError &error) {
        end(error.text().simplified());
        return;
    }
    emit waiting(m_index);
}

void PortWorker::runUnit()
{
    if (m_ended)
        return;
    disconnect(m_session.get(), &PortSession::lost, this, nullptr);
    m_running = true;
    m_serial.clear();
    RunContext context;
    context.station = m_options.station;
    context.operatorName = m_options.operatorName;
    context.toolVersion = m_options.toolVersion;
    context.references = &m_references;
    context.portIndex = m_index;
    context.baud = m_options.baud;
    context.stop = &m_stop;
    context.progress = [this](const QString &step) {
        if (m_serial.isEmpty())
            m_serial = m_session->identity().serial;
        emit stepStarted(m_index, m_serial, step);
    };
    m_stopAction = [&context] {
        if (context.stopAction)
            context.stopAction();
    };
    UnitRunner runner(*m_session, m_plan, context);
    const UnitRecord unit = runner.run();
    m_stopAction = {};
    m_running = false;
    emit unitFinished(m_index, unit);
    if (runner.portLost()) {
        end(m_session->lossText().isEmpty() ? unit.failure : m_session->lossText().simplified());
        return;
    }
    if (m_options.continuous && !m_stop.load())
        listen(true);
    else
        end({});
}

void PortWorker::stop()
{
    if (m_stopAction) {
        m_stopAction();
        return;
    }
    // Waiting for the next module: there is nothing to finish.
    if (!m_running)
        end({});
}

void PortWorker::end(const QString &problem)
{
    if (m_ended)
        return;
    m_ended = true;
    if (m_session)
        m_session->close();
    // The session's port belongs to this thread: it goes with it.
    m_session.reset();
    emit finished(m_index, problem);
}

StationRun::StationRun(const Plan &plan, const StationOptions &options,
                       std::unique_ptr<RecordWriter> writer)
    : m_plan(plan), m_options(options),
      m_references(std::make_unique<ReferencePool>(options.references, int(options.ports.size())))
{
    qRegisterMetaType<Station::UnitRecord>();
    m_writerThread = std::make_unique<QThread>();
    m_writerThread->setObjectName(QStringLiteral("records"));
    m_writer = writer.release();
    m_writer->moveToThread(m_writerThread.get());
    connect(m_writer, &RecordWriter::note, this, &StationRun::recordNote);
    connect(m_writer, &RecordWriter::lost, this, &StationRun::recordLost);
}

StationRun::~StationRun()
{
    m_stop = true;
    m_references->cancel();
    for (auto &thread : m_threads) {
        thread->quit();
        thread->wait();
    }
    for (PortWorker *worker : m_workers)
        delete worker;
    if (m_writer) {
        QMetaObject::invokeMethod(
            m_writer, [this] { delete m_writer; }, Qt::BlockingQueuedConnection);
        m_writer = nullptr;
    }
    m_writerThread->quit();
    m_writerThread->wait();
}

void StationRun::start()
{
    m_writerThread->start();
    RecordWriter *writer = m_writer;
    QMetaObject::invokeMethod(
        writer, [writer] { writer->start(); }, Qt::QueuedConnection);
    m_running = int(m_options.ports.size());
    for (int i = 0; i < m_options.ports.size(); ++i) {
        auto thread = std::make_unique<QThread>();
        thread->setObjectName(QStringLiteral("port %1").arg(i));
        auto *worker = new PortWorker(i, m_plan, m_options, *m_references, m_stop);
        worker->moveToThread(thread.get());
        connect(worker, &PortWorker::stepStarted, this, &StationRun::stepStarted);
        connect(worker, &PortWorker::waiting, this, &StationRun::waiting);
        connect(worker, &PortWorker::unitFinished, this,
                [this, writer](int port, const UnitRecord &unit) {
                    QMetaObject::invokeMethod(
                        writer, [writer, unit] { writer->store(unit); }, Qt::QueuedConnection);
                    emit unitFinished(port, unit);
                });
        connect(worker, &PortWorker::finished, this, [this](int port, const QString &problem) {
            emit portFinished(port, problem);
            portDone();
        });
        thread->start();
        QMetaObject::invokeMethod(
            worker, [worker] { worker->begin(); }, Qt::QueuedConnection);
        m_workers.push_back(worker);
        m_threads.push_back(std::move(thread));
    }
}

void StationRun::requestStop()
{
    m_stop = true;
    m_references->cancel();
    for (PortWorker *worker : m_workers)
        QMetaObject::invokeMethod(
            worker, [worker] { worker->stop(); }, Qt::QueuedConnection);
}

void StationRun::portDone()
{
    if (--m_running > 0)
        return;
    for (auto &thread : m_threads) {
        thread->quit();
        thread->wait();
    }
    // Every unit was handed to the writer before its port finished: the last try comes after.
    RecordWriter *writer = m_writer;
    RecordWriter::Tally tally;
    QMetaObject::invokeMethod(
        writer, [writer, &tally] { tally = writer->finish(); }, Qt::BlockingQueuedConnection);
    m_tally = tally;
    emit finished();
}

} // namespace Station
