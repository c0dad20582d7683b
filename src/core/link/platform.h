#pragma once

#include <QSerialPort>
#include <QString>

// What the operating system provides to the serial link. The shared code (the port object, the
// QSerialPort adapter, the simulator registry) calls only these; each system implements them in
// files of its own folder (link/unix/).
namespace SerialPlatform
{

// The system's error number of the last failed system call, as it stands now.
int lastError();
// The error number of an operation on a port that is not open.
int notOpenError();

// The system's error number for a failure QSerialPort reported as `error`. `capturedError` is the
// value lastError() had when the failure was reported; it is taken where it fits the kind of
// failure, otherwise a fitting number stands in:
//   DeviceNotFoundError        ENOENT, ENODEV, ENXIO            else ENOENT
//   PermissionError            any non-zero error number but    else EBUSY (the port's lock
//                              EEXIST                                file is held)
//   OpenError                                                   EBUSY (already open)
//   NotOpenError                                                EBADF
//   Read/Write/ResourceError   EIO, ENXIO, ENODEV, EBADF, EPIPE else EIO
//   UnsupportedOperationError  EINVAL, ENOTTY                   else EINVAL
//   TimeoutError                                                ETIMEDOUT
//   other errors               any non-zero error number        else EIO
//   NoError                                                     0
int serialErrorNumber(QSerialPort::SerialPortError error, int capturedError);

// What the system says about an error number and what the user can do about it, on one line:
// "Permission denied: add your user to the group dialout ...", or empty when nothing is known.
QString errorHint(int errorCode);

// The queries below take an open port.
// Whether the port has RTS and DTR lines (a pseudo-terminal has none).
bool hasModemLines(const QSerialPort &port);
// Bytes in the driver's transmit queue, -1 where the device cannot tell.
int transmitQueue(const QSerialPort &port);
// Bytes the driver has received that the port has not fetched yet, -1 where it cannot tell.
int receiveQueue(const QSerialPort &port);
// Blocks until the driver has sent its transmit queue. Returns 0, or the error number when the
// failure shows the device has gone; other failures are no loss and give 0 as well.
int drainTransmitter(const QSerialPort &port);
// Whether the line has really gone: the device reports a hang-up, or the modem-line query fails
// as it does for a vanished device. True for a port without a handle.
bool lineHungUp(const QSerialPort &port);

// Closes the open port with DTR and RTS dropped at once, and leaves it so that neither line rises
// when it is next opened until the line settings are applied again.
void closeWithLinesDown(QSerialPort &port);

// Takes the device that portName names for this program alone, before the port opens it, so that
// a second program that reaches the same device under another name (a link such as
// /dev/serial/by-id/..., a korvel-sim link) is refused instead of mixing its frames into ours.
// Returns the handle that holds the lock, to be given to unlockDevice when the port closes, or
// -1. *busyError is then the error number of a device another program holds (EBUSY), or 0 when
// nothing stands in the way (the system has no such lock; the open reports any other failure).
int lockDevice(const QString &portName, int *busyError);
void unlockDevice(int handle);

// Whether path leads (through its link) to a character device: a stale link of a simulator that
// was killed points at a pseudo-terminal that no longer exists.
bool leadsToTerminal(const QString &path);

} // namespace SerialPlatform
