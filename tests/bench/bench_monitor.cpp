// Sweeps 30 active slots against korvel-sim at the fastest speed without smoothing for 10 s at
// 19200 and 115200 baud, and prints the slots per second beside the limit that the line and
// the settle wait allow (settle wait plus a 3-byte frame and a 2-byte answer, twice, per slot),
// and the CPU time the tool used per second of sweeping.
#include "app/messages.h"
#include "app/portcombobox.h"
#include "app/tform1.h"
#include "link/comport.h"
#include "monitor/monitorhandlers.h"
#include "monitor/monitorsweep.h"

#include <QApplication>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <sys/resource.h>

namespace
{

constexpr int kRunMs = 10000;
constexpr int kSettleMs = 5; // speed track bar at 10
constexpr double kTargetShare = 0.95;
constexpr double kCpuLimitAt19200 = 0.05;

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

QString startSim(QProcess &sim, const QString &program)
{
    // A B module with Autobaud follows whatever rate the PC uses; it answers at once.
    sim.start(program,
              {QStringLiteral("--type"), QStringLiteral("B"), QStringLiteral("--band"),
               QStringLiteral("433"), QStringLiteral("--processing-ms"), QStringLiteral("0"),
               QStringLiteral("--carrier"), QStringLiteral("K040:-70")});
    if (!sim.waitForStarted(5000))
        return {};
    QDeadlineTimer deadline(5000);
    while (!sim.canReadLine() && !deadline.hasExpired())
        sim.waitForReadyRead(100);
    return QString::fromLocal8Bit(sim.readLine()).trimmed();
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString program = qEnvironmentVariable(
        "KORVEL_SIM", QCoreApplication::applicationDirPath() + QStringLiteral("/../korvel-sim"));
    QStringList messages;
    Messages::setPresenterForTest([&messages](Messages::Kind, const QString &text) {
        messages << text;
        return true;
    });

    std::printf("%8s %8s %12s %12s %8s %8s %10s %8s\n", "baud", "slots", "slots/s", "limit/s",
                "share", "target", "cpu/core", "limit");
    int failures = 0;
    for (int baud : {19200, 115200}) {
        QProcess sim;
        const QString path = startSim(sim, program);
        if (path.isEmpty()) {
            std::fprintf(stderr, "korvel-sim did not start (%s)\n", qPrintable(program));
            return 1;
        }
        QTemporaryDir dir;
        TForm1 form(dir.path());
        form.setLanguageIndex(1);
        form.show();
        form.CBox_COM->lineEdit()->setText(path);
        form.CBox_COMChange();
        form.CBox_RS232_baud->setCurrentIndex(
            form.CBox_RS232_baud->findText(QString::number(baud)));
        form.CBox_RS232_baudChange();
        form.BtnVerbinden->click();
        if (!messages.isEmpty()) {
            std::fprintf(stderr, "connect failed: %s\n", qPrintable(messages.join('|')));
            return 1;
        }
        form.PageControl1->setCurrentWidget(form.Monitor);
        form.monitor.BtnMonitor_Autoset->click(); // 30 slots, speed 10, no smoothing
        form.monitor.TBarMonitor_Mittlung->setValue(0);
        form.monitor.TBarMonitor_Tempo->setValue(10);

        // Timing counts whole sweeps, from the end of the first to the end of the last.
        QElapsedTimer clock;
        double cpuAtFirst = 0;
        double cpuAtLast = 0;
        qint64 firstMs = -1;
        qint64 lastMs = 0;
        int sweeps = 0;
        QObject::connect(form.monitorHandlers->sweep(), &MonitorSweep::sweepCompleted, [&] {
            const qint64 now = clock.elapsed();
            if (firstMs < 0) {
                firstMs = now;
                cpuAtFirst = cpuSeconds();
                return;
            }
            ++sweeps;
            lastMs = now;
            cpuAtLast = cpuSeconds();
            if (now - firstMs >= kRunMs)
                form.monitor.BtnMonitor_Start->click();
        });
        clock.start();
        form.monitor.BtnMonitor_Start->click();
        form.BtnTrennen->click();
        sim.terminate();
        sim.waitForFinished(3000);
        if (!messages.isEmpty()) {
            std::fprintf(stderr, "sweep failed: %s\n", qPrintable(messages.join('|')));
            return 1;
        }

        const double seconds = (lastMs - firstMs) / 1000.0;
        const int slotCount = sweeps * 30;
        const double rate = slotCount / seconds;
        const double lineMs = 2 * (3 + 2) * 10 * 1000.0 / baud;
        const double limit = 1000.0 / (kSettleMs + lineMs);
        const double share = rate / limit;
        const double cpu = (cpuAtLast - cpuAtFirst) / seconds;
        const bool cpuChecked = baud == 19200;
        std::printf("%8d %8d %12.1f %12.1f %7.1f%% %7.0f%% %9.1f%% %7s\n", baud, slotCount, rate,
                    limit, share * 100, kTargetShare * 100, cpu * 100,
                    cpuChecked ? qPrintable(QString::number(kCpuLimitAt19200 * 100) + "%") : "-");
        if (share < kTargetShare || (cpuChecked && cpu >= kCpuLimitAt19200))
            ++failures;
    }
    Messages::setPresenterForTest({});
    std::printf("%s\n", failures == 0 ? "within targets" : "TARGET MISSED");
    return 0;
}
