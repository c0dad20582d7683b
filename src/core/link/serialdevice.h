#pragma once

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QStringList>

#include <optional>

// The operations of the serial port whose failure is reported to the user; each has its own
// text (see portErrorText()).
enum class PortOperation {
    Open,
    Write,
    Read,
    Purge,
    AsyncStatus,
    LineSettings,
    Timeouts,
    BufferSizes,
    InputCount,
    ListPorts,
};

// The seam below the port object: the real adapter wraps QSerialPort, the test device wraps the
// module emulator. All calls come from the thread that owns the device. A failing call returns
// false (or an empty optional / -1) and leaves the system's error number in errorCode().
class SerialDevice : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;
    ~SerialDevice() override = default;

    // Names of the serial ports present on the system, unsorted.
    virtual std::optional<QStringList> availablePorts() = 0;
    // What the system tells about its ports (adapter, maker, serial number), by name; ports it
    // tells nothing about are missing.
    virtual QHash<QString, QString> portDescriptions() { return {}; }

    // Opens the named port for exclusive use in raw 8N1 mode without flow control.
    virtual bool open(const QString &portName) = 0;
    // Closes the port; any unread input is lost. Closing a closed device does nothing.
    virtual void close() = 0;
    virtual bool isOpen() const = 0;

    // Applies the line settings (baud rate, 8 data bits, no parity, 1 stop bit, no flow control).
    virtual bool setBaudRate(qint32 baud) = 0;
    // Modem lines. A device without modem lines (a pseudo-terminal) keeps the state and succeeds.
    virtual bool setDtr(bool asserted) = 0;
    virtual bool setRts(bool asserted) = 0;

    // Hands every byte to the device before returning, or gives up after timeoutMs. Returns the
    // count handed over, -1 on failure.
    virtual qint64 write(const QByteArray &data, int timeoutMs) = 0;
    // Returns up to maxBytes: as soon as maxBytes are there, otherwise when timeoutMs has passed
    // since the call, with whatever arrived (possibly nothing). Blocks meanwhile without running
    // the event loop's handlers. Empty optional on failure.
    virtual std::optional<QByteArray> read(qint64 maxBytes, int timeoutMs) = 0;
    // Number of received bytes waiting, -1 on failure.
    virtual qint64 bytesAvailable() = 0;
    // Discards unread input and/or untransmitted output. Output still on its way must not be cut:
    // only bytes that are really still queued may be dropped.
    virtual bool clear(bool input, bool output) = 0;

    virtual int errorCode() const = 0;

    // Bytes still waiting to go out on the line, -1 where the device cannot tell (a
    // pseudo-terminal has no transmitter).
    virtual qint64 outputQueue() { return -1; }

signals:
    // New bytes may be waiting. Emitted on the owner's thread, never from inside read().
    void bytesArrived();
    // The device went away (cable pulled, other side of a pseudo-terminal closed). The device has
    // closed itself already; emitted once per loss.
    void deviceLost(PortOperation operation, int errorCode);
};
