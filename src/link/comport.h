#pragma once

#include "link/serialdevice.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>
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

QString portErrorText(PortOperation operation, int errorCode);

// The program's one serial port: fixed line settings 8N1 without flow control, a blocking read
// bounded by a total timeout, and the bytes-received event delivered on the UI thread only while
// bytes are still waiting. Failing operations throw PortError.
class ComPort : public QObject
{
    Q_OBJECT
public:
    using DeviceFactory = std::function<std::unique_ptr<SerialDevice>()>;

    static constexpr int kWriteTimeoutMs = 1000;

    explicit ComPort(QObject *parent = nullptr);
    ~ComPort() override;

    // Replaces the device every ComPort created afterwards talks to (tests use the emulator).
    // An empty factory restores the real serial port.
    static void setDeviceFactoryForTest(DeviceFactory factory);

    // The system's serial ports, sorted as text without regard to case.
    QStringList listPorts();

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
    QByteArray read(int count);
    void clearBuffers(bool input, bool output);
    int inputCount();

    SerialDevice *device() const { return m_device.get(); }

signals:
    void bytesReceived(int count);
    // The transmit buffer has run empty: raised on the line's baud clock after every write.
    void outputEmpty();
    // The device went away outside any operation; the port is closed already.
    void failed(const QString &text);

private:
    void scheduleReceivedCheck();
    void deliverReceived();

    std::unique_ptr<SerialDevice> m_device;
    TxEmptyClock *m_txClock;
    QString m_portName = QStringLiteral("COM1");
    qint32 m_baudRate = 19200;
    bool m_rts = false;
    int m_readTimeoutMs = 1000;
    bool m_checkPending = false;
};
