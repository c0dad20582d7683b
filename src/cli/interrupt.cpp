#include "interrupt.h"

#include <QMetaObject>

#include <atomic>

namespace Cli
{

namespace
{

// Set from a signal handler: only a lock-free atomic may be touched there.
std::atomic<bool> g_requested{false};
static_assert(std::atomic<bool>::is_always_lock_free);

} // namespace

Interrupt &Interrupt::instance()
{
    static Interrupt interrupt;
    return interrupt;
}

bool Interrupt::isRequested()
{
    return g_requested.load();
}

bool Interrupt::markRequested() noexcept
{
    return g_requested.exchange(true);
}

void Interrupt::deliver()
{
    if (m_delivered)
        return;
    m_delivered = true;
    // Queued, as any event: the waits on the line run queued calls, and a handler never runs in
    // the middle of whatever the event loop was called from.
    QMetaObject::invokeMethod(
        this, [this] { emit requested(); }, Qt::QueuedConnection);
}

} // namespace Cli
