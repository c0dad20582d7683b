#pragma once

#include <QObject>

#include <atomic>
#include <functional>
#include <thread>

// The transmitter of the line as the baud clock sees it: every byte takes 10 bits at the current
// rate, and the line is empty once the last byte handed over has left. The times are nanoseconds
// on a steady clock, passed in, so the pacing can be followed step by step.
//
// An empty event is owed after every write. When it is taken late (the event loop came round
// after the line had emptied), a write made while handling it starts where the line emptied, not
// at the moment of the write: a stream fed one byte per event keeps the line's rate even though
// events are handled in bursts. Lateness beyond maxLateNs is not made up: the line is taken to
// have been idle, as a real transmitter would have been.
class TxLine
{
public:
    static constexpr qint64 kDefaultMaxLateNs = 20'000'000;

    explicit TxLine(qint64 maxLateNs = kDefaultMaxLateNs) : m_maxLateNs(maxLateNs) {}

    // Transmission time of one byte (start bit, 8 data bits, stop bit).
    static qint64 byteTimeNs(qint32 baud);

    void setBaudRate(qint32 baud) { m_baud = baud > 0 ? baud : 1200; }
    qint32 baudRate() const { return m_baud; }

    // Bytes handed to the device at nowNs.
    void written(qint64 bytes, qint64 nowNs);
    // Nothing is owed any more: the port closed or its output was purged.
    void reset();

    // Whether an empty event is owed, and when the line runs empty.
    bool owed() const { return m_owed; }
    qint64 emptyAtNs() const { return m_freeAtNs; }

    // Takes the owed event if the line is empty at nowNs. deviceQueue is what the device still
    // holds for the line (-1 where it cannot tell); while it holds more than the bytes of
    // maxLateNs, the event waits for the device. Between a true result and endEvent(), writes
    // start where the line emptied.
    bool beginEvent(qint64 nowNs, qint64 deviceQueue = -1);
    void endEvent() { m_inEvent = false; }

    // Bytes the line carries in the catch-up window: the most the device may hold at an event.
    qint64 queueAllowance() const;

private:
    qint64 m_maxLateNs;
    qint32 m_baud = 19200;
    qint64 m_freeAtNs = 0;
    qint64 m_eventAtNs = 0;
    bool m_owed = false;
    bool m_inEvent = false;
};

// The port's transmit-buffer-empty event, derived from the baud clock of the line: a device such
// as a pseudo-terminal never reports an empty transmitter, and a real one reports it no faster
// than its driver is polled. A waker thread of its own sleeps to the moment the line runs empty
// and hands the event to the owner's thread, where outputEmpty is emitted; it never touches the
// port. The thread starts only when it is first needed, so a clock whose port never opens (one
// made to list the ports) runs none. Where the device can tell its transmit queue, the queue
// holds the event back while the device is behind the clock.
class TxEmptyClock : public QObject
{
    Q_OBJECT
public:
    // Events closer together than this are handed over together (the line's rate is kept).
    static constexpr qint64 kMinSpacingNs = 1'000'000;

    explicit TxEmptyClock(QObject *parent = nullptr);
    ~TxEmptyClock() override;

    // What the device still holds for the line, -1 where it cannot tell.
    void setQueueProbe(std::function<qint64()> probe) { m_probe = std::move(probe); }

    void setBaudRate(qint32 baud) { m_line.setBaudRate(baud); }
    void written(qint64 bytes);
    void reset();

    // Starts the waker thread unless it runs already; the first wait for an empty line starts it
    // too, but then that wait also pays for the thread's start.
    void startWaker();

    static qint64 nowNs();

signals:
    void outputEmpty();

private:
    void deliver();
    void arm(qint64 atNs);
    void runWaker();

    TxLine m_line;
    std::function<qint64()> m_probe;
    qint64 m_lastDeliveryNs = 0;
    bool m_delivering = false;
    bool m_armPending = false;

    // Shared with the waker thread: the moment to hand over the next event (0: none).
    std::atomic<qint64> m_wakeAtNs{0};
    std::atomic<bool> m_quit{false};
    std::thread m_waker;
};
