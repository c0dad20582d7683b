// Times the identification exchanges against korvel-sim over the real serial path and prints,
// per exchange, the measured time beside the line's own time for it (a 3-byte frame and a
// 2-byte answer of 10 bits per byte), so the tool's own overhead per exchange shows.
#include "link/catalogue.h"
#include "link/comport.h"
#include "link/exchangelog.h"
#include "link/modulelink.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QProcess>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace
{

struct QuietHost : DispatchHost {
    QString softwareTypeLetter() const override { return QStringLiteral("B"); }
    QString calibrationStatus() const override { return QStringLiteral("OK"); }
    void setCalibrationStatus(const QString &) override {}
    void showRecalibrationStatus(const QString &) override {}
    void showMaximumRssi(int) override {}
    void moduleWokeUp(bool) override {}
    bool linkControlRunning() const override { return false; }
};

QString startSim(QProcess &sim, const QString &program)
{
    // A B module with Autobaud follows whatever rate the PC uses.
    sim.start(program, {QStringLiteral("--type"), QStringLiteral("B"),
                        QStringLiteral("--processing-ms"), QStringLiteral("0")});
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
    // The debug log's text fields need a platform, not a screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString program = qEnvironmentVariable(
        "KORVEL_SIM", QCoreApplication::applicationDirPath() + QStringLiteral("/../korvel-sim"));
    constexpr int kRounds = 40;
    const quint8 queries[] = {Frame::QuerySoftwareType, Frame::QueryCommandSet,
                              Frame::QueryHardware, Frame::QueryBand};

    std::printf("%8s %10s %12s %12s %12s\n", "baud", "exchanges", "median ms", "line ms",
                "overhead ms");
    for (int baud : {19200, 115200}) {
        QProcess sim;
        const QString path = startSim(sim, program);
        if (path.isEmpty()) {
            std::fprintf(stderr, "korvel-sim did not start (%s)\n", qPrintable(program));
            return 1;
        }
        ComPort port;
        QPlainTextEdit tx, rx;
        ExchangeLog log(&tx, &rx);
        QuietHost host;
        ModuleLink link(port, host, log);
        port.setPortName(path);
        port.setBaudRate(baud);
        port.setReadTimeout(500);
        port.open();
        QThread::msleep(200); // the start-up report comes and goes
        port.clearBuffers(true, true);

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
        port.close();
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
