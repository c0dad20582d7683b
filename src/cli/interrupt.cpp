#include "interrupt.h"

#include <QMetaObject>

#include <atomic>
#include <cstring>

namespace Cli
{

namespace
{

// Touched from a signal handler: only lock-free atomics may be used there.
std::atomic<int> g_requests{0};
std::atomic<int> g_shields{0};
static_assert(std::atomic<int>::is_always_lock_free);

constexpr char kShieldNote[] = "korvel-cli: the write into the module goes on, so that it is not "
                               "left half done; interrupt once more to end at once\n";

} // namespace

Interrupt &Interrupt::instance()
{
    static Interrupt interrupt;
    return interrupt;
}

bool Interrupt::isRequested()
{
    return g_requests.load() > 0;
}

int Interrupt::markRequested() noexcept
{
    return g_requests.fetch_add(1) + 1;
}

bool Interrupt::endsAtOnce(int count) noexcept
{
    return count >= (g_shields.load() > 0 ? 3 : 2);
}

const char *Interrupt::shieldNote() noexcept
{
    return kShieldNote;
}

unsigned Interrupt::shieldNoteLength() noexcept
{
    return sizeof kShieldNote - 1;
}

Interrupt::Shield::Shield()
{
    g_shields.fetch_add(1);
}

Interrupt::Shield::~Shield()
{
    g_shields.fetch_sub(1);
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
