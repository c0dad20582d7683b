#include "support_pty.h"

#include <QElapsedTimer>

#include <algorithm>
#include <cerrno>

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <unistd.h>

PtyPair::PtyPair()
{
    const int fd = posix_openpt(O_RDWR | O_NOCTTY);
    if (fd < 0)
        return;
    if (grantpt(fd) != 0 || unlockpt(fd) != 0 || ptsname(fd) == nullptr) {
        ::close(fd);
        return;
    }
    m_terminalPath = QString::fromLocal8Bit(ptsname(fd));
    m_master = fd;
}

PtyPair::~PtyPair()
{
    closeModuleSide();
}

bool PtyPair::send(const QByteArray &bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(m_master, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

QByteArray PtyPair::receive(int count, int timeoutMs)
{
    QByteArray received;
    QElapsedTimer timer;
    timer.start();
    while (received.size() < count) {
        const int remaining = int(std::max<qint64>(0, timeoutMs - timer.elapsed()));
        pollfd pfd{m_master, POLLIN, 0};
        const int ready = ::poll(&pfd, 1, remaining);
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0 || !(pfd.revents & POLLIN))
            break;
        char chunk[4096];
        const ssize_t n = ::read(m_master, chunk,
                                 std::min<size_t>(sizeof chunk, size_t(count - received.size())));
        if (n <= 0)
            break;
        received.append(chunk, n);
    }
    return received;
}

int PtyPair::pending() const
{
    int count = 0;
    return ::ioctl(m_master, FIONREAD, &count) == 0 ? count : -1;
}

void PtyPair::closeModuleSide()
{
    if (m_master >= 0)
        ::close(m_master);
    m_master = -1;
}
