#pragma once

#include <QSerialPort>
#include <QString>
#include <QStringList>
#include <QtGlobal>

// The Windows build's plain computations: which system error means what, the hints the user
// reads, the names of the COM ports and the arithmetic of the waitable timer. They use no Windows
// header, so they are built (and tested) on every system; the calls into the system that use
// them are in the other files of this folder.
namespace WinRules
{

// The Windows error numbers the serial link tells apart (winerror.h spells them ERROR_...).
namespace Error
{
inline constexpr int InvalidFunction = 1;
inline constexpr int FileNotFound = 2;
inline constexpr int PathNotFound = 3;
inline constexpr int AccessDenied = 5;
inline constexpr int InvalidHandle = 6;
inline constexpr int NotReady = 21;
inline constexpr int BadCommand = 22;
inline constexpr int GenFailure = 31;
inline constexpr int SharingViolation = 32;
inline constexpr int NotSupported = 50;
inline constexpr int InvalidParameter = 87;
inline constexpr int InvalidName = 123;
inline constexpr int Busy = 170;
inline constexpr int OperationAborted = 995;
inline constexpr int IoDevice = 1117;
inline constexpr int DeviceNotConnected = 1167;
inline constexpr int Timeout = 1460;
inline constexpr int DeviceRemoved = 1617;
} // namespace Error

// The error number that stands for a failure of the given kind. `captured` is GetLastError()
// as it was when the failure was reported; it is kept where it fits the kind:
//   DeviceNotFound        FileNotFound, PathNotFound, InvalidName, DeviceNotConnected
//                                                                else FileNotFound
//   Permission            AccessDenied, SharingViolation, Busy   else AccessDenied
//   Open                                                         Busy (already open)
//   NotOpen                                                      InvalidHandle
//   Read/Write/Resource   the errors of a device that has gone   else IoDevice
//   UnsupportedOperation  InvalidParameter, NotSupported, InvalidFunction
//                                                                else InvalidParameter
//   Timeout                                                      Timeout
//   others                any non-zero number                    else IoDevice
//   NoError                                                      0
int errorNumber(QSerialPort::SerialPortError failure, int captured);

// Whether an error of a port operation shows that the device has gone (unplugged, or the handle
// is dead), rather than a passing refusal.
bool meansDeviceGone(int code);

// The hint for an error number: a fixed text for the errors a serial link meets, otherwise what
// the system says about it (systemText, as FormatMessage gave it), cleaned to one line; empty
// when neither knows the number.
QString errorHint(int code, const QString &systemText);

// FormatMessage's text on one line: without its line breaks, trailing blanks and the final full
// stop, and without inserts ("%1") it could not fill.
QString cleanSystemMessage(const QString &text);

// The name the port list shows and that opening the port accepts: "COM3" for the device path
// "\\.\COM3" or "//./COM3" that the system's enumeration gives; other names stay as they are.
QString listedPortName(const QString &systemLocation);

// The due time for SetWaitableTimer that ends a wait at targetNs, seen at nowNs (both on the
// same steady clock): negative (relative) in units of 100 ns, rounded so that the wait never ends
// early, and at least one unit, so that a moment already passed still waits as little as it can.
qint64 relativeDueTime(qint64 nowNs, qint64 targetNs);

// Whether a program in executableFolder counts as installed: it lies in one of the system's
// program folders (C:\Program Files, ...), which the program never writes into. Compared
// without regard to case or to the kind of separator.
bool isUnderProgramFolder(const QString &executableFolder, const QStringList &programFolders);

} // namespace WinRules
