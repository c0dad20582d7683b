#include "emulatordevice.h"

#include <QTimer>

#include <cerrno>
#include <chrono>
#include <cmath>
#include <thread>
#include <utility>

QString LineEvent::toString() const
{
    switch (kind) {
    case Open:
        return QStringLiteral("open ") + portName;
    case Close:
        return QStringLiteral("close");
    case Dtr:
        return QStringLiteral("dtr %1").arg(value);
    case Rts:
        return QStringLiteral("rts %1").arg(value);
    case Baud:
        return QStringLiteral("baud %1").arg(value);
    case Write:
        return QStringLiteral("write ") + QString::fromLatin1(bytes.toHex(' ').toUpper());
    case Clear: {
        QString text = QStringLiteral("clear");
        if (value & 1)
            text += QStringLiteral(" in");
        if (value & 2)
            text += QStringLiteral(" out");
        return text;
    }
    }
    return {};
}

EmulatorDevice::EmulatorDevice(const EmulatorConfig &config, QObject *parent)
    : EmulatorDevice(std::make_shared<ModuleEmulator>(config), parent)
{
}

EmulatorDevice::EmulatorDevice(std::shared_ptr<ModuleEmulator> emulator, QObject *parent)
    : SerialDevice(parent), m_emulator(std::move(emulator)), m_arrivalTimer(new QTimer(this))
{
    m_clock.start();
    m_arrivalTimer->setSingleShot(true);
    m_arrivalTimer->setTimerType(Qt::PreciseTimer);
    connect(m_arrivalTimer, &QTimer::timeout, this, &EmulatorDevice::announceArrival);
}

EmulatorDevice::~EmulatorDevice()
{
    // A shared module outlives this device: it must not stay powered by a line nobody holds.
    if (m_open) {
        m_emulator->lineClosed(nowMs());
        m_emulator->setOutputScheduledCallback({});
    }
}

void EmulatorDevice::plugInto(std::shared_ptr<ModuleEmulator> emulator)
{
    close();
    m_emulator = std::move(emulator);
}

double EmulatorDevice::nowMs() const
{
    return double(m_clock.nsecsElapsed()) / 1e6;
}

QList<QByteArray> EmulatorDevice::frames() const
{
    QList<QByteArray> writes;
    for (const LineEvent &event : m_events) {
        if (event.kind == LineEvent::Write)
            writes.append(event.bytes);
    }
    return writes;
}

QStringList EmulatorDevice::lineEventTexts() const
{
    QStringList texts;
    for (const LineEvent &event : m_events)
        texts.append(event.toString());
    return texts;
}

void EmulatorDevice::record(LineEvent::Kind kind, int value, const QByteArray &bytes,
                            const QString &portName)
{
    m_events.append(LineEvent{kind, nowMs(), value, bytes, portName});
}

void EmulatorDevice::failNext(PortOperation operation, int errorCode)
{
    m_failNext.insert(int(operation), errorCode);
}

bool EmulatorDevice::injectedFailure(PortOperation operation)
{
    const auto it = m_failNext.find(int(operation));
    if (it == m_failNext.end())
        return false;
    m_errorCode = it.value();
    m_failNext.erase(it);
    return true;
}

void EmulatorDevice::simulateLoss(PortOperation operation, int errorCode)
{
    if (!m_open)
        return;
    close();
    m_errorCode = errorCode;
    emit deviceLost(operation, errorCode);
}

std::optional<QStringList> EmulatorDevice::availablePorts()
{
    if (injectedFailure(PortOperation::ListPorts))
        return std::nullopt;
    return m_ports;
}

bool EmulatorDevice::open(const QString &portName)
{
    if (m_open)
        return true;
    if (injectedFailure(PortOperation::Open))
        return false;
    if (m_missing.contains(portName)) {
        m_errorCode = ENOENT;
        return false;
    }
    if (m_busy.contains(portName)) {
        m_errorCode = EBUSY;
        return false;
    }
    record(LineEvent::Open, 0, {}, portName);
    m_open = true;
    m_dtr = true;
    m_input.clear();
    m_unannounced = false;
    m_emulator->setOutputScheduledCallback([this] { scheduleArrival(); });
    const double now = nowMs();
    m_emulator->setPcBaud(m_baud, now);
    m_emulator->setRts(m_rts, now);
    m_emulator->lineOpened(now);
    if (m_openReturnDelayMs > 0)
        std::this_thread::sleep_for(std::chrono::microseconds(qint64(m_openReturnDelayMs * 1000)));
    scheduleArrival();
    return true;
}

void EmulatorDevice::close()
{
    if (!m_open)
        return;
    record(LineEvent::Close);
    m_open = false;
    m_dtr = false;
    m_emulator->lineClosed(nowMs());
    m_emulator->setOutputScheduledCallback({});
    m_input.clear();
    m_unannounced = false;
    m_arrivalTimer->stop();
    m_txBusyUntilMs = 0;
}

bool EmulatorDevice::setBaudRate(qint32 baud)
{
    if (injectedFailure(PortOperation::LineSettings))
        return false;
    if (baud <= 0) {
        m_errorCode = EINVAL;
        return false;
    }
    record(LineEvent::Baud, baud);
    m_baud = baud;
    if (m_open) {
        m_emulator->setPcBaud(baud, nowMs());
        scheduleArrival();
    }
    return true;
}

bool EmulatorDevice::setDtr(bool asserted)
{
    if (injectedFailure(PortOperation::LineSettings))
        return false;
    record(LineEvent::Dtr, asserted);
    if (m_open && asserted != m_dtr) {
        if (asserted)
            m_emulator->lineOpened(nowMs());
        else
            m_emulator->lineClosed(nowMs());
        scheduleArrival();
    }
    m_dtr = asserted;
    return true;
}

bool EmulatorDevice::setRts(bool asserted)
{
    if (injectedFailure(PortOperation::LineSettings))
        return false;
    record(LineEvent::Rts, asserted);
    m_rts = asserted;
    if (m_open) {
        m_emulator->setRts(asserted, nowMs());
        scheduleArrival();
    }
    return true;
}

qint64 EmulatorDevice::write(const QByteArray &data, int timeoutMs)
{
    Q_UNUSED(timeoutMs)
    if (!m_open) {
        m_errorCode = EBADF;
        return -1;
    }
    if (injectedFailure(PortOperation::Write))
        return -1;
    record(LineEvent::Write, 0, data);
    m_emulator->receive(data, nowMs());
    scheduleArrival();
    // The bytes leave the PC at its rate, behind those still queued.
    m_txBusyUntilMs = std::max(nowMs(), m_txBusyUntilMs) + data.size() * 10000.0 / m_baud;
    if (m_writeDurationMs > 0)
        std::this_thread::sleep_for(std::chrono::microseconds(qint64(m_writeDurationMs * 1000)));
    return data.size();
}

qint64 EmulatorDevice::outputQueue()
{
    if (!m_open)
        return 0;
    return qint64(std::ceil(std::max(0.0, m_txBusyUntilMs - nowMs()) * m_baud / 10000.0));
}

void EmulatorDevice::pump()
{
    if (!m_open)
        return;
    const QByteArray arrived = m_emulator->takeOutput(nowMs());
    if (!arrived.isEmpty()) {
        m_input.append(arrived);
        m_unannounced = true;
    }
}

std::optional<QByteArray> EmulatorDevice::read(qint64 maxBytes, int timeoutMs)
{
    if (!m_open) {
        m_errorCode = EBADF;
        return std::nullopt;
    }
    if (injectedFailure(PortOperation::Read))
        return std::nullopt;
    const double deadline = nowMs() + timeoutMs;
    pump();
    while (m_input.size() < maxBytes) {
        const double now = nowMs();
        if (now >= deadline)
            break;
        double wakeAt = deadline;
        if (const auto next = m_emulator->nextOutputAt())
            wakeAt = std::min(wakeAt, *next);
        const double waitMs = std::max(wakeAt - now, 0.05);
        std::this_thread::sleep_for(std::chrono::microseconds(qint64(waitMs * 1000)));
        pump();
    }
    const QByteArray bytes = m_input.left(maxBytes);
    m_input.remove(0, bytes.size());
    if (const double lateMs = std::exchange(m_nextReadReturnDelayMs, 0); lateMs > 0)
        std::this_thread::sleep_for(std::chrono::microseconds(qint64(lateMs * 1000)));
    scheduleArrival();
    return bytes;
}

qint64 EmulatorDevice::bytesAvailable()
{
    if (!m_open)
        return 0;
    if (injectedFailure(PortOperation::InputCount))
        return -1;
    pump();
    scheduleArrival();
    return m_input.size();
}

bool EmulatorDevice::clear(bool input, bool output)
{
    if (!m_open) {
        m_errorCode = EBADF;
        return false;
    }
    if (injectedFailure(PortOperation::Purge))
        return false;
    record(LineEvent::Clear, (input ? 1 : 0) | (output ? 2 : 0));
    // Only what has arrived is dropped; the module's bytes still on their way come later.
    pump();
    if (input) {
        m_input.clear();
        m_unannounced = false;
    }
    scheduleArrival();
    return true;
}

void EmulatorDevice::scheduleArrival()
{
    if (!m_open) {
        m_arrivalTimer->stop();
        return;
    }
    if (m_unannounced && !m_input.isEmpty()) {
        m_arrivalTimer->start(0);
        return;
    }
    const auto next = m_emulator->nextOutputAt();
    if (!next) {
        m_arrivalTimer->stop();
        return;
    }
    m_arrivalTimer->start(std::max(1, int(std::ceil(*next - nowMs()))));
}

void EmulatorDevice::announceArrival()
{
    pump();
    const bool announce = m_unannounced && !m_input.isEmpty();
    m_unannounced = false;
    scheduleArrival();
    if (announce)
        emit bytesArrived();
}
