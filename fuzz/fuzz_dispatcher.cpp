// The command transaction and the response dispatcher against a scripted device: the input is
// a script of frames sent, answers and reports received, failing port operations and changes of
// the window's state. Nothing may crash, hang or grow without bound.
#include "link/comport.h"
#include "link/exchangelog.h"
#include "link/modulelink.h"

#include <QCoreApplication>

#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <deque>

namespace
{

// A serial device whose other end answers each written frame with the next scripted answer.
class ScriptedDevice : public SerialDevice
{
public:
    std::deque<QByteArray> answers;
    QByteArray input;
    int failNext = -1; // PortOperation of the next call that fails

    std::optional<QStringList> availablePorts() override { return QStringList{"COM1"}; }
    bool open(const QString &) override { return !failing(PortOperation::Open) && (m_open = true); }
    void close() override { m_open = false; }
    bool isOpen() const override { return m_open; }
    bool setBaudRate(qint32) override { return !failing(PortOperation::LineSettings); }
    bool setDtr(bool) override { return true; }
    bool setRts(bool) override { return true; }
    qint64 write(const QByteArray &data, int) override
    {
        if (failing(PortOperation::Write))
            return -1;
        m_answerDue = true;
        return data.size();
    }
    std::optional<QByteArray> read(qint64 maxBytes, int) override
    {
        if (failing(PortOperation::Read))
            return std::nullopt;
        arrive();
        const QByteArray out = input.left(maxBytes);
        input.remove(0, out.size());
        return out;
    }
    qint64 bytesAvailable() override
    {
        if (failing(PortOperation::InputCount))
            return -1;
        arrive();
        return input.size();
    }
    bool clear(bool in, bool) override
    {
        if (failing(PortOperation::Purge))
            return false;
        if (in)
            input.clear();
        return true;
    }
    int errorCode() const override { return 5; }

private:
    // The answer to the last frame arrives after whatever was cleared before it.
    void arrive()
    {
        if (!m_answerDue)
            return;
        m_answerDue = false;
        if (!answers.empty()) {
            input += answers.front();
            answers.pop_front();
        }
    }
    bool failing(PortOperation operation)
    {
        if (failNext != int(operation))
            return false;
        failNext = -1;
        return true;
    }

    bool m_open = false;
    bool m_answerDue = false;
};

struct FuzzHost : DispatchHost {
    QString letter = QStringLiteral("B");
    QString caldata = QStringLiteral("OK");
    bool linkControl = false;

    QString softwareTypeLetter() const override { return letter; }
    void setSoftwareTypeLetter(const QString &text) override { letter = text; }
    QString calibrationStatus() const override { return caldata; }
    void setCalibrationStatus(const QString &text) override { caldata = text; }
    void showRecalibrationStatus(const QString &) override {}
    void showMaximumRssi(int) override {}
    void moduleWokeUp(bool) override {}
    bool linkControlRunning() const override { return linkControl; }
};

QByteArray bytesOf(FuzzedDataProvider &input, size_t most)
{
    const std::vector<char> bytes =
        input.ConsumeBytes<char>(input.ConsumeIntegralInRange<size_t>(0, most));
    return QByteArray(bytes.data(), qsizetype(bytes.size()));
}

} // namespace

// The log's display: every write pairs each frame's line with its answer's line.
struct PairedPanes : ExchangeLogPanes {
    void write(const QStringList &txLines, const QStringList &rxLines) override
    {
        if (txLines.size() != rxLines.size())
            __builtin_trap();
    }
    void clear() override {}
    void showLatest() override {}
};

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    static QCoreApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider input(data, size);
    ScriptedDevice *device = nullptr;
    ComPort::setDeviceFactoryForTest([&device] {
        auto made = std::make_unique<ScriptedDevice>();
        device = made.get();
        return made;
    });
    ComPort port;
    ComPort::setDeviceFactoryForTest({});
    FuzzHost host;
    PairedPanes panes;
    ExchangeLog log(&panes);
    ModuleLink link(port, host, log);
    port.open();
    link.state().retryCounter = 5;

    static const char *const kLetters[] = {"B", "C", "x", "", "r", "@", "Bx"};
    while (input.remaining_bytes() > 0) {
        try {
            switch (input.ConsumeIntegralInRange<int>(0, 8)) {
            case 0:
            case 1: { // a frame with the module's answer to it
                const quint8 code = input.ConsumeIntegral<quint8>();
                const quint8 param = input.ConsumeIntegral<quint8>();
                for (int i = input.ConsumeIntegralInRange<int>(1, 3); i > 0; --i)
                    device->answers.push_back(bytesOf(input, 8));
                link.transaction(code, param);
                break;
            }
            case 2: // a report between exchanges
                device->input += bytesOf(input, 6);
                link.receiveHandler();
                break;
            case 3: // an answer read without a frame (the start-up report)
                device->input += bytesOf(input, 6);
                link.dispatchAnswer();
                break;
            case 4:
                host.letter =
                    QString::fromLatin1(kLetters[input.ConsumeIntegralInRange<int>(0, 6)]);
                break;
            case 5:
                host.caldata = input.ConsumeBool() ? QString() : QStringLiteral("OK");
                host.linkControl = input.ConsumeBool();
                break;
            case 6:
                device->failNext =
                    input.ConsumeIntegralInRange<int>(0, int(PortOperation::ListPorts));
                break;
            case 7: // the caller's retry pattern starts over
                link.state().errorFlag = false;
                link.state().retryCounter = input.ConsumeIntegral<quint8>();
                break;
            case 8:
                if (!port.isOpen())
                    port.open();
                break;
            }
        } catch (const PortError &) {
            // A failing port ends the handler; the window shows the text.
        }
        (void)link.answerByte(input.ConsumeIntegralInRange<int>(0, 4));
        // Between two handlers the window's event loop runs.
        QCoreApplication::sendPostedEvents();
    }
    log.flush();
    return 0;
}
