// korvel-cli on a production line: the time of identify and read beside what the line itself
// needs for their frames, and four modules written and verified by four parallel processes
// beside one alone (limit: at most 1.3 times).
#include "support_bench.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace
{

QString cliProgram()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/../korvel-cli");
}

struct Run {
    int exitCode = -1;
    double ms = 0;
    QString err;
};

// Starts korvel-cli for each argument list at once and waits for all of them.
std::vector<Run> runTogether(const std::vector<QStringList> &argumentLists)
{
    std::vector<std::unique_ptr<QProcess>> processes;
    std::vector<QElapsedTimer> clocks(argumentLists.size());
    for (size_t i = 0; i < argumentLists.size(); ++i) {
        processes.push_back(std::make_unique<QProcess>());
        clocks[i].start();
        processes[i]->start(cliProgram(), argumentLists[i]);
    }
    std::vector<Run> runs(argumentLists.size());
    for (size_t i = 0; i < processes.size(); ++i) {
        processes[i]->waitForFinished(60000);
        runs[i].exitCode = processes[i]->exitCode();
        runs[i].ms = double(clocks[i].nsecsElapsed()) / 1e6;
        runs[i].err = QString::fromUtf8(processes[i]->readAllStandardError());
    }
    return runs;
}

Run runOne(const QStringList &arguments)
{
    return runTogether({arguments}).front();
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The bytes of the exchanges in a --debug log ("TX B0,00,01,  RX 00,43,"), both directions.
int exchangedBytes(const QString &log)
{
    static const QRegularExpression byte(QStringLiteral("\\b[0-9A-F]{2},"));
    int count = 0;
    for (const QString &line : log.split(QLatin1Char('\n'))) {
        if (line.startsWith(QLatin1String("TX ")))
            count += int(line.count(byte));
    }
    return count;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    constexpr int kRounds = 7;
    constexpr int kBaud = 19200;
    // The pauses the connect and the read-out make by design: 200 + 100 + 100 ms around the
    // module's restart and 200 ms after the read-out pass.
    constexpr double kPausesMs = 600;

    QProcess sim;
    const QString path = bench::startSimOrSay(sim, {QStringLiteral("--type"), QStringLiteral("C")});
    if (path.isEmpty())
        return 1;
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("M1.txt"));

    std::printf("identify and read at %d baud, median of %d runs (a new process each):\n", kBaud,
                kRounds);
    std::printf("%-10s %10s %10s %10s %10s %12s\n", "command", "bytes", "line ms", "pauses ms",
                "total ms", "remainder ms");
    const QList<QStringList> commands = {
        {QStringLiteral("identify"), QStringLiteral("-p"), path},
        {QStringLiteral("read"), QStringLiteral("-p"), path, QStringLiteral("-o"), file}};
    for (const QStringList &command : commands) {
        const Run logged = runOne(command + QStringList{QStringLiteral("--debug")});
        if (logged.exitCode != 0) {
            std::fprintf(stderr, "%s failed: %s\n", qPrintable(command.first()),
                         qPrintable(logged.err));
            return 1;
        }
        const int bytes = exchangedBytes(logged.err);
        runOne(command); // warms the caches once more
        const double lineMs = bytes * 10.0 * 1000.0 / kBaud;
        std::vector<double> times;
        for (int i = 0; i < kRounds; ++i)
            times.push_back(runOne(command).ms);
        const double total = median(times);
        std::printf("%-10s %10d %10.1f %10.1f %10.1f %12.1f\n", qPrintable(command.first()), bytes,
                    lineMs, kPausesMs, total, total - lineMs - kPausesMs);
    }

    // Four modules, each on its own port, written and verified at once.
    constexpr int kModules = 4;
    std::vector<std::unique_ptr<QProcess>> sims;
    QStringList paths;
    for (int i = 0; i < kModules; ++i) {
        sims.push_back(std::make_unique<QProcess>());
        const QString p = bench::startSimOrSay(
            *sims.back(), {QStringLiteral("--type"), QStringLiteral("C"),
                           QStringLiteral("--serial"), QString::number(1000 + i)});
        if (p.isEmpty())
            return 1;
        paths << p;
    }
    const auto writeArguments = [&file](const QString &port) {
        return QStringList{
            QStringLiteral("write"),    QStringLiteral("-p"),      port, QStringLiteral("-i"), file,
            QStringLiteral("--eeprom"), QStringLiteral("--verify")};
    };
    std::vector<double> alone;
    std::vector<double> together;
    for (int round = 0; round < kRounds; ++round) {
        const Run one = runOne(writeArguments(paths.first()));
        if (one.exitCode != 0) {
            std::fprintf(stderr, "write failed: %s\n", qPrintable(one.err));
            return 1;
        }
        alone.push_back(one.ms);
        std::vector<QStringList> lists;
        for (const QString &p : paths)
            lists.push_back(writeArguments(p));
        double slowest = 0;
        for (const Run &run : runTogether(lists)) {
            if (run.exitCode != 0) {
                std::fprintf(stderr, "parallel write failed: %s\n", qPrintable(run.err));
                return 1;
            }
            slowest = std::max(slowest, run.ms);
        }
        together.push_back(slowest);
    }
    const double ratio = median(together) / median(alone);
    std::printf("\nwrite --eeprom --verify, median of %d rounds:\n", kRounds);
    std::printf("  one module alone:          %8.1f ms\n", median(alone));
    std::printf("  %d modules in parallel:     %8.1f ms (the slowest of the four)\n", kModules,
                median(together));
    std::printf("  ratio:                     %8.2f   (limit 1.30) %s\n", ratio,
                ratio <= 1.3 ? "met" : "MISSED");
    for (auto &process : sims) {
        process->terminate();
        process->waitForFinished(3000);
    }
    sim.terminate();
    sim.waitForFinished(3000);
    return 0;
}
