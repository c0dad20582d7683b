#include "link/qserialportdevice.h"

#include "link/systemserialdevice.h"

#include <QElapsedTimer>
#include <QSerialPortInfo>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <initializer_list>

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace
{

bool oneOf(int value, std::initializer_list<int> candidates)
{
    return std::find(candidates.begin(), candidates.end(), value) != candidates.end();
}

// Transmission time of `bytes` at `baud` with 10 bits a character, rounded up, at least 1 ms.
int transmitTimeMs(int bytes, qint32 baud)
{
    if (baud <= 0)
        baud = 1200;
    return std::max(1, int((qint64(bytes) * 10 * 1000 + baud - 1) / baud));
}

} // namespace

int serialErrorNumber(QSerialPort::SerialPortError error, int capturedErrno)
{
    switch (error) {
    case QSerialPort::NoError:
        return 0;
    case QSerialPort::DeviceNotFoundError:
        return oneOf(capturedErrno, {ENOENT, ENODEV, ENXIO}) ? capturedErrno : ENOENT;
    case QSerialPort::PermissionError:
        return oneOf(capturedErrno, {EACCES, EPERM, EBUSY}) ? capturedErrno : EBUSY;
    case QSerialPort::OpenError:
        return EBUSY;
    case QSerialPort::NotOpenError:
        return EBADF;
    case QSerialPort::ReadError:
    case QSerialPort::WriteError:
    case QSerialPort::ResourceError:
        return oneOf(capturedErrno, {EIO, ENXIO, ENODEV, EBADF, EPIPE}) ? capturedErrno : EIO;
    case QSerialPort::UnsupportedOperationError:
        return oneOf(capturedErrno, {EINVAL, ENOTTY}) ? capturedErrno : EINVAL;
    case QSerialPort::TimeoutError:
        return ETIMEDOUT;
    default:
        return capturedErrno != 0 ? capturedErrno : EIO;
    }
}

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
    : SerialDevice(parent), m_port(new QSerialPort(this)), m_outputTimer(new QTimer(this))
{
    m_port->setBaudRate(19200);
    m_outputTimer->setSingleShot(true);
    connect(m_outputTimer, &QTimer::timeout, this, &QSerialPortDevice::checkOutputEmpty);
    connect(m_port, &QSerialPort::errorOccurred, this, &QSerialPortDevice::onErrorOccurred);
    connect(m_port, &QSerialPort::readyRead, this, &QSerialPortDevice::onReadyRead);
    connect(m_port, &QSerialPort::bytesWritten, this, &QSerialPortDevice::onBytesWritten);
}

QSerialPortDevice::~QSerialPortDevice()
{
    close();
}

std::optional<QStringList> QSerialPortDevice::availablePorts()
{
    QStringList names;
    for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts())
        names << info.systemLocation();
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
            descriptions.insert(info.systemLocation(), text);
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
    if (!m_port->open(QIODevice::ReadWrite))
        return failWithPortError();

    int lines = 0;
    m_hasModemLines = ::ioctl(m_port->handle(), TIOCMGET, &lines) == 0;
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
    m_outputTimer->stop();
    // DTR and RTS drop now rather than by the terminal's hang-up flag. A second handle keeps the
    // terminal open past Qt's close (which restores the settings found at open), so that the
    // rate 0 can be left in its settings: the kernel then raises neither line when the port is
    // next opened, and they rise only when the line settings are applied again.
    int keeper = -1;
    if (m_port->isOpen() && m_hasModemLines && !m_lost) {
        const int fd = m_port->handle();
        int lines = TIOCM_DTR | TIOCM_RTS;
        ::ioctl(fd, TIOCMBIC, &lines);
        keeper = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
    }
    if (m_port->isOpen())
        m_port->close();
    if (keeper >= 0) {
        termios tio{};
        if (::tcgetattr(keeper, &tio) == 0) {
            ::cfsetospeed(&tio, B0);
            ::cfsetispeed(&tio, B0);
            ::tcsetattr(keeper, TCSANOW, &tio);
        }
        ::close(keeper);
    }
    m_port->clearError();
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
        m_errorCode = EBADF;
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
    if (m_port->bytesToWrite() == 0 && ::tcdrain(m_port->handle()) == -1 &&
        oneOf(errno, {EIO, ENXIO, ENODEV, EBADF})) {
        const int code = errno;
        close();
        m_errorCode = code;
        return -1;
    }
    scheduleOutputCheck(0);
    const qint64 notHanded = std::min<qint64>(data.size(), m_port->bytesToWrite());
    return data.size() - notHanded;
}

std::optional<QByteArray> QSerialPortDevice::read(qint64 maxBytes, int timeoutMs)
{
    if (!isOpen()) {
        m_errorCode = EBADF;
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
        m_errorCode = EBADF;
        return -1;
    }
    return m_port->bytesAvailable() + std::max(0, driverInputQueue());
}

bool QSerialPortDevice::clear(bool input, bool output)
{
    if (!isOpen()) {
        m_errorCode = EBADF;
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

void QSerialPortDevice::onErrorOccurred(QSerialPort::SerialPortError error)
{
    const int captured = errno;
    if (error == QSerialPort::NoError)
        return;
    m_lastPortErrno = serialErrorNumber(error, captured);
    if (error != QSerialPort::ReadError && error != QSerialPort::WriteError &&
        error != QSerialPort::ResourceError) {
        return;
    }
    // A read that finds no bytes (they were taken or cleared after the notification) is no loss
    // while the line is still up: the port goes on listening.
    if (error != QSerialPort::WriteError && m_port->isOpen() && !lineHungUp()) {
        m_lastPortErrno = 0;
        if (!m_resumePending) {
            m_resumePending = true;
            QMetaObject::invokeMethod(this, &QSerialPortDevice::resumeAfterEmptyRead,
                                      Qt::QueuedConnection);
        }
        return;
    }
    // A vanished device keeps raising read errors while the port stays open; the first one
    // counts, and the port closes as soon as control is back outside Qt's notification.
    if (m_lost || !m_port->isOpen())
        return;
    m_lost = true;
    m_lostCode = m_lastPortErrno;
    m_lostOperation =
        error == QSerialPort::WriteError ? PortOperation::Write : PortOperation::AsyncStatus;
    if (m_callDepth == 0 && !m_idleLossPending) {
        m_idleLossPending = true;
        QMetaObject::invokeMethod(this, &QSerialPortDevice::handleIdleLoss, Qt::QueuedConnection);
    }
}

bool QSerialPortDevice::lineHungUp() const
{
    const int fd = m_port->handle();
    if (fd < 0)
        return true;
    pollfd look{fd, POLLIN, 0};
    if (::poll(&look, 1, 0) > 0 && (look.revents & (POLLHUP | POLLNVAL)))
        return true;
    // A device without modem lines answers ENOTTY or EINVAL here; a vanished one EIO and its kin.
    int lines = 0;
    return ::ioctl(fd, TIOCMGET, &lines) == -1 && oneOf(errno, {EIO, ENXIO, ENODEV});
}

void QSerialPortDevice::resumeAfterEmptyRead()
{
    m_resumePending = false;
    if (!m_port->isOpen() || m_lost)
        return;
    const auto error = m_port->error();
    if (error == QSerialPort::ReadError || error == QSerialPort::ResourceError)
        m_port->clearError();
    // Qt stops watching the port after a read that failed; this starts it again.
    m_port->setReadBufferSize(0);
    if (bytesAvailable() > 0)
        scheduleArrivalCheck();
}

void QSerialPortDevice::handleIdleLoss()
{
    m_idleLossPending = false;
    // A call that came first has reported the loss already.
    if (!m_lost || m_callDepth > 0)
        return;
    const PortOperation operation = m_lostOperation;
    const int code = m_lostCode;
    close();
    m_errorCode = code;
    emit deviceLost(operation, code);
}

bool QSerialPortDevice::takeLoss()
{
    if (!m_lost)
        return false;
    const int code = m_lostCode;
    close();
    m_errorCode = code;
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

void QSerialPortDevice::onBytesWritten()
{
    // Inside write() the call itself checks once it has drained the queue.
    if (m_callDepth == 0)
        scheduleOutputCheck(0);
}

void QSerialPortDevice::scheduleOutputCheck(int delayMs)
{
    m_outputTimer->start(delayMs);
}

void QSerialPortDevice::checkOutputEmpty()
{
    if (!isOpen() || m_lost || m_port->bytesToWrite() > 0)
        return;
    const int queued = driverOutputQueue();
    if (queued > 0) {
        scheduleOutputCheck(transmitTimeMs(queued, m_port->baudRate()));
        return;
    }
    emit outputEmpty();
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
    int queued = 0;
    return ::ioctl(m_port->handle(), TIOCOUTQ, &queued) == -1 ? -1 : queued;
}

int QSerialPortDevice::driverInputQueue() const
{
    if (!m_port->isOpen())
        return 0;
    int queued = 0;
    return ::ioctl(m_port->handle(), FIONREAD, &queued) == -1 ? -1 : queued;
}

bool QSerialPortDevice::failWithPortError()
{
    // A failure that shows the device has gone closes the port like any loss.
    if (takeLoss())
        return false;
    m_errorCode = m_lastPortErrno != 0 ? m_lastPortErrno : serialErrorNumber(m_port->error(), 0);
    return false;
}

std::unique_ptr<SerialDevice> makeSystemSerialDevice()
{
    return std::make_unique<QSerialPortDevice>();
}
