#include "link/comport.h"

#include "link/systemserialdevice.h"
#include "link/txemptyclock.h"

#include <QTimer>

#include <algorithm>

namespace {

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

QString portErrorText(PortOperation operation, int errorCode)
{
    return QString::fromLatin1(operationText(operation)) +
           QStringLiteral(" (win error code: %1)").arg(errorCode);
}

PortError::PortError(PortOperation operation, int errorCode)
    : std::runtime_error(portErrorText(operation, errorCode).toStdString()),
      m_operation(operation), m_errorCode(errorCode)
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
    connect(m_txClock, &TxEmptyClock::outputEmpty, this, &ComPort::outputEmpty);
    connect(m_device.get(), &SerialDevice::deviceLost, this,
            [this](PortOperation operation, int code) {
                m_txClock->reset();
                emit failed(portErrorText(operation, code));
            });
}

ComPort::~ComPort()
{
    if (m_device)
        m_device->close();
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
    if (!m_device->open(m_portName))
        throw PortError(PortOperation::Open, m_device->errorCode());
    if (!m_device->setBaudRate(m_baudRate) || !m_device->setDtr(true) ||
        !m_device->setRts(m_rts)) {
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
    m_device->close();
}

qint64 ComPort::write(const QByteArray &bytes)
{
    if (bytes.isEmpty())
        return 0;
    if (!isOpen())
        throw PortError(PortOperation::Write, 9 /* EBADF: the port is not open */);
    const qint64 written = m_device->write(bytes, kWriteTimeoutMs);
    if (written < 0)
        throw PortError(PortOperation::Write, m_device->errorCode());
    m_txClock->written(written);
    return written;
}

QByteArray ComPort::read(int count)
{
    if (!isOpen())
        throw PortError(PortOperation::Read, 9 /* EBADF: the port is not open */);
    const auto bytes = m_device->read(count, m_readTimeoutMs);
    if (!bytes)
        throw PortError(PortOperation::Read, m_device->errorCode());
    // Bytes left over after this read still raise the bytes-received event later.
    scheduleReceivedCheck();
    return *bytes;
}

void ComPort::clearBuffers(bool input, bool output)
{
    if (!isOpen())
        throw PortError(PortOperation::Purge, 9 /* EBADF: the port is not open */);
    if (!m_device->clear(input, output))
        throw PortError(PortOperation::Purge, m_device->errorCode());
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
    return int(count);
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
