// The tool on an oversubscribed machine: four busy processes on the machine's cores and one at
// the same priority writing and reading a file and touching memory, while korvel-sim stands for
// a module that answers in time (in a real-time class where the system allows it, as hardware
// would). Prints each figure beside its limit:
//   - LinkControl in the window, 1,000 cycles at the minimum interval against a module that
//     answers every request: the cycles counted lost (limit 0);
//   - the same with loss=0.25: the cycles counted lost beside the module's own count of the
//     requests it left unanswered (its log), limit: equal;
//   - eight korvel-cli link runs in parallel, each against its own module: the cycles counted
//     lost although the module's answer had left before the tool read (limit 0), and beside it
//     the losses whose answer left only after the read: on a pseudo-terminal the kernel hands
//     the request on through a worker thread of normal priority, which the load holds back;
//     a real serial adapter takes the PC's bytes at once;
//   - korvel-cli sweep --autoset for two minutes: the sweeps that ended in "Receive error"
//     (limit 0).
// The tool's own account of its lateness is shown for information.
//
//   bench_busy_pc [--quick | --parallel]
//                              --quick: the sweep for 20 s instead of 2 minutes;
//                              --parallel: only the eight korvel-cli link runs
//   bench_busy_pc --churn DIR  (internal) the file and memory worker
#include "support_bench.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTabWidget>
#include <QTemporaryDir>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <memory>
#include <sched.h>
#include <vector>

namespace
{

constexpr int kBusyProcesses = 4;
constexpr int kLinkCycles = 1000;
constexpr int kLossCycles = 400;
constexpr int kParallelRuns = 8;
constexpr int kParallelCycles = 300;
constexpr int kSweepSeconds = 120;
constexpr int kQuickSweepSeconds = 20;

// Writes and reads back a file of 32 MiB and fills 64 MiB of fresh memory, over and over.
int churn(const QString &folder)
{
    const QString path = folder + QStringLiteral("/churn.bin");
    QByteArray block(1 << 20, '\0');
    for (;;) {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 1;
        for (int i = 0; i < 32; ++i) {
            QRandomGenerator::global()->fillRange(reinterpret_cast<quint32 *>(block.data()),
                                                  block.size() / 4);
            file.write(block);
        }
        file.flush();
        ::fsync(file.handle());
        file.close();
        if (!file.open(QIODevice::ReadOnly))
            return 1;
        quint64 sum = 0;
        while (!file.atEnd())
            sum += quint8(file.read(1 << 16).at(0));
        file.close();
        std::vector<char> memory(64u << 20);
        for (size_t i = 0; i < memory.size(); i += 4096)
            memory[i] = char(sum + i);
    }
}

// The module's stand-in runs ahead of the load, as a module's own processor would.
bool runAheadOfLoad(qint64 pid)
{
    sched_param param{};
    param.sched_priority = 1;
    return ::sched_setscheduler(pid_t(pid), SCHED_RR, &param) == 0;
}

struct Load {
    std::vector<std::unique_ptr<QProcess>> processes;
    QTemporaryDir folder;

    void start()
    {
        for (int i = 0; i < kBusyProcesses; ++i) {
            auto busy = std::make_unique<QProcess>();
            busy->start(QStringLiteral("sh"),
                        {QStringLiteral("-c"), QStringLiteral("while :; do :; done")});
            busy->waitForStarted(5000);
            processes.push_back(std::move(busy));
        }
        auto worker = std::make_unique<QProcess>();
        worker->start(QCoreApplication::applicationFilePath(),
                      {QStringLiteral("--churn"), folder.path()});
        worker->waitForStarted(5000);
        processes.push_back(std::move(worker));
    }
    ~Load()
    {
        for (auto &process : processes) {
            process->kill();
            process->waitForFinished(3000);
        }
    }
};

// korvel-sim with its log kept in a file, so that a full pipe never holds it up.
struct Module {
    QProcess process;
    QTemporaryDir folder;
    QString path;
    bool realTime = false;

    bool start(const QStringList &arguments)
    {
        process.setStandardErrorFile(folder.filePath(QStringLiteral("sim.log")));
        path = bench::startSimOrSay(process, arguments);
        if (path.isEmpty())
            return false;
        realTime = runAheadOfLoad(process.processId());
        return true;
    }
    // When the answers to the requests "L" had left the module, in ms since the epoch, in order.
    std::vector<double> answerEndsMs;

    // Stops the module and counts, from its log, the requests "L" it took and those it left
    // without an answer.
    void stopAndCount(int &requests, int &unanswered)
    {
        process.terminate();
        process.waitForFinished(3000);
        QFile log(folder.filePath(QStringLiteral("sim.log")));
        requests = unanswered = 0;
        answerEndsMs.clear();
        if (!log.open(QIODevice::ReadOnly))
            return;
        // A request may reach the module before the answer to the one before has gone out.
        static const QByteArray origin = "log times count from ";
        double originMs = 0;
        for (const QByteArray &line : log.readAll().split('\n')) {
            if (line.startsWith(origin))
                originMs = line.mid(origin.size()).split(' ').first().toDouble() * 1000.0;
            const QList<QByteArray> fields = line.simplified().split(' ');
            if (fields.size() < 3 || fields[2] != "4C")
                continue;
            if (fields[1] == "rx") {
                ++requests;
            } else if (fields[1] == "tx") {
                // The log gives when the answer's first byte left; its last follows at 19200 baud.
                const double bytes = double(fields.size() - 2);
                answerEndsMs.push_back(originMs + fields[0].toDouble() * 1000.0 +
                                       bytes * 10'000.0 / 19200.0);
            }
        }
        unanswered = requests - int(answerEndsMs.size());
    }
};

// A korvel-cli link run's cycles, from its CSV: the cycle number, whether it was lost and when
// the answer was looked for, in ms since the epoch.
struct CsvCycle {
    int number = 0;
    bool lost = false;
    qint64 readMs = 0;
};

std::vector<CsvCycle> csvCycles(const QString &csvPath)
{
    std::vector<CsvCycle> cycles;
    QFile csv(csvPath);
    if (!csv.open(QIODevice::ReadOnly))
        return cycles;
    for (const QByteArray &line : csv.readAll().split('\n')) {
        const QList<QByteArray> fields = line.split(',');
        if (fields.size() < 3 || (fields[2] != "lost" && fields[2] != "received"))
            continue;
        const QDateTime at =
            QDateTime::fromString(QString::fromLatin1(fields[0]), Qt::ISODateWithMs);
        cycles.push_back({fields[1].toInt(), fields[2] == "lost", at.toMSecsSinceEpoch()});
    }
    return cycles;
}

int failures = 0;

void row(const char *figure, double measured, const QString &limit, bool ok)
{
    std::printf("%-46s %10.0f %12s %8s\n", figure, measured, qPrintable(limit),
                ok ? "ok" : "MISSED");
    if (!ok)
        ++failures;
}

void info(const char *figure, const QString &value)
{
    std::printf("%-46s %10s %12s\n", figure, qPrintable(value), "info");
}

// LinkControl in the window at its minimum interval (radio 9600, serial 19200: 49 ms) until
// `cycles` have run; the tool's lost count beside the module's.
bool windowLinkControl(const QStringList &linkOption, int cycles, int &lost, int &moduleLost,
                       QString &lateness)
{
    Module module;
    if (!module.start(linkOption))
        return false;
    bench::Window tool;
    tool.connectTo(module.path, QStringLiteral("19200"));
    if (!tool.messages.isEmpty()) {
        std::fprintf(stderr, "connect failed: %s\n", qPrintable(tool.messages.join('|')));
        return false;
    }
    tool.child<QTabWidget>("PageControl1")->setCurrentWidget(tool.child<QWidget>("HF_Test"));
    auto *sent = tool.child<QLineEdit>("EditLinkControl_txStatistik");
    auto *start = tool.child<QPushButton>("BtnStartLinkControl");
    QObject::connect(sent, &QLineEdit::textChanged, [&](const QString &text) {
        if (text.toInt() == cycles)
            start->click();
    });
    start->click();
    lost = tool.child<QLineEdit>("EditLinkControl_nokStatistik")->text().toInt();
    if (auto *late = tool.child<QLineEdit>("EditLinkControl_late"))
        lateness = late->text();
    int requests = 0;
    module.stopAndCount(requests, moduleLost);
    if (sent->text().toInt() != cycles || requests != cycles) {
        std::fprintf(stderr, "LinkControl ran %s cycles, the module took %d requests\n",
                     qPrintable(sent->text()), requests);
        return false;
    }
    return true;
}

QString cliProgram()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/../korvel-cli");
}

struct ParallelFigures {
    // Lost cycles whose answer had left the module before the tool looked for it: the tool's
    // doing. In doubt (within the logs' millisecond) a loss counts here.
    int falseLosses = 0;
    // Lost cycles whose answer left the module only after the tool had looked: the request
    // reached the module late, held up on its way through the pseudo-terminal (the test rig's
    // kernel worker), or the module was late.
    int answerAfterRead = 0;
    double latestAnswerAfterReadMs = 0;
    // Lost cycles whose own answer was in time, after a cycle whose answer came late: the late
    // answer arrived after this cycle's purge and stood before its answer.
    int afterLateAnswer = 0;
    // Received cycles whose own answer left after the read, after a cycle whose answer came
    // late: the tool took the late answer for this cycle's.
    int tookLateAnswerBefore = 0;
    // The lost cycles beyond the requests the modules left unanswered, late answers included.
    int beyondModule = 0;
    // Received cycles whose answer the logs place after the read with no late answer before
    // (must be none).
    int clockMismatches = 0;
    int lateCycles = 0;
    double latestMs = 0;
};

// Eight korvel-cli link runs at once; the cycles they counted lost beyond their modules' own,
// told apart by when the module's answer left.
bool parallelLinkRuns(ParallelFigures &figures)
{
    std::vector<std::unique_ptr<Module>> modules;
    std::vector<std::unique_ptr<QProcess>> runs;
    for (int i = 0; i < kParallelRuns; ++i) {
        auto module = std::make_unique<Module>();
        if (!module->start({QStringLiteral("--serial"), QString::number(700000 + i)}))
            return false;
        modules.push_back(std::move(module));
    }
    for (const auto &module : modules) {
        auto run = std::make_unique<QProcess>();
        run->start(cliProgram(),
                   {QStringLiteral("link"), QStringLiteral("-p"), module->path,
                    QStringLiteral("--cycles"), QString::number(kParallelCycles),
                    QStringLiteral("--csv"), module->folder.filePath(QStringLiteral("link.csv")),
                    QStringLiteral("--json")});
        runs.push_back(std::move(run));
    }
    figures = {};
    bool complete = true;
    for (size_t i = 0; i < runs.size(); ++i) {
        runs[i]->waitForFinished(600000);
        const QJsonObject summary =
            QJsonDocument::fromJson(runs[i]->readAllStandardOutput()).object();
        int requests = 0, unanswered = 0;
        modules[i]->stopAndCount(requests, unanswered);
        if (summary.value(QStringLiteral("sent")).toInt() != kParallelCycles ||
            requests != kParallelCycles) {
            std::fprintf(stderr, "korvel-cli link %zu: %s\n", i + 1,
                         runs[i]->readAllStandardError().constData());
            complete = false;
            continue;
        }
        const int lost = summary.value(QStringLiteral("lost")).toInt();
        figures.beyondModule += lost - unanswered;
        const std::vector<CsvCycle> cycles =
            csvCycles(modules[i]->folder.filePath(QStringLiteral("link.csv")));
        const std::vector<double> &answers = modules[i]->answerEndsMs;
        if (unanswered != 0 || cycles.size() != answers.size()) {
            // Without an answer to every request the answers cannot be paired with the cycles:
            // every loss beyond the module's counts as false.
            figures.falseLosses += lost - unanswered;
        } else {
            // An answer that left the module after the tool's read of its cycle came late; it
            // reaches the tool in the next cycle, where a purge may or may not still catch it.
            const auto answerAfterReadMs = [&](const CsvCycle &cycle) {
                return answers[size_t(cycle.number - 1)] - double(cycle.readMs);
            };
            for (size_t n = 0; n < cycles.size(); ++n) {
                const CsvCycle &cycle = cycles[n];
                // The CSV's time is the end of the read, its millisecond cut off; the log's is
                // rounded. An answer more than 1.5 ms after it had surely not ended when the read
                // did; one that is not counts as there in time.
                const double afterMs = answerAfterReadMs(cycle);
                const bool late = afterMs > 1.5;
                const bool lateBefore = n > 0 && answerAfterReadMs(cycles[n - 1]) > 1.5;
                if (!cycle.lost) {
                    if (late && lateBefore) {
                        ++figures.tookLateAnswerBefore;
                    } else if (late) {
                        // Read before it had left, with no late answer before it to take: the
                        // two clocks do not agree, and no loss can be told apart.
                        ++figures.clockMismatches;
                        std::fprintf(stderr,
                                     "run %zu, cycle %d received %.1f ms before its answer "
                                     "had left\n",
                                     i + 1, cycle.number, afterMs);
                    }
                } else if (late) {
                    ++figures.answerAfterRead;
                    figures.latestAnswerAfterReadMs =
                        std::max(figures.latestAnswerAfterReadMs, afterMs);
                } else if (lateBefore) {
                    ++figures.afterLateAnswer;
                } else {
                    ++figures.falseLosses;
                    std::fprintf(stderr,
                                 "run %zu, cycle %d lost: the answer had left %.1f ms before "
                                 "the read\n",
                                 i + 1, cycle.number, -afterMs);
                }
            }
        }
        const QJsonObject late = summary.value(QStringLiteral("pcLate")).toObject();
        figures.lateCycles += late.value(QStringLiteral("lateCycles")).toInt();
        figures.latestMs =
            std::max(figures.latestMs, late.value(QStringLiteral("latestStepMs")).toDouble());
    }
    return complete;
}

// korvel-cli sweep --autoset, started again whenever it ends before the time is up; the runs
// that ended in a receive error and the sweeps done.
bool sweepFor(int seconds, int &receiveErrors, int &otherFailures, int &sweeps)
{
    Module module;
    if (!module.start({QStringLiteral("--type"), QStringLiteral("B"), QStringLiteral("--band"),
                       QStringLiteral("433"), QStringLiteral("--carrier"),
                       QStringLiteral("K040:-70")}))
        return false;
    QTemporaryDir folder;
    receiveErrors = otherFailures = sweeps = 0;
    QElapsedTimer clock;
    clock.start();
    int runNumber = 0;
    while (clock.elapsed() < seconds * 1000LL) {
        const QString csv = folder.filePath(QStringLiteral("sweep%1.csv").arg(++runNumber));
        QProcess run;
        run.start(cliProgram(), {QStringLiteral("sweep"), QStringLiteral("-p"), module.path,
                                 QStringLiteral("--autoset"), QStringLiteral("--sweeps"),
                                 QStringLiteral("0"), QStringLiteral("--csv"), csv});
        if (!run.waitForStarted(5000))
            return false;
        const qint64 left = seconds * 1000LL - clock.elapsed();
        if (!run.waitForFinished(int(std::max<qint64>(left, 1)))) {
            ::kill(pid_t(run.processId()), SIGINT);
            run.waitForFinished(10000);
        }
        const QString errors = QString::fromUtf8(run.readAllStandardError());
        if (errors.contains(QLatin1String("Receive error")))
            ++receiveErrors;
        else if (run.exitCode() != 0)
            ++otherFailures;
        if (run.exitCode() != 0)
            std::fprintf(stderr, "sweep run %d: %s", runNumber, qPrintable(errors));
        QFile rows(csv);
        if (rows.open(QIODevice::ReadOnly))
            sweeps += int(std::max<qsizetype>(0, rows.readAll().count('\n') - 1) / 30);
    }
    int requests = 0, unanswered = 0;
    module.stopAndCount(requests, unanswered);
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc == 3 && std::strcmp(argv[1], "--churn") == 0)
        return churn(QString::fromLocal8Bit(argv[2]));
    const bool quick = argc > 1 && std::strcmp(argv[1], "--quick") == 0;
    const bool onlyParallel = argc > 1 && std::strcmp(argv[1], "--parallel") == 0;
    bench::preferOffscreenPlatform();
    QApplication app(argc, argv);

    Load load;
    load.start();
    {
        Module probe;
        if (!probe.start({}))
            return 1;
        std::printf("load: %d busy processes and a file and memory worker on %d cores; "
                    "korvel-sim %s\n",
                    kBusyProcesses, QThread::idealThreadCount(),
                    probe.realTime ? "in the real-time class (SCHED_RR 1)"
                                   : "at normal priority (no real-time class allowed)");
        int requests = 0, unanswered = 0;
        probe.stopAndCount(requests, unanswered);
    }
    std::printf("%-46s %10s %12s %8s\n", "figure", "measured", "limit", "result");

    if (!onlyParallel) {
        int lost = 0, moduleLost = 0;
        QString lateness;
        if (!windowLinkControl({}, kLinkCycles, lost, moduleLost, lateness))
            return 1;
        row("LinkControl 1000 cycles at 49 ms: lost", lost, QStringLiteral("0"),
            lost == 0 && moduleLost == 0);
        info("  the tool's lateness", lateness.isEmpty() ? QStringLiteral("n/a") : lateness);

        lateness.clear();
        if (!windowLinkControl({QStringLiteral("--link"), QStringLiteral("loss=0.25")}, kLossCycles,
                               lost, moduleLost, lateness))
            return 1;
        row("loss=0.25, 400 cycles: lost", lost, QStringLiteral("=%1").arg(moduleLost),
            lost == moduleLost);
        info("  the tool's lateness", lateness.isEmpty() ? QStringLiteral("n/a") : lateness);
    }

    ParallelFigures parallel;
    if (!parallelLinkRuns(parallel))
        return 1;
    row("8 x korvel-cli link, 300 cycles each: false", parallel.falseLosses, QStringLiteral("0"),
        parallel.falseLosses == 0);
    row("  received before the module's log has it", parallel.clockMismatches, QStringLiteral("0"),
        parallel.clockMismatches == 0);
    info("  lost: answer left after the read, latest ms",
         QStringLiteral("%1, %2")
             .arg(parallel.answerAfterRead)
             .arg(parallel.latestAnswerAfterReadMs, 0, 'f', 1));
    info("  lost beyond the modules' own count", QString::number(parallel.beyondModule));
    info("  lost: a late answer before stood in front", QString::number(parallel.afterLateAnswer));
    info("  received: the late answer of the one before",
         QString::number(parallel.tookLateAnswerBefore));
    info("  cycles late, latest step ms",
         QStringLiteral("%1, %2").arg(parallel.lateCycles).arg(parallel.latestMs, 0, 'f', 1));
    if (onlyParallel)
        return failures == 0 ? 0 : 2;

    const int seconds = quick ? kQuickSweepSeconds : kSweepSeconds;
    int receiveErrors = 0, otherFailures = 0, sweeps = 0;
    if (!sweepFor(seconds, receiveErrors, otherFailures, sweeps))
        return 1;
    const QByteArray sweepFigure =
        QStringLiteral("sweep %1 s (%2 sweeps): Receive error").arg(seconds).arg(sweeps).toUtf8();
    row(sweepFigure.constData(), receiveErrors, QStringLiteral("0"), receiveErrors == 0);
    row("  other failures of the sweep", otherFailures, QStringLiteral("0"), otherFailures == 0);
    return failures == 0 ? 0 : 2;
}
