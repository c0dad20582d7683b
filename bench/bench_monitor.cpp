// Sweeps 30 active slots against korvel-sim at the fastest speed without smoothing for 10 s at
// 19200 and 115200 baud, and prints the slots per second beside the limit that the line and
// the settle wait allow (settle wait plus a 3-byte frame and a 2-byte answer, twice, per slot),
// and the CPU time the tool used per second of sweeping.
#include "support_bench.h"

#include "monitor/monitorhandlers.h"
#include "monitor/monitorsweep.h"
#include "widgets/portcombobox.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QSlider>
#include <QTabWidget>
#include <QTimer>

#include <cstdio>

namespace
{

constexpr int kRunMs = 10000;
constexpr int kSettleMs = 5; // speed track bar at 10
constexpr double kTargetShare = 0.95;
constexpr double kCpuLimitAt19200 = 0.05;

// A B module with Autobaud follows whatever rate the PC uses; it answers at once.
const QStringList kSimArguments{QStringLiteral("--type"),          QStringLiteral("B"),
                                QStringLiteral("--band"),          QStringLiteral("433"),
                                QStringLiteral("--processing-ms"), QStringLiteral("0"),
                                QStringLiteral("--carrier"),       QStringLiteral("K040:-70")};

} // namespace

int main(int argc, char *argv[])
{
    bench::preferOffscreenPlatform();
    QApplication app(argc, argv);
    const QString program = bench::simProgram();

    std::printf("%8s %8s %12s %12s %8s %8s %10s %8s\n", "baud", "slots", "slots/s", "limit/s",
                "share", "target", "cpu/core", "limit");
    int failures = 0;
    for (int baud : {19200, 115200}) {
        QProcess sim;
        const QString path = bench::startSim(sim, kSimArguments, program);
        if (path.isEmpty()) {
            std::fprintf(stderr, "korvel-sim did not start (%s)\n", qPrintable(program));
            return 1;
        }
        bench::Window window;
        const QStringList &messages = window.messages;
        TForm1 &form = *window.form;
        form.show();
        window.connectTo(path, QString::number(baud));
        if (!messages.isEmpty()) {
            std::fprintf(stderr, "connect failed: %s\n", qPrintable(messages.join('|')));
            return 1;
        }
        window.child<QTabWidget>("PageControl1")
            ->setCurrentWidget(window.child<QWidget>("Monitor"));
        QPushButton *start = window.child<QPushButton>("BtnMonitor_Start");
        window.child<QPushButton>("BtnMonitor_Autoset")
            ->click(); // 30 slots, speed 10, no smoothing
        window.child<QSlider>("TBarMonitor_Mittlung")->setValue(0);
        window.child<QSlider>("TBarMonitor_Tempo")->setValue(10);

        // Timing counts whole sweeps, from the end of the first to the end of the last.
        QElapsedTimer clock;
        double cpuAtFirst = 0;
        double cpuAtLast = 0;
        qint64 firstMs = -1;
        qint64 lastMs = 0;
        int sweeps = 0;
        QObject::connect(form.monitorHandlers().sweep(), &MonitorSweep::sweepCompleted, [&] {
            const qint64 now = clock.elapsed();
            if (firstMs < 0) {
                firstMs = now;
                cpuAtFirst = bench::cpuSeconds();
                return;
            }
            ++sweeps;
            lastMs = now;
            cpuAtLast = bench::cpuSeconds();
            if (now - firstMs >= kRunMs)
                start->click();
        });
        clock.start();
        start->click();
        window.child<QPushButton>("BtnTrennen")->click();
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
    std::printf("%s\n", failures == 0 ? "within targets" : "TARGET MISSED");
    return 0;
}
