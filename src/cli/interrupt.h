#pragma once

#include <QObject>

namespace Cli
{

// SIGINT and SIGTERM (Ctrl+C): requested() is emitted once from the event loop, so a wait that
// blocks in the event loop wakes up at once, a wait on the line as soon as it runs queued calls.
// Loops end the way the window's Stop ends them. A second request ends the program at once.
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

signals:
    void requested();

private:
    Interrupt() = default;
    // Notes the request and returns whether one was noted before; safe in a signal handler.
    static bool markRequested() noexcept;
    // Emits requested() as a queued call, once however often it is asked.
    void deliver();

    bool m_delivered = false;
};

} // namespace Cli
