#pragma once

#include <QObject>

namespace Cli
{

// SIGINT, SIGTERM and SIGHUP (Ctrl+C, kill, a terminal or SSH session that closes): requested()
// is emitted once from the event loop, so a wait that blocks in the event loop wakes up at once,
// a wait on the line as soon as it runs queued calls. Loops end the way the window's Stop ends
// them. A second request ends the program at once, except while a Shield stands: then only a
// third does.
class Interrupt : public QObject
{
    Q_OBJECT
public:
    static Interrupt &instance();
    // True from the moment the signal came, before the event loop has seen it.
    static bool isRequested();
    // Takes the signals; main does this once, after the application object exists. Each
    // platform has its own (signals_unix.cpp, signals_win.cpp).
    static void install();

    // While it stands (a write into the module), a second request is noted on standard error and
    // the work goes on, so that the module is not left half old, half new; a third ends the
    // program at once.
    class Shield
    {
    public:
        Shield();
        ~Shield();
        Shield(const Shield &) = delete;
        Shield &operator=(const Shield &) = delete;
    };

signals:
    void requested();

private:
    Interrupt() = default;
    // Counts the request; returns how many have come, this one included. Safe in a signal
    // handler.
    static int markRequested() noexcept;
    // Whether the request numbered count ends the program at once. Safe in a signal handler.
    static bool endsAtOnce(int count) noexcept;
    // What a shielded second request says on standard error, and its length.
    static const char *shieldNote() noexcept;
    static unsigned shieldNoteLength() noexcept;
    // Emits requested() as a queued call, once however often it is asked.
    void deliver();

    bool m_delivered = false;
};

} // namespace Cli
