#include "link/linewait.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QPointer>
#include <QTimer>

#include <algorithm>
#include <utility>
#include <vector>

namespace LineWait
{

namespace
{

constexpr auto kWaitFlags = QEventLoop::ExcludeUserInputEvents | QEventLoop::ExcludeSocketNotifiers;

struct Deferred {
    QPointer<QObject> context;
    std::function<void()> fn;
};

// Each thread that talks to a line keeps its own count: a station runs one line per thread, and
// one line's wait must not hold back another line's events.
thread_local int depth = 0;

std::vector<Deferred> &deferred()
{
    thread_local std::vector<Deferred> list;
    return list;
}

void post(Deferred item)
{
    if (!item.context)
        return;
    QMetaObject::invokeMethod(
        item.context.data(), [fn = std::move(item.fn)] { fn(); }, Qt::QueuedConnection);
}

} // namespace

bool active()
{
    return depth > 0;
}

Scope::Scope()
{
    ++depth;
}

Scope::~Scope()
{
    if (--depth > 0)
        return;
    std::vector<Deferred> due = std::exchange(deferred(), {});
    for (Deferred &item : due)
        post(std::move(item));
}

void runPendingEvents()
{
    const Scope scope;
    QCoreApplication::processEvents(kWaitFlags);
}

void sleepMs(int ms)
{
    if (ms <= 0)
        return;
    const Scope scope;
    const QDeadlineTimer deadline(ms, Qt::PreciseTimer);
    // The timer only wakes the blocked event loop at the deadline.
    QTimer wake;
    wake.setSingleShot(true);
    wake.setTimerType(Qt::PreciseTimer);
    while (!deadline.hasExpired()) {
        if (!wake.isActive())
            wake.start(int(std::max<qint64>(1, deadline.remainingTime())));
        QCoreApplication::processEvents(kWaitFlags | QEventLoop::WaitForMoreEvents);
    }
}

void afterWait(QObject *context, std::function<void()> fn)
{
    Deferred item{context, std::move(fn)};
    if (depth == 0)
        post(std::move(item));
    else
        deferred().push_back(std::move(item));
}

} // namespace LineWait
