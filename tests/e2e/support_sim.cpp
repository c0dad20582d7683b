#include "support_sim.h"

#include "emulatordevice.h"
#include "link/comport.h"
#include "texts/messages.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <QHash>

#include <utility>

namespace
{

// The in-process modules by the names that reach them.
QHash<QString, std::weak_ptr<ModuleEmulator>> &inProcessModules()
{
    static QHash<QString, std::weak_ptr<ModuleEmulator>> modules;
    return modules;
}

// A window's line to the in-process module that the opened name stands for.
class InProcessLine : public EmulatorDevice
{
public:
    InProcessLine() { lines().append(this); }
    ~InProcessLine() override { lines().removeOne(this); }
    static QList<InProcessLine *> &lines()
    {
        static QList<InProcessLine *> all;
        return all;
    }

    bool open(const QString &portName) override
    {
        const std::shared_ptr<ModuleEmulator> module = inProcessModules().value(portName).lock();
        setMissingPorts(module ? QStringList{} : QStringList{portName});
        if (module && module != sharedEmulator())
            plugInto(module);
        return EmulatorDevice::open(portName);
    }
};

} // namespace

bool InProcessSim::start(const QStringList &arguments)
{
    static int started = 0;
    const SimOptions options = parseSimOptions(arguments);
    m_error = options.error;
    if (!m_error.isEmpty())
        return false;
    m_module = std::make_shared<ModuleEmulator>(options.config);
    applySimOptions(*m_module, options, [this](const QString &line) { m_log += line + '\n'; });
    m_path = QStringLiteral("korvel-sim-in-process-%1").arg(++started);
    inProcessModules().insert(m_path, m_module);
    return true;
}

void InProcessSim::stop()
{
    if (!m_module)
        return;
    inProcessModules().remove(m_path);
    for (InProcessLine *line : InProcessLine::lines()) {
        if (line->isOpen() && line->sharedEmulator() == m_module)
            line->simulateLoss();
    }
    m_module->setLogCallback({});
    m_module->setEepromWrittenCallback({});
    m_module.reset();
}

QString InProcessSim::log()
{
    return std::exchange(m_log, QString());
}

SimWindow::SimWindow(Line line, std::function<void(const QString &text)> onMessage)
{
    Messages::setPresenterForTest(
        [this, onMessage = std::move(onMessage)](Messages::Kind, const QString &text) {
            messages << text;
            if (onMessage)
                onMessage(text);
            return true;
        });
    // The window takes its line when it is made; a test's own line factory stays as it was.
    if (line == InProcess) {
        ComPort::setDeviceFactoryForTest([] { return std::make_unique<InProcessLine>(); });
        form = std::make_unique<TForm1>(dir.path());
        ComPort::setDeviceFactoryForTest({});
    } else {
        form = std::make_unique<TForm1>(dir.path());
    }
    form->setLanguageIndex(1);
}

SimWindow::~SimWindow()
{
    // Whatever the window says while it closes is still recorded.
    form.reset();
    Messages::setPresenterForTest({});
}

QPushButton *SimWindow::button(const char *name) const
{
    return find<QPushButton>(name);
}

QComboBox *SimWindow::combo(const char *name) const
{
    return find<QComboBox>(name);
}

QString SimWindow::text(const char *name) const
{
    return find<QLineEdit>(name)->text();
}

void SimWindow::choose(const char *name, const QString &item) const
{
    choose(name, combo(name)->findText(item));
}

void SimWindow::choose(const char *name, int index) const
{
    auto *box = combo(name);
    box->setCurrentIndex(index);
    emit box->activated(index);
}

void SimWindow::connectTo(const QString &path, const QString &baud) const
{
    auto *port = combo("CBox_COM");
    port->lineEdit()->clear();
    QTest::keyClicks(port->lineEdit(), path);
    choose("CBox_RS232_baud", baud);
    button("BtnVerbinden")->click();
}
