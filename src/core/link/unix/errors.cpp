#include "link/platform.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <initializer_list>

namespace SerialPlatform
{

namespace
{

bool oneOf(int value, std::initializer_list<int> candidates)
{
    return std::find(candidates.begin(), candidates.end(), value) != candidates.end();
}

} // namespace

int lastError()
{
    return errno;
}

int notOpenError()
{
    return EBADF;
}

int serialErrorNumber(QSerialPort::SerialPortError error, int capturedError)
{
    switch (error) {
    case QSerialPort::NoError:
        return 0;
    case QSerialPort::DeviceNotFoundError:
        return oneOf(capturedError, {ENOENT, ENODEV, ENXIO}) ? capturedError : ENOENT;
    case QSerialPort::PermissionError:
        // Qt reports a port whose lock file another program holds as a permission error (the
        // lock's EEXIST), but every other failure to make that file as well: a name too long
        // for it (ENAMETOOLONG), a read-only lock folder, a full disk. Those keep their number.
        if (capturedError == 0 || capturedError == EEXIST)
            return EBUSY;
        return capturedError;
    case QSerialPort::OpenError:
        return EBUSY;
    case QSerialPort::NotOpenError:
        return EBADF;
    case QSerialPort::ReadError:
    case QSerialPort::WriteError:
    case QSerialPort::ResourceError:
        return oneOf(capturedError, {EIO, ENXIO, ENODEV, EBADF, EPIPE}) ? capturedError : EIO;
    case QSerialPort::UnsupportedOperationError:
        return oneOf(capturedError, {EINVAL, ENOTTY}) ? capturedError : EINVAL;
    case QSerialPort::TimeoutError:
        return ETIMEDOUT;
    default:
        return capturedError != 0 ? capturedError : EIO;
    }
}

QString errorHint(int errorCode)
{
    struct Hint {
        int code;
        const char *text;
    };
    static constexpr Hint kHints[] = {
        {EACCES, "Permission denied: add your user to the group dialout and log in again"},
        {EPERM, "Operation not permitted: add your user to the group dialout and log in again"},
        {EBUSY, "Device or resource busy: another program uses the port; close it and connect "
                "again"},
        {ENOENT,
         "No such file or directory: check the port name; the list shows the ports present"},
        {ENODEV, "No such device: the adapter was unplugged; plug it in and connect again"},
        {ENXIO, "No such device or address: the adapter was unplugged; plug it in and connect "
                "again"},
        {EIO, "Input/output error: the adapter was unplugged or the line failed; plug it in and "
              "connect again"},
        {EBADF, "Bad file descriptor: the port is closed; connect again"},
        {ENOTTY, "Inappropriate ioctl for device: this is no serial port; choose another port"},
        {EINVAL, "Invalid argument: the port does not take these line settings; choose another "
                 "baud rate or port"},
        {ETIMEDOUT, "Connection timed out: the port did not take the bytes in time; check the "
                    "adapter and the cable"},
    };
    for (const Hint &hint : kHints) {
        if (hint.code == errorCode)
            return QString::fromLatin1(hint.text);
    }
    if (errorCode <= 0)
        return {};
    const QString said = QString::fromLocal8Bit(std::strerror(errorCode));
    return said.startsWith(QLatin1String("Unknown error")) ? QString() : said;
}

} // namespace SerialPlatform
