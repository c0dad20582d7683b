// Ctrl+C, Ctrl+Break and the closing of the console window. Windows calls the handler on a
// thread of its own; it notes the request and hands it to the main thread as a queued call.

#include "interrupt.h"

#include <QCoreApplication>
#include <QMetaObject>

#include <system_error>

#include <windows.h>

namespace Cli
{

namespace
{

// Set once the program has ended its work: a closing console waits for it.
HANDLE g_finished = nullptr;

// Windows ends the process once the handler of a closing console returns, and at the latest
// after five seconds: the handler waits a little less for the program's own ending.
constexpr DWORD kCloseWaitMs = 4500;

bool endsTheConsole(DWORD event)
{
    return event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT;
}

} // namespace

void Interrupt::install()
{
    g_finished = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    const PHANDLER_ROUTINE handler = [](DWORD event) -> BOOL {
        if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT && !endsTheConsole(event))
            return FALSE;
        const int count = markRequested();
        if (count == 1) {
            Interrupt &interrupt = instance();
            QMetaObject::invokeMethod(
                &interrupt, [&interrupt] { interrupt.deliver(); }, Qt::QueuedConnection);
        } else if (!endsTheConsole(event)) {
            // A later Ctrl+C while the first is being handled ends the program at once, as a
            // later SIGINT does elsewhere; a write into the module holds out against the second.
            if (endsAtOnce(count))
                ::ExitProcess(128 + 2);
            DWORD written = 0;
            ::WriteFile(::GetStdHandle(STD_ERROR_HANDLE), shieldNote(), DWORD(shieldNoteLength()),
                        &written, nullptr);
        }
        if (endsTheConsole(event))
            ::WaitForSingleObject(g_finished, kCloseWaitMs);
        return TRUE;
    };
    if (!g_finished || !::SetConsoleCtrlHandler(handler, TRUE))
        throw std::system_error(int(::GetLastError()), std::system_category(),
                                "no handler for Ctrl+C and the closing console");
    // The program's work is over once the application object goes: the port is closed by then.
    qAddPostRoutine([] { ::SetEvent(g_finished); });
}

} // namespace Cli
