#include "link/comport.h"

#include "link/linewait.h"
#include "link/platform.h"
#include "link/systemserialdevice.h"
#include "link/txemptyclock.h"

#include <QElapsedTimer>
#include <QTimer>

#include <algorithm>

namespace
{

ComPort::DeviceFactory &deviceFactory()
{
    static ComPort::DeviceFactory factory;
    return factory;
}

const char *operationText(PortOperation operation)
{
    switch (operation) {
    case PortOperation::Open:
        return "Unable to open com port";
    case PortOperation::Write:
        return "WriteFile function failed";
    case PortOperation::Read:
        return "ReadFile function failed";
    case PortOperation::Purge:
        return "PurgeComm function failed";
    case PortOperation::AsyncStatus:
        return "Unable to get async status";
    case PortOperation::LineSettings:
        return "SetCommState function failed";
    case PortOperation::Timeouts:
        return "SetCommTimeouts failed";
    case PortOperation::BufferSizes:
        return "SetupComm function failed";
    case PortOperation::InputCount:
        return "ClearCommError function failed";
    case PortOperation::ListPorts:
        return "EnumPorts function failed";
    }
    return "Serial port failed";
}

} // namespace

QString portErrorHint(int errorCode)
{
    return SerialPlatform::errorHint(errorCode);
}

QString portErrorText(PortOperation operation, int errorCode)
{
    QString text = QString::fromLatin1(operationText(operation)) +
                   QStringLiteral(" (win error code: %1)").arg(errorCode);
    const QString hint = portErrorHint(errorCode);
    if (!hint.isEmpty())
        text += QStringLiteral("\r\n") + hint;
    return text;
}

PortError::PortError(PortOperation operation, int errorCode)
    : std::runtime_error(portErrorText(operation, errorCode).toStdString()), m_operation(operation),
      m_errorCode(errorCode)
{
}

ComPort::ComPort(QObject *parent) : QObject(parent), m_txClock(new TxEmptyClock(this))
{
    m_device = deviceFactory() ? deviceFactory()() : makeSystemSerialDevice();
    m_device->setParent(nullptr);
    connect(m_device.get(), &SerialDevice::bytesArrived, this, &ComPort::scheduleReceivedCheck);
    // The empty event follows the line's baud clock; the device's queue only holds it back.
    m_txClock->setBaudRate(m_baudRate);
    m_txClock->setQueueProbe([this] { return m_device->isOpen() ? m_device->outputQueue() : 0; });
    connect(m_txClock, &TxEmptyClock::outputEmpty, this, &ComPort::deliverOutputEmpty);
    connect(m_device.get(), &SerialDevice::deviceLost, this, &ComPort::deviceLost);
}

ComPort::~ComPort()
{
    if (m_device)
        close();
}

void ComPort::setDeviceFactoryForTest(DeviceFactory factory)
{
    deviceFactory() = std::move(factory);
}

QStringList ComPort::listPorts()
{
    auto ports = m_device->availablePorts();
    if (!ports)
        throw PortError(PortOperation::ListPorts, m_device->errorCode());
    // As text without regard to case, so that COM10 comes before COM2.
    std::sort(ports->begin(), ports->end(), [](const QString &a, const QString &b) {
        return QString::compare(a, b, Qt::CaseInsensitive) < 0;
    });
    return *ports;
}

QHash<QString, QString> ComPort::portDescriptions()
{
    return m_device->portDescriptions();
}

void ComPort::setPortName(const QString &name)
{
    if (name == m_portName)
        return;
    m_portName = name;
    if (isOpen()) {
        close();
        open();
    }
}

void ComPort::setBaudRate(qint32 baud)
{
    m_baudRate = baud;
    m_txClock->setBaudRate(baud);
    if (isOpen()) {
        // Re-applies all line settings, the current RTS state included.
        if (!m_device->setBaudRate(baud) || !m_device->setDtr(true) || !m_device->setRts(m_rts))
            throw PortError(PortOperation::LineSettings, m_device->errorCode());
    }
}

void ComPort::setRts(bool asserted)
{
    m_rts = asserted;
    if (isOpen() && !m_device->setRts(asserted))
        throw PortError(PortOperation::LineSettings, m_device->errorCode());
}

bool ComPort::isOpen() const
{
    return m_device->isOpen();
}

void ComPort::open()
{
    if (isOpen())
        return;
    // A loss that the operation has not met yet is its failure: it does not start afresh on a
    // line it has not been told is gone.
    if (m_heldFailure)
        throw notOpen(PortOperation::Open);
    if (!m_device->open(m_portName))
        throw PortError(PortOperation::Open, m_device->errorCode());
    // Started here rather than at the first write, which would then wait for it.
    m_txClock->startWaker();
    if (!m_device->setBaudRate(m_baudRate) || !m_device->setDtr(true) || !m_device->setRts(m_rts)) {
        const int code = m_device->errorCode();
        m_device->close();
        throw PortError(PortOperation::LineSettings, code);
    }
    // Bytes that arrived before the first event check are still announced.
    scheduleReceivedCheck();
}

void ComPort::close()
{
    m_txClock->reset();
    // DTR drops explicitly before the port closes; the module loses power with it.
    if (isOpen())
        m_device->setDtr(false);
    m_device->close();
    m_givenBack.clear();
}

qint64 ComPort::write(const QByteArray &bytes)
{
    if (bytes.isEmpty())
        return 0;
    if (!isOpen())
        throw notOpen(PortOperation::Write);
    const qint64 written = m_device->write(bytes, kWriteTimeoutMs);
    if (written < 0)
        throw PortError(PortOperation::Write, m_device->errorCode());
    m_txClock->written(written);
    return written;
}

QByteArray ComPort::read(int count)
{
    if (!isOpen())
        throw notOpen(PortOperation::Read);
    QByteArray received = m_givenBack.left(count);
    m_givenBack.remove(0, received.size());
    QElapsedTimer clock;
    clock.start();
    const qint64 timeoutNs = qint64(m_readTimeoutMs) * 1'000'000;
    while (received.size() < count) {
        const qint64 leftNs = std::max<qint64>(0, timeoutNs - clock.nsecsElapsed());
        const int slice = int(std::min<qint64>((leftNs + 999'999) / 1'000'000, LineWait::kSliceMs));
        const qint64 sliceStartNs = clock.nsecsElapsed();
        received += deviceRead(count - int(received.size()), slice);
        if (received.size() >= count)
            break;
        if (clock.nsecsElapsed() >= timeoutNs) {
            // The deadline has passed. A PC that was busy until now may find the answer here,
            // which came in time while the program was not looking.
            received += deviceRead(count - int(received.size()), 0);
            break;
        }
        // A device that came back short before its slice was over has nothing more to give.
        if (clock.nsecsElapsed() - sliceStartNs < (qint64(slice) - 1) * 1'000'000)
            break;
        // The window paints while the answer is due; nothing else talks to the module meanwhile.
        LineWait::runPendingEvents();
        if (!isOpen())
            throw notOpen(PortOperation::Read);
    }
    // Bytes left over after this read still raise the bytes-received event later.
    scheduleReceivedCheck();
    return received;
}

QByteArray ComPort::takeWaiting(int maxBytes)
{
    if (!isOpen())
        throw notOpen(PortOperation::Read);
    QByteArray taken = m_givenBack.left(maxBytes);
    m_givenBack.remove(0, taken.size());
    if (taken.size() < maxBytes)
        taken += deviceRead(maxBytes - int(taken.size()), 0);
    scheduleReceivedCheck();
    return taken;
}

void ComPort::giveBack(const QByteArray &bytes)
{
    m_givenBack.prepend(bytes);
    if (!bytes.isEmpty())
        scheduleReceivedCheck();
}

QByteArray ComPort::deviceRead(int count, int timeoutMs)
{
    const auto bytes = m_device->read(count, timeoutMs);
    if (!bytes)
        throw PortError(PortOperation::Read, m_device->errorCode());
    return *bytes;
}

void ComPort::clearBuffers(bool input, bool output)
{
    if (!isOpen())
        throw notOpen(PortOperation::Purge);
    if (!m_device->clear(input, output))
        throw PortError(PortOperation::Purge, m_device->errorCode());
    if (input)
        m_givenBack.clear();
    if (output)
        m_txClock->reset();
}

int ComPort::inputCount()
{
    if (!isOpen())
        return 0;
    const qint64 count = m_device->bytesAvailable();
    if (count < 0)
        throw PortError(PortOperation::InputCount, m_device->errorCode());
    return int(count + m_givenBack.size());
}

void ComPort::scheduleReceivedCheck()
{
    if (m_checkPending)
        return;
    m_checkPending = true;
    QTimer::singleShot(0, this, &ComPort::deliverReceived);
}

void ComPort::deliverReceived()
{
    m_checkPending = false;
    if (LineWait::active()) {
        if (!m_receivedHeld) {
            m_receivedHeld = true;
            LineWait::afterWait(this, [this] {
                m_receivedHeld = false;
                scheduleReceivedCheck();
            });
        }
        return;
    }
    int count = 0;
    try {
        count = inputCount();
    } catch (const PortError &error) {
        emit failed(error.text());
        return;
    }
    if (count > 0)
        emit bytesReceived(count);
}

void ComPort::deliverOutputEmpty()
{
    if (!LineWait::active()) {
        emit outputEmpty();
        return;
    }
    if (m_outputEmptyHeld)
        return;
    m_outputEmptyHeld = true;
    LineWait::afterWait(this, [this] {
        m_outputEmptyHeld = false;
        deliverOutputEmpty();
    });
}

void ComPort::deviceLost(PortOperation operation, int code)
{
    m_txClock->reset();
    // Reported by the operation that finds the port closed, or else once the operation and the
    // wait are over.
    m_heldFailure = HeldFailure{operation, code};
    reportHeldFailure();
}

void ComPort::reportHeldFailure()
{
    if (!m_heldFailure || m_operations > 0)
        return;
    // Deferred calls run at the next turn of the event loop, which may be inside the next wait.
    if (LineWait::active()) {
        LineWait::afterWait(this, [this] { reportHeldFailure(); });
        return;
    }
    const HeldFailure held = *std::exchange(m_heldFailure, std::nullopt);
    emit failed(portErrorText(held.operation, held.code));
}

ComPort::Operation::~Operation()
{
    // At once: the user learns of the loss before anything else happens.
    if (--m_port.m_operations == 0)
        m_port.reportHeldFailure();
}

PortError ComPort::notOpen(PortOperation operation)
{
    if (const auto held = std::exchange(m_heldFailure, std::nullopt))
        return PortError(held->operation, held->code);
    return PortError(operation, SerialPlatform::notOpenError());
}
