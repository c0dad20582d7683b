#pragma once

#include "link/serialdevice.h"

#include <QSerialPort>

#include <algorithm>

// The text that describes a port in the port list: what the adapter calls itself, its maker
// unless already named, its serial number and USB identifiers (vendorId/productId -1 when
// unknown), e.g. "FT232R USB UART, FTDI, serial number A10K3ZQ1, USB 0403:6001". Empty when the
// system knows nothing (an on-board port without a driver description).
QString describeSerialPort(const QString &description, const QString &manufacturer,
                           const QString &serialNumber, int vendorId, int productId);

// The serial device of the operating system over QSerialPort.
//
// Port names are the system locations of the ports ("/dev/ttyS0", "/dev/ttyUSB0"); open() also
// accepts any other path of a terminal device, a pseudo-terminal such as "/dev/pts/5" included,
// and bare names such as "ttyS0", which are looked up in /dev.
//
// A device without modem lines (a pseudo-terminal) is recognised when it opens; RTS and DTR are
// then only remembered. A write error, or a read or resource error while the line has hung up,
// means the device has gone: outside a call the port closes and deviceLost is emitted once;
// inside a call the call fails instead (and the port closes as well). A read that merely finds
// no bytes while the line is up is no failure.
class QSerialPortDevice : public SerialDevice
{
    Q_OBJECT
public:
    explicit QSerialPortDevice(QObject *parent = nullptr);
    ~QSerialPortDevice() override;

    std::optional<QStringList> availablePorts() override;
    QHash<QString, QString> portDescriptions() override;
    bool open(const QString &portName) override;
    void close() override;
    bool isOpen() const override;
    bool setBaudRate(qint32 baud) override;
    bool setDtr(bool asserted) override;
    bool setRts(bool asserted) override;
    qint64 write(const QByteArray &data, int timeoutMs) override;
    std::optional<QByteArray> read(qint64 maxBytes, int timeoutMs) override;
    qint64 bytesAvailable() override;
    bool clear(bool input, bool output) override;
    int errorCode() const override { return m_errorCode; }
    // A pseudo-terminal (no modem lines) has no transmitter whose queue it could tell.
    qint64 outputQueue() override
    {
        return m_hasModemLines ? m_port->bytesToWrite() + std::max(0, driverOutputQueue()) : -1;
    }

    // The line states as last set (the device's state when it has modem lines).
    bool dtr() const { return m_dtr; }
    bool rts() const { return m_rts; }
    // Whether the open device has RTS and DTR lines; false while closed.
    bool hasModemLines() const { return m_hasModemLines; }

private:
    // Marks the span of a call: errors reported inside it are the call's failure, and received
    // bytes are announced only after it.
    class CallScope;

    void onReadyRead();
    void scheduleArrivalCheck();
    void announceWaitingBytes();
    bool applyModemLines();
    // Bytes still in the driver's transmit queue, -1 where the device cannot tell.
    int driverOutputQueue() const;
    // Bytes received by the driver that the port has not fetched yet.
    int driverInputQueue() const;

    // Loss detection (qserialportdevice_loss.cpp).
    void onErrorOccurred(QSerialPort::SerialPortError error);
    void handleIdleLoss();
    void resumeAfterEmptyRead();
    // Closes the port if the device has gone and keeps the loss's error number; false otherwise.
    bool takeLoss();
    // Fails the call with the port's error, or with the loss if the device has gone.
    bool failWithPortError();

    QSerialPort *m_port;
    // The handle that keeps other programs off the device while it is open (-1: none).
    int m_lock = -1;
    int m_errorCode = 0;
    int m_lastPortErrno = 0;
    bool m_dtr = true;
    bool m_rts = false;
    bool m_hasModemLines = false;
    int m_callDepth = 0;
    bool m_lost = false;
    PortOperation m_lostOperation = PortOperation::AsyncStatus;
    int m_lostCode = 0;
    bool m_idleLossPending = false;
    bool m_arrivalCheckPending = false;
    bool m_resumePending = false;
};
