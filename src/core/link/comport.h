#pragma once

#include "link/serialdevice.h"

#include <QHash>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>

class TxEmptyClock;

// A failing operation of the serial port: the text names the operation and carries the
// system's error number, as the user sees it in the message box.
class PortError : public std::runtime_error
{
public:
    PortError(PortOperation operation, int errorCode);
    PortOperation operation() const { return m_operation; }
    int errorCode() const { return m_errorCode; }
    QString text() const { return QString::fromUtf8(what()); }

private:
    PortOperation m_operation;
    int m_errorCode;
};

// The operation's text with the system's error number, and on a line of its own what the system
// said and what the user can do, where that is known.
QString portErrorText(PortOperation operation, int errorCode);
// That line alone: "Permission denied: add your user to the group dialout ...", or empty.
QString portErrorHint(int errorCode);

// The program's one serial port: fixed line settings 8N1 without flow control, a read bounded by
// a total timeout, and the bytes-received event delivered on the UI thread only while bytes are
// still waiting. Failing operations throw PortError.
//
// A read waits in slices and lets the window paint between them (LineWait); the port's own
// events that come due meanwhile are handed on only after the wait, so that no handler talks to
// the module in the middle of an exchange.
class ComPort : public QObject
{
    Q_OBJECT
public:
    using DeviceFactory = std::function<std::unique_ptr<SerialDevice>()>;

    static constexpr int kWriteTimeoutMs = 1000;
    static constexpr int kInputBufferBytes = 1024;

    explicit ComPort(QObject *parent = nullptr);
    ~ComPort() override;

    // Replaces the device every ComPort created afterwards talks to (tests use the emulator).
    // An empty factory restores the real serial port.
    static void setDeviceFactoryForTest(DeviceFactory factory);

    // The system's serial ports, sorted as text without regard to case.
    QStringList listPorts();
    // What the system says about its ports (adapter, maker, serial number), by port name.
    QHash<QString, QString> portDescriptions();

    void setPortName(const QString &name);
    QString portName() const { return m_portName; }
    void setBaudRate(qint32 baud);
    qint32 baudRate() const { return m_baudRate; }
    void setRts(bool asserted);
    bool rts() const { return m_rts; }
    void setReadTimeout(int ms) { m_readTimeoutMs = ms; }
    int readTimeout() const { return m_readTimeoutMs; }

    void open();
    void close();
    bool isOpen() const;

    qint64 write(const QByteArray &bytes);
    // Up to count bytes: as soon as they are there, otherwise when the read timeout has passed.
    // Bytes that have come by the time the read notices its deadline still count, however late
    // the PC gets there.
    QByteArray read(int count);
    // The bytes received so far, up to maxBytes, without waiting.
    QByteArray takeWaiting(int maxBytes = kInputBufferBytes);
    // Hands bytes taken from the input back: the next read or clear gets them first.
    void giveBack(const QByteArray &bytes);
    void clearBuffers(bool input, bool output);
    int inputCount();

    SerialDevice *device() const { return m_device.get(); }

    // One operation of the program on the module (a click's handler, from its first frame to
    // its last message). A loss of the port noticed meanwhile is reported once, when the
    // outermost operation has ended, unless the operation meets the closed port first: then the
    // failing call throws the loss, and whoever shows that failure has reported it.
    class Operation
    {
    public:
        explicit Operation(ComPort &port) : m_port(port) { ++m_port.m_operations; }
        ~Operation();
        Operation(const Operation &) = delete;
        Operation &operator=(const Operation &) = delete;

    private:
        ComPort &m_port;
    };

signals:
    void bytesReceived(int count);
    // The transmit buffer has run empty: raised on the line's baud clock after every write.
    void outputEmpty();
    // The device went away and no operation met the closed port: emitted once no operation
    // and no wait runs any more. The port is closed already.
    void failed(const QString &text);

private:
    // Reads from the device; its failure is thrown.
    QByteArray deviceRead(int count, int timeoutMs);
    void scheduleReceivedCheck();
    void deliverReceived();
    void deliverOutputEmpty();
    void deviceLost(PortOperation operation, int code);
    // Emits failed for a loss that nobody has met, once no operation and no wait runs.
    void reportHeldFailure();
    // The failure of an operation on a port that is not open: the loss that closed it while a
    // wait or an operation held its report back, or "not open".
    PortError notOpen(PortOperation operation);

    std::unique_ptr<SerialDevice> m_device;
    TxEmptyClock *m_txClock;
    QString m_portName = QStringLiteral("COM1");
    qint32 m_baudRate = 19200;
    bool m_rts = false;
    int m_readTimeoutMs = 1000;
    bool m_checkPending = false;
    bool m_receivedHeld = false;
    bool m_outputEmptyHeld = false;
    struct HeldFailure {
        PortOperation operation;
        int code;
    };
    std::optional<HeldFailure> m_heldFailure;
    // Bytes taken from the device and handed back, ahead of what the device holds.
    QByteArray m_givenBack;
    int m_operations = 0;
};
