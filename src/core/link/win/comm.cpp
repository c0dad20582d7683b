// The serial link's queries through the Windows communication functions, on the handle that
// QSerialPort opened.
#include "link/platform.h"
#include "link/win/rules.h"

#include <windows.h>

namespace SerialPlatform
{

namespace
{

HANDLE handleOf(const QSerialPort &port)
{
    return port.isOpen() ? HANDLE(port.handle()) : INVALID_HANDLE_VALUE;
}

// The driver's state: queue lengths in both directions. ClearCommError also resets the line
// error flags (parity, framing, overrun), which this program ignores.
bool commStatus(HANDLE handle, COMSTAT *status)
{
    DWORD errors = 0;
    return handle != INVALID_HANDLE_VALUE && ::ClearCommError(handle, &errors, status);
}

} // namespace

bool hasModemLines(const QSerialPort &port)
{
    // A port without modem lines (a pipe or a pseudo-terminal behind it) refuses the query.
    DWORD lines = 0;
    const HANDLE handle = handleOf(port);
    return handle != INVALID_HANDLE_VALUE && ::GetCommModemStatus(handle, &lines);
}

int transmitQueue(const QSerialPort &port)
{
    COMSTAT status{};
    return commStatus(handleOf(port), &status) ? int(status.cbOutQue) : -1;
}

int receiveQueue(const QSerialPort &port)
{
    COMSTAT status{};
    return commStatus(handleOf(port), &status) ? int(status.cbInQue) : -1;
}

int drainTransmitter(const QSerialPort &port)
{
    // On a communication handle FlushFileBuffers returns once the driver has sent its queue.
    const HANDLE handle = handleOf(port);
    if (handle == INVALID_HANDLE_VALUE)
        return ERROR_INVALID_HANDLE;
    if (::FlushFileBuffers(handle))
        return 0;
    const int code = int(::GetLastError());
    return WinRules::meansDeviceGone(code) ? code : 0;
}

bool lineHungUp(const QSerialPort &port)
{
    const HANDLE handle = handleOf(port);
    if (handle == INVALID_HANDLE_VALUE)
        return true;
    COMSTAT status{};
    if (commStatus(handle, &status))
        return false;
    return WinRules::meansDeviceGone(int(::GetLastError()));
}

void closeWithLinesDown(QSerialPort &port)
{
    // Windows keeps no line settings between two opens: the lines are dropped at once, and the
    // next open applies its own.
    const HANDLE handle = handleOf(port);
    if (handle != INVALID_HANDLE_VALUE) {
        ::EscapeCommFunction(handle, CLRDTR);
        ::EscapeCommFunction(handle, CLRRTS);
    }
    port.close();
}

bool leadsToTerminal(const QString &)
{
    // The simulator publishes pseudo-terminals, which Windows does not have: no link found in
    // the registry folder leads to one.
    return false;
}

int lockDevice(const QString &portName, int *busyError)
{
    // Windows opens a communication port for one handle only: a second program is refused by the
    // open itself (error 5), whatever name it used.
    Q_UNUSED(portName);
    *busyError = 0;
    return -1;
}

void unlockDevice(int handle)
{
    Q_UNUSED(handle);
}

} // namespace SerialPlatform
