#include "simports.h"

#include "emulatordevice.h"
#include "simoptions.h"

#include "link/comport.h"
#include "link/systemserialdevice.h"

#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QMutex>

#include <cerrno>
#include <cstdio>
#include <memory>

namespace
{

const QString kPrefix = QStringLiteral("sim:");

struct SimModule {
    std::shared_ptr<ModuleEmulator> emulator;
    QElapsedTimer clock; // the module's time, whichever device drives it
    std::shared_ptr<std::FILE> log;
};

// The module of the name, made at its first use; null (with the reason) when korvel-sim would
// refuse the options.
std::shared_ptr<SimModule> moduleFor(const QString &name, QString *error)
{
    static QMutex mutex;
    static QHash<QString, std::shared_ptr<SimModule>> modules;
    const QMutexLocker lock(&mutex);
    if (const auto found = modules.constFind(name); found != modules.constEnd())
        return *found;

    QStringList arguments = name.mid(kPrefix.size()).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    QString logPath;
    if (const qsizetype at = arguments.indexOf(QStringLiteral("--log")); at >= 0) {
        logPath = arguments.value(at + 1);
        arguments.remove(at, std::min<qsizetype>(2, arguments.size() - at));
    }
    const SimOptions options = parseSimOptions(arguments);
    if (!options.error.isEmpty() || options.help || options.version || logPath.startsWith('-')) {
        *error = options.error.isEmpty() ? QStringLiteral("not a module: ") + name : options.error;
        return {};
    }
    auto module = std::make_shared<SimModule>();
    module->emulator = std::make_shared<ModuleEmulator>(options.config);
    module->clock.start();
    if (!logPath.isEmpty()) {
        module->log.reset(std::fopen(QFile::encodeName(logPath).constData(), "a"), std::fclose);
        if (!module->log) {
            *error = QStringLiteral("cannot write the log ") + logPath;
            return {};
        }
    }
    // Each line at once: a test reads the log while the program runs.
    applySimOptions(*module->emulator, options, [log = module->log](const QString &line) {
        if (!log)
            return;
        std::fprintf(log.get(), "%s\n", line.toLocal8Bit().constData());
        std::fflush(log.get());
    });
    modules.insert(name, module);
    return module;
}

// The system's serial port, or the emulated module for a "sim:" name, chosen at each open.
class SimPortDevice : public SerialDevice
{
public:
    SimPortDevice() : m_system(makeSystemSerialDevice()), m_active(m_system.get())
    {
        adopt(*m_system);
    }

    std::optional<QStringList> availablePorts() override { return m_system->availablePorts(); }
    QHash<QString, QString> portDescriptions() override { return m_system->portDescriptions(); }

    bool open(const QString &portName) override
    {
        m_errorCode = 0;
        if (!SimPorts::isSimPort(portName)) {
            m_active = m_system.get();
            return m_system->open(portName);
        }
        if (!m_emulated || m_emulatedName != portName) {
            QString error;
            const std::shared_ptr<SimModule> module = moduleFor(portName, &error);
            if (!module) {
                std::fprintf(stderr, "korvel-sim: %s\n", error.toLocal8Bit().constData());
                m_errorCode = EINVAL;
                return false;
            }
            m_emulated = std::make_unique<EmulatorDevice>(module->emulator);
            m_emulated->setClock(module->clock);
            m_emulatedName = portName;
            adopt(*m_emulated);
        }
        m_active = m_emulated.get();
        return m_emulated->open(portName);
    }
    void close() override { m_active->close(); }
    bool isOpen() const override { return m_active->isOpen(); }
    bool setBaudRate(qint32 baud) override { return m_active->setBaudRate(baud); }
    bool setDtr(bool asserted) override { return m_active->setDtr(asserted); }
    bool setRts(bool asserted) override { return m_active->setRts(asserted); }
    qint64 write(const QByteArray &data, int timeoutMs) override
    {
        return m_active->write(data, timeoutMs);
    }
    std::optional<QByteArray> read(qint64 maxBytes, int timeoutMs) override
    {
        return m_active->read(maxBytes, timeoutMs);
    }
    qint64 bytesAvailable() override { return m_active->bytesAvailable(); }
    bool clear(bool input, bool output) override { return m_active->clear(input, output); }
    int errorCode() const override { return m_errorCode ? m_errorCode : m_active->errorCode(); }
    qint64 outputQueue() override { return m_active->outputQueue(); }

private:
    void adopt(SerialDevice &device)
    {
        connect(&device, &SerialDevice::bytesArrived, this, &SerialDevice::bytesArrived);
        connect(&device, &SerialDevice::deviceLost, this, &SerialDevice::deviceLost);
    }

    std::unique_ptr<SerialDevice> m_system;
    std::unique_ptr<EmulatorDevice> m_emulated;
    QString m_emulatedName;
    SerialDevice *m_active;
    int m_errorCode = 0;
};

} // namespace

bool SimPorts::isSimPort(const QString &name)
{
    return name.startsWith(kPrefix);
}

void SimPorts::install()
{
    ComPort::setDeviceFactoryForTest([] { return std::make_unique<SimPortDevice>(); });
}
