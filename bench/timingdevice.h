#pragma once
// The real serial device with a stopwatch: it notes when each single "L" is written and when the
// next read starts, so a benchmark can measure LinkControl's send-to-read time, the span the
// module has for its answer, apart from the work the cycle does after the read.

#include "link/comport.h"
#include "link/serialdevice.h"
#include "link/systemserialdevice.h"

#include <QElapsedTimer>

#include <memory>
#include <vector>

namespace bench
{

class TimingDevice : public SerialDevice
{
public:
    // Shared with the benchmark, which reads it after the run.
    struct Record {
        QElapsedTimer clock;
        std::vector<double> sendToReadMs;
        double lastSendMs = -1;
    };

    explicit TimingDevice(std::shared_ptr<Record> record)
        : m_real(makeSystemSerialDevice()), m_record(std::move(record))
    {
        connect(m_real.get(), &SerialDevice::bytesArrived, this, &SerialDevice::bytesArrived);
        connect(m_real.get(), &SerialDevice::deviceLost, this, &SerialDevice::deviceLost);
    }

    // Every ComPort made afterwards gets a timing device that writes into record.
    static void install(const std::shared_ptr<Record> &record)
    {
        record->clock.start();
        ComPort::setDeviceFactoryForTest(
            [record] { return std::make_unique<TimingDevice>(record); });
    }

    std::optional<QStringList> availablePorts() override { return m_real->availablePorts(); }
    QHash<QString, QString> portDescriptions() override { return m_real->portDescriptions(); }
    bool open(const QString &portName) override { return m_real->open(portName); }
    void close() override { m_real->close(); }
    bool isOpen() const override { return m_real->isOpen(); }
    bool setBaudRate(qint32 baud) override { return m_real->setBaudRate(baud); }
    bool setDtr(bool asserted) override { return m_real->setDtr(asserted); }
    bool setRts(bool asserted) override { return m_real->setRts(asserted); }
    qint64 write(const QByteArray &data, int timeoutMs) override
    {
        if (data == "L")
            m_record->lastSendMs = now();
        return m_real->write(data, timeoutMs);
    }
    std::optional<QByteArray> read(qint64 maxBytes, int timeoutMs) override
    {
        if (m_record->lastSendMs >= 0) {
            m_record->sendToReadMs.push_back(now() - m_record->lastSendMs);
            m_record->lastSendMs = -1;
        }
        return m_real->read(maxBytes, timeoutMs);
    }
    qint64 bytesAvailable() override { return m_real->bytesAvailable(); }
    bool clear(bool input, bool output) override { return m_real->clear(input, output); }
    int errorCode() const override { return m_real->errorCode(); }
    qint64 outputQueue() override { return m_real->outputQueue(); }

private:
    double now() const { return m_record->clock.nsecsElapsed() / 1e6; }

    std::unique_ptr<SerialDevice> m_real;
    std::shared_ptr<Record> m_record;
};

} // namespace bench
