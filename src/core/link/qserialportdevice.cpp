#include "link/qserialportdevice.h"

#include "link/platform.h"
#include "link/systemserialdevice.h"
#include "link/win/rules.h"

#include <QElapsedTimer>
#include <QSerialPortInfo>

#include <algorithm>
#include <utility>

QString describeSerialPort(const QString &description, const QString &manufacturer,
                           const QString &serialNumber, int vendorId, int productId)
{
    QStringList parts;
    if (!description.trimmed().isEmpty())
        parts << description.trimmed();
    if (!manufacturer.trimmed().isEmpty() &&
        !description.contains(manufacturer.trimmed(), Qt::CaseInsensitive))
        parts << manufacturer.trimmed();
    if (!serialNumber.trimmed().isEmpty())
        parts << QStringLiteral("serial number ") + serialNumber.trimmed();
    if (vendorId >= 0 && productId >= 0)
        parts << QStringLiteral("USB %1:%2")
                     .arg(vendorId, 4, 16, QLatin1Char('0'))
                     .arg(productId, 4, 16, QLatin1Char('0'));
    return parts.join(QStringLiteral(", "));
}

class QSerialPortDevice::CallScope
{
public:
    explicit CallScope(QSerialPortDevice *device) : m_device(device)
    {
        if (m_device->m_callDepth++ == 0)
            m_device->m_lastPortErrno = 0;
    }
    ~CallScope() { --m_device->m_callDepth; }
    CallScope(const CallScope &) = delete;
    CallScope &operator=(const CallScope &) = delete;

private:
    QSerialPortDevice *m_device;
};

QSerialPortDevice::QSerialPortDevice(QObject *parent)
    : SerialDevice(parent), m_port(new QSerialPort(this))
{
    m_port->setBaudRate(19200);
    connect(m_port, &QSerialPort::errorOccurred, this, &QSerialPortDevice::onErrorOccurred);
    connect(m_port, &QSerialPort::readyRead, this, &QSerialPortDevice::onReadyRead);
}

QSerialPortDevice::~QSerialPortDevice()
{
    close();
}

std::optional<QStringList> QSerialPortDevice::availablePorts()
{
    QStringList names;
    for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts())
        names << WinRules::listedPortName(info.systemLocation());
    return names;
}

QHash<QString, QString> QSerialPortDevice::portDescriptions()
{
    QHash<QString, QString> descriptions;
    for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts()) {
        const QString text =
            describeSerialPort(info.description(), info.manufacturer(), info.serialNumber(),
                               info.hasVendorIdentifier() ? info.vendorIdentifier() : -1,
                               info.hasProductIdentifier() ? info.productIdentifier() : -1);
        if (!text.isEmpty())
            descriptions.insert(WinRules::listedPortName(info.systemLocation()), text);
    }
    return descriptions;
}

bool QSerialPortDevice::open(const QString &portName)
{
    close();
    CallScope scope(this);
    m_port->setPortName(portName);
    m_port->setDataBits(QSerialPort::Data8);
    m_port->setParity(QSerialPort::NoParity);
    m_port->setStopBits(QSerialPort::OneStop);
    m_port->setFlowControl(QSerialPort::NoFlowControl);
    // Unbounded: reads take only what they ask for, the rest waits in this buffer.
    m_port->setReadBufferSize(0);
    // Before the open, which applies line settings: a device another program holds is left as
    // it is.
    int busy = 0;
    m_lock = SerialPlatform::lockDevice(portName, &busy);
    if (busy != 0) {
        m_errorCode = busy;
        return false;
    }
    if (!m_port->open(QIODevice::ReadWrite)) {
        failWithPortError();
        SerialPlatform::unlockDevice(std::exchange(m_lock, -1));
        return false;
    }

    m_hasModemLines = SerialPlatform::hasModemLines(*m_port);
    if (m_hasModemLines && !applyModemLines()) {
        const int code = m_errorCode;
        close();
        m_errorCode = code;
        return false;
    }
    return true;
}

void QSerialPortDevice::close()
{
    // DTR and RTS drop now rather than by the terminal's hang-up flag, and rise only when the line
    // settings are applied again.
    if (m_port->isOpen() && m_hasModemLines && !m_lost)
        SerialPlatform::closeWithLinesDown(*m_port);
    else if (m_port->isOpen())
        m_port->close();
    m_port->clearError();
    SerialPlatform::unlockDevice(std::exchange(m_lock, -1));
    m_hasModemLines = false;
    m_lost = false;
}

bool QSerialPortDevice::isOpen() const
{
    return m_port->isOpen();
}

bool QSerialPortDevice::setBaudRate(qint32 baud)
{
    CallScope scope(this);
    if (takeLoss())
        return false;
    if (!m_port->setBaudRate(baud))
        return failWithPortError();
    return true;
}

bool QSerialPortDevice::setDtr(bool asserted)
{
    CallScope scope(this);
    m_dtr = asserted;
    if (takeLoss())
        return false;
    if (isOpen() && m_hasModemLines && !m_port->setDataTerminalReady(asserted))
        return failWithPortError();
    return true;
}

bool QSerialPortDevice::setRts(bool asserted)
{
    CallScope scope(this);
    m_rts = asserted;
    if (takeLoss())
        return false;
    if (isOpen() && m_hasModemLines && !m_port->setRequestToSend(asserted))
        return failWithPortError();
    return true;
}

qint64 QSerialPortDevice::write(const QByteArray &data, int timeoutMs)
{
    if (!isOpen()) {
        m_errorCode = SerialPlatform::notOpenError();
        return -1;
    }
    if (data.isEmpty())
        return 0;
    CallScope scope(this);
    if (takeLoss())
        return -1;
    QElapsedTimer timer;
    timer.start();
    const auto remainingMs = [&] { return std::max<qint64>(0, timeoutMs - timer.elapsed()); };

    if (m_port->write(data) != data.size()) {
        failWithPortError();
        return -1;
    }
    // Qt's write only fills its buffer; the bytes reach the driver while we wait here.
    while (m_port->bytesToWrite() > 0 && remainingMs() > 0) {
        m_port->waitForBytesWritten(int(remainingMs()));
        if (takeLoss())
            return -1;
    }
    // Then one blocking drain until the driver has sent its queue, so that an output clear that
    // follows cannot cut the frame off. Nothing is read meanwhile, so no answer is lost.
    if (m_port->bytesToWrite() == 0) {
        if (const int code = SerialPlatform::drainTransmitter(*m_port)) {
            close();
            m_errorCode = code;
            return -1;
        }
    }
    const qint64 notHanded = std::min<qint64>(data.size(), m_port->bytesToWrite());
    return data.size() - notHanded;
}

std::optional<QByteArray> QSerialPortDevice::read(qint64 maxBytes, int timeoutMs)
{
    if (!isOpen()) {
        m_errorCode = SerialPlatform::notOpenError();
        return std::nullopt;
    }
    CallScope scope(this);
    if (takeLoss())
        return std::nullopt;
    if (maxBytes <= 0)
        return QByteArray();
    QElapsedTimer timer;
    timer.start();
    bool lastLookDone = false;
    // waitForReadyRead waits for new bytes only, so the bytes already buffered count first.
    while (m_port->bytesAvailable() < maxBytes) {
        const qint64 remaining = std::max<qint64>(0, timeoutMs - timer.elapsed());
        if (remaining == 0) {
            // Bytes the driver holds but the port has not fetched yet still belong to this read.
            if (lastLookDone || driverInputQueue() <= 0)
                break;
            lastLookDone = true;
        }
        m_port->waitForReadyRead(int(remaining));
        if (takeLoss())
            return std::nullopt;
    }
    const QByteArray bytes = m_port->read(maxBytes);
    if (m_port->bytesAvailable() > 0 || driverInputQueue() > 0)
        scheduleArrivalCheck();
    return bytes;
}

qint64 QSerialPortDevice::bytesAvailable()
{
    if (!isOpen()) {
        m_errorCode = SerialPlatform::notOpenError();
        return -1;
    }
    return m_port->bytesAvailable() + std::max(0, driverInputQueue());
}

bool QSerialPortDevice::clear(bool input, bool output)
{
    if (!isOpen()) {
        m_errorCode = SerialPlatform::notOpenError();
        return false;
    }
    CallScope scope(this);
    if (takeLoss())
        return false;
    if (input && !m_port->clear(QSerialPort::Input))
        return failWithPortError();
    // An output purge on a pseudo-terminal also discards what the other side has not read yet,
    // so the output is purged only while bytes really wait to go out.
    if (output && (m_port->bytesToWrite() > 0 || driverOutputQueue() > 0) &&
        !m_port->clear(QSerialPort::Output)) {
        return failWithPortError();
    }
    return true;
}

void QSerialPortDevice::onReadyRead()
{
    if (m_callDepth > 0)
        scheduleArrivalCheck();
    else
        emit bytesArrived();
}

void QSerialPortDevice::scheduleArrivalCheck()
{
    if (m_arrivalCheckPending)
        return;
    m_arrivalCheckPending = true;
    QMetaObject::invokeMethod(this, &QSerialPortDevice::announceWaitingBytes, Qt::QueuedConnection);
}

void QSerialPortDevice::announceWaitingBytes()
{
    m_arrivalCheckPending = false;
    if (m_callDepth == 0 && isOpen() && !m_lost && bytesAvailable() > 0)
        emit bytesArrived();
}

bool QSerialPortDevice::applyModemLines()
{
    if (!m_port->setDataTerminalReady(m_dtr) || !m_port->setRequestToSend(m_rts))
        return failWithPortError();
    return true;
}

int QSerialPortDevice::driverOutputQueue() const
{
    if (!m_port->isOpen())
        return 0;
    return SerialPlatform::transmitQueue(*m_port);
}

int QSerialPortDevice::driverInputQueue() const
{
    if (!m_port->isOpen())
        return 0;
    return SerialPlatform::receiveQueue(*m_port);
}

std::unique_ptr<SerialDevice> makeSystemSerialDevice()
{
    return std::make_unique<QSerialPortDevice>();
}
