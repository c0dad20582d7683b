#include "link/platform.h"

#include <QFile>

#include <cerrno>

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace SerialPlatform
{

bool hasModemLines(const QSerialPort &port)
{
    int lines = 0;
    return ::ioctl(port.handle(), TIOCMGET, &lines) == 0;
}

int transmitQueue(const QSerialPort &port)
{
    int queued = 0;
    return ::ioctl(port.handle(), TIOCOUTQ, &queued) == -1 ? -1 : queued;
}

int receiveQueue(const QSerialPort &port)
{
    int queued = 0;
    return ::ioctl(port.handle(), FIONREAD, &queued) == -1 ? -1 : queued;
}

int drainTransmitter(const QSerialPort &port)
{
    if (::tcdrain(port.handle()) == 0)
        return 0;
    const int code = errno;
    return code == EIO || code == ENXIO || code == ENODEV || code == EBADF ? code : 0;
}

bool lineHungUp(const QSerialPort &port)
{
    const int fd = port.handle();
    if (fd < 0)
        return true;
    pollfd look{fd, POLLIN, 0};
    if (::poll(&look, 1, 0) > 0 && (look.revents & (POLLHUP | POLLNVAL)))
        return true;
    // A device without modem lines answers ENOTTY or EINVAL here; a vanished one EIO and its kin.
    int lines = 0;
    if (::ioctl(fd, TIOCMGET, &lines) != -1)
        return false;
    return errno == EIO || errno == ENXIO || errno == ENODEV;
}

void closeWithLinesDown(QSerialPort &port)
{
    // A second handle keeps the terminal open past Qt's close (which restores the settings found
    // at open), so that the rate 0 can be left in its settings: the kernel then raises neither
    // line when the port is next opened.
    const int fd = port.handle();
    int lines = TIOCM_DTR | TIOCM_RTS;
    ::ioctl(fd, TIOCMBIC, &lines);
    const int keeper = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
    port.close();
    if (keeper < 0)
        return;
    termios tio{};
    if (::tcgetattr(keeper, &tio) == 0) {
        ::cfsetospeed(&tio, B0);
        ::cfsetispeed(&tio, B0);
        ::tcsetattr(keeper, TCSANOW, &tio);
    }
    ::close(keeper);
}

int lockDevice(const QString &portName, int *busyError)
{
    *busyError = 0;
    // Bare names ("ttyUSB0") live in /dev, as the port finds them.
    const QString path =
        portName.contains(QLatin1Char('/')) ? portName : QStringLiteral("/dev/") + portName;
    // The lock sits on the device itself, whatever name led to it, and goes with the last handle
    // of this program; opening changes no line of a device another program holds.
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return -1;
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
        return fd;
    const int code = errno;
    ::close(fd);
    if (code == EWOULDBLOCK)
        *busyError = EBUSY;
    return -1;
}

void unlockDevice(int handle)
{
    if (handle >= 0)
        ::close(handle);
}

bool leadsToTerminal(const QString &path)
{
    struct stat info {
    };
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 && S_ISCHR(info.st_mode);
}

} // namespace SerialPlatform
