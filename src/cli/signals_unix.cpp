// SIGINT, SIGTERM and SIGHUP the way Qt's documentation turns a Unix signal into an event: the
// handler only writes a byte into a socket pair, and a socket notifier in the main thread reads it.

#include "interrupt.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <system_error>

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace Cli
{

namespace
{

// [0]: the handlers write, [1]: the notifier reads.
int g_signalSocket[2] = {-1, -1};

void setFlags(int fd)
{
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    ::fcntl(fd, F_SETFD, FD_CLOEXEC);
}

} // namespace

void Interrupt::install()
{
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_signalSocket) != 0)
        throw std::system_error(errno, std::generic_category(),
                                "no socket pair for SIGINT, SIGTERM and SIGHUP");
    // The handler must never block, and the notifier drains whatever has come.
    setFlags(g_signalSocket[0]);
    setFlags(g_signalSocket[1]);

    Interrupt &interrupt = instance();
    auto *notifier =
        new QSocketNotifier(g_signalSocket[1], QSocketNotifier::Read, QCoreApplication::instance());
    const auto take = [notifier, &interrupt] {
        if (!notifier->isEnabled())
            return;
        notifier->setEnabled(false);
        char bytes[16];
        while (::read(g_signalSocket[1], bytes, sizeof bytes) > 0) {
        }
        interrupt.deliver();
        notifier->deleteLater();
    };
    QObject::connect(notifier, &QSocketNotifier::activated, notifier, take);
    // A wait on the line leaves socket notifications for later (with Qt's own Unix event
    // dispatcher): it sees the request at the next turn of its loop instead.
    QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::awake,
                     notifier, [take] {
                         if (isRequested())
                             take();
                     });

    struct sigaction action = {};
    action.sa_handler = [](int signal) {
        const int count = markRequested();
        // A later signal while the first is being handled ends the program at once, unless a
        // write into the module stands in the way of the second.
        if (endsAtOnce(count))
            std::_Exit(128 + signal);
        const int savedErrno = errno;
        if (count == 1) {
            const char byte = 1;
            [[maybe_unused]] const ssize_t written = ::write(g_signalSocket[0], &byte, 1);
        } else {
            [[maybe_unused]] const ssize_t written =
                ::write(STDERR_FILENO, shieldNote(), shieldNoteLength());
        }
        errno = savedErrno;
    };
    sigemptyset(&action.sa_mask);
    // One handler at a time, so that the count and the byte stay in step.
    constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};
    for (const int signal : kSignals)
        sigaddset(&action.sa_mask, signal);
    // A port operation the signal interrupts goes on: the stop comes between exchanges.
    action.sa_flags = SA_RESTART;
    sigset_t unblock;
    sigemptyset(&unblock);
    for (const int signal : kSignals) {
        sigaction(signal, &action, nullptr);
        sigaddset(&unblock, signal);
    }
    // A program started with them blocked (by a service manager or a shell's trap) would never
    // see them; one that came before this point is delivered now.
    sigprocmask(SIG_UNBLOCK, &unblock, nullptr);
}

} // namespace Cli
