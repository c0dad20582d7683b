#include "link/platform.h"
#include "link/win/rules.h"

#include <windows.h>

namespace SerialPlatform
{

static_assert(WinRules::Error::AccessDenied == ERROR_ACCESS_DENIED);
static_assert(WinRules::Error::FileNotFound == ERROR_FILE_NOT_FOUND);
static_assert(WinRules::Error::InvalidHandle == ERROR_INVALID_HANDLE);
static_assert(WinRules::Error::NotReady == ERROR_NOT_READY);
static_assert(WinRules::Error::BadCommand == ERROR_BAD_COMMAND);
static_assert(WinRules::Error::SharingViolation == ERROR_SHARING_VIOLATION);
static_assert(WinRules::Error::InvalidParameter == ERROR_INVALID_PARAMETER);
static_assert(WinRules::Error::Busy == ERROR_BUSY);
static_assert(WinRules::Error::OperationAborted == ERROR_OPERATION_ABORTED);
static_assert(WinRules::Error::IoDevice == ERROR_IO_DEVICE);
static_assert(WinRules::Error::DeviceNotConnected == ERROR_DEVICE_NOT_CONNECTED);
static_assert(WinRules::Error::Timeout == ERROR_TIMEOUT);
static_assert(WinRules::Error::DeviceRemoved == ERROR_DEVICE_REMOVED);

namespace
{

// What the system says about an error number, in the user's language.
QString systemMessage(int code)
{
    wchar_t *buffer = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, DWORD(code), 0, reinterpret_cast<wchar_t *>(&buffer), 0, nullptr);
    if (length == 0 || !buffer)
        return {};
    const QString text = QString::fromWCharArray(buffer, int(length));
    ::LocalFree(buffer);
    return text;
}

} // namespace

int lastError()
{
    return int(::GetLastError());
}

int notOpenError()
{
    return ERROR_INVALID_HANDLE;
}

int serialErrorNumber(QSerialPort::SerialPortError error, int capturedError)
{
    return WinRules::errorNumber(error, capturedError);
}

QString errorHint(int errorCode)
{
    return WinRules::errorHint(errorCode, errorCode > 0 ? systemMessage(errorCode) : QString());
}

} // namespace SerialPlatform
