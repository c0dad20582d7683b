// Runs the C carrier stream ("nur TX") of the real tool against korvel-sim for 5 s at 19200 and
// 115200 baud and prints the stream's rate as the module received it beside the line rate
// (baud / 10 bytes per second; target at least 95 %), and the tool's CPU use during the run.
#include "support_bench.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QRegularExpression>
#include <QTimer>

#include <cstdio>

namespace
{

constexpr int kRunMs = 5000;

void runEvents(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

struct Result {
    bool ok = false;
    double bytesPerSecond = 0;
    qint64 bytes = 0;
    double cpuPercent = 0;
    QString problem;
};

Result runAt(int baud, const QString &program, const QString &folder)
{
    Result result;
    // A C module whose serial rate is the PC's and whose data options are the stream's already.
    const QString eeprom = folder + QStringLiteral("/eeprom-%1.txt").arg(baud);
    QFile file(eeprom);
    file.open(QIODevice::WriteOnly | QIODevice::Text);
    file.write(QStringLiteral("0C %1\n10 06\n").arg(baud == 115200 ? 7 : 4).toLatin1());
    file.close();

    QProcess sim;
    const QString path = bench::startSim(
        sim, {QStringLiteral("--type"), QStringLiteral("C"), QStringLiteral("--eeprom"), eeprom},
        program);
    if (path.isEmpty()) {
        result.problem = QStringLiteral("korvel-sim did not start");
        return result;
    }

    QStringList messages;
    {
        bench::Window window(folder);
        window.connectTo(path, QString::number(baud));
        window.choose("CBox_Mod_Test", QStringLiteral("unmodulated"));
        window.choose("CBox_RX_TX_Switch_Test", QStringLiteral("Only TX"));
        auto *start = window.child<QPushButton>("BtnStartHF_Test");

        const double cpuBefore = bench::cpuSeconds();
        QElapsedTimer wall;
        wall.start();
        start->click();
        runEvents(kRunMs);
        start->click();
        result.cpuPercent = (bench::cpuSeconds() - cpuBefore) * 100.0 / (wall.nsecsElapsed() / 1e9);
        window.child<QPushButton>("BtnTrennen")->click();
        messages = window.messages;
    }
    sim.terminate();
    sim.waitForFinished(3000);
    const QString log = QString::fromLocal8Bit(sim.readAllStandardError());
    if (qEnvironmentVariableIsSet("BENCH_LOG"))
        std::fprintf(stderr, "%s", qPrintable(log));
    if (!messages.isEmpty()) {
        result.problem = messages.join(QLatin1Char('|'));
        return result;
    }
    // The module's own account of the stream: "carrier stream ended: N bytes ..., R bytes/s".
    static const QRegularExpression ended(
        QStringLiteral("carrier stream ended: (\\d+) bytes .*, ([0-9.]+) bytes/s"));
    QRegularExpressionMatch match;
    for (auto it = ended.globalMatch(log); it.hasNext();)
        match = it.next();
    if (!match.hasMatch()) {
        result.problem = QStringLiteral("no stream in the module's log");
        return result;
    }
    result.bytes = match.captured(1).toLongLong();
    result.bytesPerSecond = match.captured(2).toDouble();
    result.ok = true;
    return result;
}

} // namespace

int main(int argc, char *argv[])
{
    bench::preferOffscreenPlatform();
    QApplication app(argc, argv);
    const QString program = bench::simProgram();
    QTemporaryDir folder;

    std::printf("%8s %10s %12s %12s %10s %10s %10s\n", "baud", "bytes", "bytes/s", "line B/s",
                "of line", "target", "tool CPU");
    int failures = 0;
    for (int baud : {19200, 115200}) {
        const Result result = runAt(baud, program, folder.path());
        if (!result.ok) {
            std::fprintf(stderr, "%d baud: %s\n", baud, qPrintable(result.problem));
            ++failures;
            continue;
        }
        const double line = baud / 10.0;
        std::printf("%8d %10lld %12.1f %12.1f %9.1f%% %9s %9.1f%%\n", baud,
                    static_cast<long long>(result.bytes), result.bytesPerSecond, line,
                    result.bytesPerSecond * 100.0 / line, ">= 95%", result.cpuPercent);
    }
    return failures == 0 ? 0 : 1;
}
