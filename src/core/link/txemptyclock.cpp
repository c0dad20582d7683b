#include "link/txemptyclock.h"

#include "link/precisesleep.h"

#include <QMetaObject>

#include <algorithm>
#include <chrono>

qint64 TxLine::byteTimeNs(qint32 baud)
{
    if (baud <= 0)
        baud = 1200;
    return (qint64(10) * 1'000'000'000 + baud - 1) / baud;
}

void TxLine::written(qint64 bytes, qint64 nowNs)
{
    if (bytes <= 0)
        return;
    const qint64 start = std::max(m_inEvent ? m_eventAtNs : nowNs, m_freeAtNs);
    m_freeAtNs = start + bytes * byteTimeNs(m_baud);
    m_owed = true;
}

void TxLine::reset()
{
    m_owed = false;
    m_inEvent = false;
}

qint64 TxLine::queueAllowance() const
{
    return m_maxLateNs / byteTimeNs(m_baud) + 1;
}

bool TxLine::beginEvent(qint64 nowNs, qint64 deviceQueue)
{
    if (!m_owed || m_freeAtNs > nowNs)
        return false;
    if (deviceQueue > queueAllowance())
        return false;
    m_owed = false;
    m_eventAtNs = nowNs - m_freeAtNs > m_maxLateNs ? nowNs : m_freeAtNs;
    m_inEvent = true;
    return true;
}

TxEmptyClock::TxEmptyClock(QObject *parent) : QObject(parent) {}

TxEmptyClock::~TxEmptyClock()
{
    if (!m_waker.joinable())
        return;
    m_quit.store(true);
    m_wakeAtNs.store(1);
    m_wakeAtNs.notify_one();
    m_waker.join();
}

qint64 TxEmptyClock::nowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void TxEmptyClock::written(qint64 bytes)
{
    m_line.written(bytes, nowNs());
    // Inside a delivery the next wake-up is set once the burst is over. Otherwise the waker is
    // called once the event loop comes round: a command exchange that writes and then blocks in
    // its read is not interrupted by a thread switch.
    if (m_delivering || !m_line.owed() || m_armPending)
        return;
    m_armPending = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_armPending = false;
            if (m_line.owed() && !m_delivering)
                arm(std::max(m_line.emptyAtNs(), m_lastDeliveryNs + kMinSpacingNs));
        },
        Qt::QueuedConnection);
}

void TxEmptyClock::reset()
{
    m_line.reset();
    m_wakeAtNs.store(0);
}

void TxEmptyClock::startWaker()
{
    if (!m_waker.joinable())
        m_waker = std::thread([this] { runWaker(); });
}

void TxEmptyClock::arm(qint64 atNs)
{
    startWaker();
    m_wakeAtNs.store(std::max<qint64>(atNs, 1));
    m_wakeAtNs.notify_one();
}

void TxEmptyClock::deliver()
{
    const qint64 now = nowNs();
    const auto queue = [this] { return m_probe ? m_probe() : qint64(-1); };
    qint64 queued = queue();
    m_delivering = true;
    // Every event whose byte time has passed is handed out now; each handler's write continues
    // the line where the previous byte ended.
    while (m_line.beginEvent(now, queued)) {
        m_lastDeliveryNs = now;
        struct EndEvent {
            TxLine &line;
            ~EndEvent() { line.endEvent(); }
        } end{m_line};
        emit outputEmpty();
        queued = queue();
    }
    m_delivering = false;
    if (!m_line.owed())
        return;
    qint64 at = std::max(m_line.emptyAtNs(), m_lastDeliveryNs + kMinSpacingNs);
    if (queued > m_line.queueAllowance()) {
        // The device is behind the clock: look again once it should have caught up.
        at = std::max(at, now + (queued - m_line.queueAllowance()) *
                                    TxLine::byteTimeNs(m_line.baudRate()));
    }
    arm(at);
}

void TxEmptyClock::runWaker()
{
    while (!m_quit.load()) {
        qint64 at = m_wakeAtNs.load();
        if (at == 0) {
            m_wakeAtNs.wait(0);
            continue;
        }
        const qint64 now = nowNs();
        if (now < at) {
            // At most 1 ms at a time, so that a new, earlier moment is seen soon.
            const qint64 until = std::min(at, now + 1'000'000);
            PreciseSleep::until(until);
            continue;
        }
        if (m_wakeAtNs.compare_exchange_strong(at, 0) && !m_quit.load())
            QMetaObject::invokeMethod(
                this, [this] { deliver(); }, Qt::QueuedConnection);
    }
}
