#pragma once
// What the benchmarks share: korvel-sim on a pseudo-terminal, the process's CPU time and the
// tool's window connected as a user connects it.

#include "link/comport.h"
#include "link/exchangelog.h"
#include "link/modulelink.h"
#include "texts/messages.h"
#include "window/debugpanes.h"
#include "window/tform1.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QString>
#include <QStringList>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QThread>

#include <cstdio>
#include <memory>

#include <sys/resource.h>

namespace bench
{

// Widgets need a platform, not a screen: offscreen unless QT_QPA_PLATFORM names another.
inline void preferOffscreenPlatform()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

// korvel-sim from KORVEL_SIM, or beside the benchmark's folder.
inline QString simProgram()
{
    return qEnvironmentVariable("KORVEL_SIM", QCoreApplication::applicationDirPath() +
                                                  QStringLiteral("/../korvel-sim"));
}

// Starts korvel-sim and returns the device path it prints first; empty when it did not start.
inline QString startSim(QProcess &sim, const QStringList &arguments,
                        const QString &program = simProgram())
{
    sim.start(program, arguments);
    if (!sim.waitForStarted(5000))
        return {};
    QDeadlineTimer deadline(5000);
    while (!sim.canReadLine() && !deadline.hasExpired())
        sim.waitForReadyRead(100);
    return QString::fromLocal8Bit(sim.readLine()).trimmed();
}

// korvel-sim started with arguments, or an empty path after saying on standard error that it
// did not start.
inline QString startSimOrSay(QProcess &sim, const QStringList &arguments = {})
{
    const QString program = simProgram();
    const QString path = startSim(sim, arguments, program);
    if (path.isEmpty())
        std::fprintf(stderr, "korvel-sim did not start (%s)\n", qPrintable(program));
    return path;
}

// User and system CPU time of this process so far.
inline double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// The host of a bare exchange path: a calibrated B module, nothing shown.
struct QuietHost : DispatchHost {
    QString softwareTypeLetter() const override { return QStringLiteral("B"); }
    void setSoftwareTypeLetter(const QString &) override {} // always read as a B module
    QString calibrationStatus() const override { return QStringLiteral("OK"); }
    void setCalibrationStatus(const QString &) override {}
    void showRecalibrationStatus(const QString &) override {}
    void showMaximumRssi(int) override {}
    void moduleWokeUp(bool) override {}
    bool linkControlRunning() const override { return false; }
};

// The tool's exchange path without its window: port, debug log and link, with the port open
// and the module's start-up report come and gone.
struct BareLink {
    BareLink(const QString &path, int baud, int readTimeoutMs) : link(port, host, log)
    {
        port.setPortName(path);
        port.setBaudRate(baud);
        port.setReadTimeout(readTimeoutMs);
        port.open();
        QThread::msleep(200); // the module boots and sends its start-up report
        port.clearBuffers(true, true);
    }

    ComPort port;
    QPlainTextEdit tx, rx;
    DebugPanes panes{&tx, &rx};
    ExchangeLog log{&panes};
    QuietHost host;
    ModuleLink link;
};

// The tool's window in English, its messages recorded instead of shown while it lives. Its
// settings go to `folder`, or to a temporary folder of its own.
class Window
{
public:
    explicit Window(const QString &folder = {})
    {
        Messages::setPresenterForTest([this](Messages::Kind, const QString &text) {
            messages << text;
            return true;
        });
        form = std::make_unique<TForm1>(folder.isEmpty() ? m_dir.path() : folder);
        form->setLanguageIndex(1);
    }
    ~Window()
    {
        form.reset();
        Messages::setPresenterForTest({});
    }
    Window(const Window &) = delete;
    Window &operator=(const Window &) = delete;

    template <typename T> T *child(const char *name) const
    {
        return form->findChild<T *>(QLatin1String(name));
    }
    void choose(const char *box, const QString &text) const
    {
        auto *combo = child<QComboBox>(box);
        combo->setCurrentIndex(combo->findText(text));
        emit combo->activated(combo->currentIndex());
    }
    // Enters the device path, picks the baud rate and connects.
    void connectTo(const QString &path, const QString &baud) const
    {
        auto *port = child<QComboBox>("CBox_COM");
        port->setEditText(path);
        emit port->lineEdit()->textEdited(path);
        choose("CBox_RS232_baud", baud);
        child<QPushButton>("BtnVerbinden")->click();
    }
    // LinkControl at its fastest: the module learns radio 38400 and serial 115200 in its EEPROM
    // and takes them at the next power-up; the tool reconnects at 115200 and shows the
    // LinkControl page with the interval entered. False, with the set-up's messages printed,
    // when that failed.
    bool prepareFastLinkControl(const QString &path, int intervalMs) const
    {
        connectTo(path, QStringLiteral("19200"));
        choose("CBox_HFbaud_C", QStringLiteral("38400"));
        choose("CBox_RS232_baud_C", QStringLiteral("115200"));
        child<QCheckBox>("CheckBox_EEPROM_C")->setChecked(true);
        child<QPushButton>("BtnKonfigurieren")->click();
        child<QPushButton>("BtnTrennen")->click();
        connectTo(path, QStringLiteral("115200"));
        if (!messages.isEmpty()) {
            std::fprintf(stderr, "set-up failed: %s\n",
                         qPrintable(messages.join(QLatin1Char('|'))));
            return false;
        }
        child<QTabWidget>("PageControl1")->setCurrentWidget(child<QWidget>("HF_Test"));
        child<QLineEdit>("EditLinkControl_Interval")->setText(QString::number(intervalMs));
        return true;
    }

    QStringList messages;
    std::unique_ptr<TForm1> form;

private:
    QTemporaryDir m_dir;
};

} // namespace bench
