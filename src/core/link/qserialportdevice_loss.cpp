// How the QSerialPort adapter tells a device that has gone from a read that merely found nothing,
// and how a loss is reported: by the call that meets it, or once outside any call.
#include "link/platform.h"
#include "link/qserialportdevice.h"

void QSerialPortDevice::onErrorOccurred(QSerialPort::SerialPortError error)
{
    const int captured = SerialPlatform::lastError();
    if (error == QSerialPort::NoError)
        return;
    m_lastPortErrno = SerialPlatform::serialErrorNumber(error, captured);
    if (error != QSerialPort::ReadError && error != QSerialPort::WriteError &&
        error != QSerialPort::ResourceError) {
        return;
    }
    // A read that finds no bytes (they were taken or cleared after the notification) is no loss
    // while the line is still up: the port goes on listening.
    if (error != QSerialPort::WriteError && m_port->isOpen() &&
        !SerialPlatform::lineHungUp(*m_port)) {
        m_lastPortErrno = 0;
        if (!m_resumePending) {
            m_resumePending = true;
            QMetaObject::invokeMethod(this, &QSerialPortDevice::resumeAfterEmptyRead,
                                      Qt::QueuedConnection);
        }
        return;
    }
    // A vanished device keeps raising read errors while the port stays open; the first one
    // counts, and the port closes as soon as control is back outside Qt's notification.
    if (m_lost || !m_port->isOpen())
        return;
    m_lost = true;
    m_lostCode = m_lastPortErrno;
    m_lostOperation =
        error == QSerialPort::WriteError ? PortOperation::Write : PortOperation::AsyncStatus;
    if (m_callDepth == 0 && !m_idleLossPending) {
        m_idleLossPending = true;
        QMetaObject::invokeMethod(this, &QSerialPortDevice::handleIdleLoss, Qt::QueuedConnection);
    }
}

void QSerialPortDevice::resumeAfterEmptyRead()
{
    m_resumePending = false;
    if (!m_port->isOpen() || m_lost)
        return;
    const auto error = m_port->error();
    if (error == QSerialPort::ReadError || error == QSerialPort::ResourceError)
        m_port->clearError();
    // Qt stops watching the port after a read that failed; this starts it again.
    m_port->setReadBufferSize(0);
    if (bytesAvailable() > 0)
        scheduleArrivalCheck();
}

void QSerialPortDevice::handleIdleLoss()
{
    m_idleLossPending = false;
    // A call that came first has reported the loss already.
    if (!m_lost || m_callDepth > 0)
        return;
    const PortOperation operation = m_lostOperation;
    const int code = m_lostCode;
    close();
    m_errorCode = code;
    emit deviceLost(operation, code);
}

bool QSerialPortDevice::takeLoss()
{
    if (!m_lost)
        return false;
    const int code = m_lostCode;
    close();
    m_errorCode = code;
    return true;
}

bool QSerialPortDevice::failWithPortError()
{
    // A failure that shows the device has gone closes the port like any loss.
    if (takeLoss())
        return false;
    m_errorCode = m_lastPortErrno != 0 ? m_lastPortErrno
                                       : SerialPlatform::serialErrorNumber(m_port->error(), 0);
    return false;
}
