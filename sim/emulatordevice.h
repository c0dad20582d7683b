#pragma once

#include "link/serialdevice.h"
#include "moduleemulator.h"

#include <QElapsedTimer>
#include <QHash>
#include <QStringList>

#include <memory>

class QTimer;

// One thing that happened on the emulated line, in the order the program did it.
struct LineEvent {
    enum Kind { Open, Close, Dtr, Rts, Baud, Write, Clear };
    Kind kind;
    double atMs;
    int value = 0;    // Dtr/Rts: 0 or 1; Baud: the rate; Clear: 1 input, 2 output, 3 both
    QByteArray bytes; // Write: the bytes written
    QString portName; // Open: the name opened

    // "open COM3", "close", "dtr 1", "rts 0", "baud 19200", "write B0 00 01", "clear in out".
    QString toString() const;
};

// A serial device with a module emulator on the other end of the line, running in real time.
// The module powers up when the port opens (DTR is raised with it) and loses power when it
// closes or DTR drops. Bytes the module sends enter the input buffer only when their time has
// come; bytesArrived is announced from a timer on the owner's thread.
class EmulatorDevice : public SerialDevice
{
    Q_OBJECT
public:
    explicit EmulatorDevice(const EmulatorConfig &config = {}, QObject *parent = nullptr);
    // Shares a module with other devices (one module kept across several program runs).
    explicit EmulatorDevice(std::shared_ptr<ModuleEmulator> emulator, QObject *parent = nullptr);
    ~EmulatorDevice() override;

    ModuleEmulator &emulator() { return *m_emulator; }
    std::shared_ptr<ModuleEmulator> sharedEmulator() const { return m_emulator; }
    // The cable is re-plugged into another module. An open line is closed first.
    void plugInto(std::shared_ptr<ModuleEmulator> emulator);

    // Every write, in order.
    QList<QByteArray> frames() const;
    // Every line event and write, in order.
    const QList<LineEvent> &lineEvents() const { return m_events; }
    QStringList lineEventTexts() const;
    void clearRecords() { m_events.clear(); }

    // Ports the system offers (default COM1, COM3, COM10); a missing one fails to open with
    // ENOENT, a busy one with EBUSY.
    void setAvailablePorts(const QStringList &names) { m_ports = names; }
    void setMissingPorts(const QStringList &names) { m_missing = names; }
    void setBusyPorts(const QStringList &names) { m_busy = names; }
    // The next call of the operation fails with the error number (Open, Write, Read, Purge,
    // LineSettings, InputCount, ListPorts).
    void failNext(PortOperation operation, int errorCode);
    // Each write returns only this long after its bytes went out, as a drain on a busy machine
    // does; what the module answers meanwhile waits in the input buffer.
    void setWriteDurationMs(double ms) { m_writeDurationMs = ms; }
    // The next read comes back this long after it has taken its bytes, as a thread that the
    // system does not run meanwhile: the PC is late. What the module sends in that time waits
    // in the input buffer.
    void delayNextReadReturn(double ms) { m_nextReadReturnDelayMs = ms; }
    // Each open comes back this long after the line opened (the module powers up at the open).
    void setOpenReturnDelayMs(double ms) { m_openReturnDelayMs = ms; }
    // The cable is pulled: the device closes and reports the loss once.
    void simulateLoss(PortOperation operation = PortOperation::Read, int errorCode = 5 /*EIO*/);

    // Milliseconds since the device was made, the time base of the records and the emulator.
    double nowMs() const;
    // Counts the time on the clock given instead: devices made one after the other for one
    // module (a port opened by several threads in turn) hand it a time that never goes back.
    void setClock(const QElapsedTimer &clock) { m_clock = clock; }

    std::optional<QStringList> availablePorts() override;
    bool open(const QString &portName) override;
    void close() override;
    bool isOpen() const override { return m_open; }
    bool setBaudRate(qint32 baud) override;
    bool setDtr(bool asserted) override;
    bool setRts(bool asserted) override;
    qint64 write(const QByteArray &data, int timeoutMs) override;
    std::optional<QByteArray> read(qint64 maxBytes, int timeoutMs) override;
    qint64 bytesAvailable() override;
    bool clear(bool input, bool output) override;
    int errorCode() const override { return m_errorCode; }
    // The bytes still leaving the PC's transmitter at the line's rate.
    qint64 outputQueue() override;

private:
    void record(LineEvent::Kind kind, int value = 0, const QByteArray &bytes = {},
                const QString &portName = {});
    bool injectedFailure(PortOperation operation);
    void pump();
    void scheduleArrival();
    void announceArrival();

    std::shared_ptr<ModuleEmulator> m_emulator;
    QElapsedTimer m_clock;
    QTimer *m_arrivalTimer;
    QByteArray m_input;
    bool m_unannounced = false;
    bool m_open = false;
    bool m_dtr = false;
    bool m_rts = false;
    qint32 m_baud = 9600;
    double m_txBusyUntilMs = 0;
    double m_writeDurationMs = 0;
    double m_nextReadReturnDelayMs = 0;
    double m_openReturnDelayMs = 0;
    int m_errorCode = 0;
    QList<LineEvent> m_events;
    QStringList m_ports{QStringLiteral("COM1"), QStringLiteral("COM3"), QStringLiteral("COM10")};
    QStringList m_missing;
    QStringList m_busy;
    QHash<int, int> m_failNext;
};
