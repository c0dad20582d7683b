// Times the identification exchanges against korvel-sim over the real serial path and prints,
// per exchange, the measured time beside the line's own time for it (a 3-byte frame and a
// 2-byte answer of 10 bits per byte), so the tool's own overhead per exchange shows.
#include "support_bench.h"

#include "link/catalogue.h"

#include <QApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

int main(int argc, char *argv[])
{
    bench::preferOffscreenPlatform(); // the debug log's text fields need a platform
    QApplication app(argc, argv);
    const QString program = bench::simProgram();
    constexpr int kRounds = 40;
    const quint8 queries[] = {Frame::QuerySoftwareType, Frame::QueryCommandSet,
                              Frame::QueryHardware, Frame::QueryBand};

    std::printf("%8s %10s %12s %12s %12s\n", "baud", "exchanges", "median ms", "line ms",
                "overhead ms");
    for (int baud : {19200, 115200}) {
        QProcess sim;
        // A B module with Autobaud follows whatever rate the PC uses.
        const QString path =
            bench::startSim(sim,
                            {QStringLiteral("--type"), QStringLiteral("B"),
                             QStringLiteral("--processing-ms"), QStringLiteral("0")},
                            program);
        if (path.isEmpty()) {
            std::fprintf(stderr, "korvel-sim did not start (%s)\n", qPrintable(program));
            return 1;
        }
        bench::BareLink bare(path, baud, 500);
        ModuleLink &link = bare.link;

        std::vector<double> times;
        for (int round = 0; round < kRounds; ++round) {
            for (quint8 query : queries) {
                link.state().errorFlag = false;
                link.state().retryCounter = 5;
                QElapsedTimer timer;
                timer.start();
                link.transaction(Frame::Identify, query);
                times.push_back(timer.nsecsElapsed() / 1e6);
                if (link.state().errorFlag) {
                    std::fprintf(stderr, "exchange failed at %d baud\n", baud);
                    return 1;
                }
            }
        }
        bare.port.close();
        sim.terminate();
        sim.waitForFinished(3000);

        std::sort(times.begin(), times.end());
        const double median = times[times.size() / 2];
        const double line = 5 * 10 * 1000.0 / baud;
        std::printf("%8d %10zu %12.3f %12.3f %12.3f\n", baud, times.size(), median, line,
                    median - line);
    }
    return 0;
}
