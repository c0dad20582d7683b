#include "ptyserver.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

namespace
{

int baudOf(speed_t speed)
{
    switch (speed) {
    case B1200:
        return 1200;
    case B2400:
        return 2400;
    case B4800:
        return 4800;
    case B9600:
        return 9600;
    case B19200:
        return 19200;
    case B38400:
        return 38400;
    case B57600:
        return 57600;
    case B115200:
        return 115200;
    case B230400:
        return 230400;
    default:
        return 0;
    }
}

} // namespace

PtyServer::PtyServer(ModuleEmulator &emulator) : m_emulator(emulator)
{
    m_startMs = nowMs();
    timespec wall{};
    clock_gettime(CLOCK_REALTIME, &wall);
    m_originEpochSeconds = double(wall.tv_sec) + double(wall.tv_nsec) / 1e9;
}

PtyServer::~PtyServer()
{
    if (m_master >= 0)
        ::close(m_master);
}

void PtyServer::setNoteCallback(std::function<void(const QString &)> callback)
{
    m_note = std::move(callback);
}

void PtyServer::note(const QString &text)
{
    if (m_note)
        m_note(text);
}

double PtyServer::nowMs() const
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return double(ts.tv_sec) * 1000.0 + double(ts.tv_nsec) / 1e6 - m_startMs;
}

bool PtyServer::open(QString *error)
{
    m_master = posix_openpt(O_RDWR | O_NOCTTY);
    if (m_master < 0 || grantpt(m_master) != 0 || unlockpt(m_master) != 0) {
        *error = QStringLiteral("cannot create a pseudo-terminal: ") +
                 QString::fromLocal8Bit(strerror(errno));
        return false;
    }
    const char *name = ptsname(m_master);
    if (!name) {
        *error = QStringLiteral("ptsname failed: ") + QString::fromLocal8Bit(strerror(errno));
        return false;
    }
    m_slavePath = QString::fromLocal8Bit(name);
    // The master's settings are the slave's: raw 8N1 before the program opens the line.
    termios tio{};
    if (tcgetattr(m_master, &tio) == 0) {
        cfmakeraw(&tio);
        cfsetispeed(&tio, B19200);
        cfsetospeed(&tio, B19200);
        tcsetattr(m_master, TCSANOW, &tio);
    }
    return true;
}

int PtyServer::lineBaud() const
{
    termios tio{};
    if (tcgetattr(m_master, &tio) != 0)
        return 0;
    return baudOf(cfgetospeed(&tio));
}

void PtyServer::setSwapCallback(std::function<void()> callback)
{
    m_swap = std::move(callback);
}

void PtyServer::run(const std::atomic<bool> &stop, std::atomic<bool> &wakeRequest,
                    std::atomic<bool> &swapRequest)
{
    bool lineOpen = false;
    int baud = 0;
    double lastLookMs = nowMs();
    while (!stop.load()) {
        // While the line is closed only the hang-up is checked (and slept on below), so that an
        // open is noticed within one pause; 100 ms bounds how late a stop request is seen.
        // The wait ends when the next byte is due, to the microsecond: rounding up to whole
        // milliseconds would delay every answer by up to a millisecond at the faster rates.
        double timeoutMs = lineOpen ? 100 : 0;
        if (lineOpen) {
            if (const auto next = m_emulator.nextOutputAt())
                timeoutMs = std::clamp(*next - nowMs(), 0.0, 100.0);
        }
        const qint64 timeoutUs = qint64(std::ceil(timeoutMs * 1000.0));
        const timespec timeout{time_t(timeoutUs / 1000000), long(timeoutUs % 1000000) * 1000};
        pollfd fd{m_master, POLLIN, 0};
        const int ready = ppoll(&fd, 1, &timeout, nullptr);
        if (ready < 0 && errno != EINTR)
            break;
        const double now = nowMs();
        QByteArray incoming;
        if (ready > 0 && (fd.revents & POLLIN)) {
            char buffer[256];
            const ssize_t count = ::read(m_master, buffer, sizeof buffer);
            if (count > 0)
                incoming = QByteArray(buffer, int(count));
        }
        if (ready > 0 && (fd.revents & POLLHUP)) {
            if (lineOpen) {
                m_emulator.receive(incoming, now);
                lineOpen = false;
                m_emulator.lineClosed(now);
                note(QStringLiteral("line closed"));
            }
            // The hang-up stays signalled until the line is opened again: do not spin on it.
            usleep(5000);
            continue;
        }
        const int currentBaud = lineBaud();
        if (currentBaud > 0 && currentBaud != baud) {
            baud = currentBaud;
            // The program may have changed the rate any time since the last look: bytes due
            // after that look already go out at the new rate.
            m_emulator.setPcBaud(baud, lastLookMs);
            if (lineOpen)
                note(QStringLiteral("line rate %1 baud").arg(baud));
        }
        lastLookMs = now;
        if (!lineOpen) {
            lineOpen = true;
            m_emulator.setRts(false, now);
            m_emulator.lineOpened(now);
            note(QStringLiteral("line opened at %1 baud").arg(baud));
        }
        if (swapRequest.exchange(false) && m_swap) {
            // The operator pulls the module and puts the next one in while the line stays up.
            m_emulator.lineClosed(now);
            m_swap();
            m_emulator.lineOpened(now);
            note(QStringLiteral("next module in the fixture, serial number %1")
                     .arg(m_emulator.config().serial));
        }
        if (wakeRequest.exchange(false)) {
            note(QStringLiteral("wake-up button pressed"));
            m_emulator.pressWakeButton(now);
        }
        if (!incoming.isEmpty())
            m_emulator.receive(incoming, now);
        const QByteArray out = m_emulator.takeOutput(nowMs());
        if (!out.isEmpty()) {
            qsizetype done = 0;
            while (done < out.size()) {
                const ssize_t n = ::write(m_master, out.constData() + done, out.size() - done);
                if (n < 0 && errno != EINTR)
                    break;
                if (n > 0)
                    done += n;
            }
        }
    }
}
