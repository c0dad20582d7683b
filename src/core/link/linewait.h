#pragma once

#include <QObject>

#include <functional>

// Waiting on the line without freezing the window. While the program waits for the module (an
// answer, a pause before the next frame) the UI thread keeps painting and its timers run. User
// input and socket notifications wait until the program is back in its own event loop, and the
// port's events (bytes received, output empty, device lost) are held back until the wait is over:
// nothing can start a second exchange in the middle of one, and the frames go out exactly as if
// the wait had blocked.
namespace LineWait
{

// The longest stretch a wait blocks without looking at the event queue.
inline constexpr int kSliceMs = 20;

// Whether the calling thread is inside a wait (or runs the events of one). Every thread that
// talks to a line of its own (a station's ports) keeps its own waits.
bool active();

// Marks a wait: events the port holds back meanwhile are handed on once the outermost one ends.
class Scope
{
public:
    Scope();
    ~Scope();
    Scope(const Scope &) = delete;
    Scope &operator=(const Scope &) = delete;
};

// Runs the events that are waiting, user input and socket notifications excepted.
void runPendingEvents();

// Waits ms milliseconds while running events as above; blocks in the event loop between them.
void sleepMs(int ms);

// Calls fn from the event loop once no wait runs any more (queued, in context's thread); if
// context is destroyed first, nothing happens.
void afterWait(QObject *context, std::function<void()> fn);

} // namespace LineWait
