// korvel-cli station: the plan on eight ports from one process beside one port alone (wall
// time), the station process's CPU, and records per second into a PostgreSQL server of its own.

#include "support_bench.h"
#include "support_plan.h"
#include "support_postgres.h"

#include "station/recorddatabase.h"

#include <QElapsedTimer>
#include <QFile>
#include <QUuid>

#include <sys/resource.h>
#include <sys/wait.h>

namespace
{

constexpr double kRatioLimit = 1.2;  // eight ports against one
constexpr double kCpuLimit = 0.25;   // of one core, over the run
constexpr double kRecordsLimit = 50; // per second: eight ports finish a unit every few seconds

const QByteArray kStoredC = StationPlan::storedConfigC("bench");
const QByteArray kPlan = "name = \"bench\"\n" + StationPlan::moduleSteps({}) + R"([[step]]
run = "carrier"
mode = "unmodulated"
seconds = 1
[[step]]
run = "sweep"
autoset = true
noise_max = -50
)";

double childrenCpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

struct Run {
    double seconds = 0;
    double cpu = 0;
    int exitCode = -1;
};

// One station run over the ports; its wall time and the CPU its process used.
Run runStation(const QString &folder, const QStringList &ports)
{
    QStringList arguments{"station", folder + "/plan.toml", "--json", "--db",
                          folder + "/records.sqlite"};
    for (const QString &port : ports)
        arguments << "-p" << port;
    QProcess station;
    const double cpuBefore = childrenCpuSeconds();
    QElapsedTimer took;
    took.start();
    station.start(QCoreApplication::applicationDirPath() + "/../korvel-cli", arguments);
    station.waitForFinished(600000);
    Run run;
    run.seconds = took.elapsed() / 1000.0;
    run.cpu = childrenCpuSeconds() - cpuBefore;
    run.exitCode = station.exitCode();
    return run;
}

Station::UnitRecord benchUnit(int n)
{
    Station::UnitRecord unit;
    unit.uuid = QUuid::createUuid().toString(QUuid::WithoutBraces);
    unit.serialNumber = quint32(n);
    unit.designation = "Korvel868-10-C3";
    unit.startedAt = QDateTime::currentDateTimeUtc();
    unit.endedAt = unit.startedAt;
    for (const char *name : {"identify", "write", "test", "link", "carrier", "sweep"}) {
        Station::StepRecord step;
        step.name = QString::fromLatin1(name);
        for (int m = 0; m < 4; ++m)
            step.measurements << Station::checkNumber("value", m, "dB", Station::Range{0.0, 9.0});
        unit.steps << step;
    }
    return unit;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTemporaryDir folder;
    QFile plan(folder.filePath("plan.toml"));
    QFile config(folder.filePath("M1.txt"));
    if (!plan.open(QIODevice::WriteOnly) || !config.open(QIODevice::WriteOnly))
        return 1;
    plan.write(kPlan);
    config.write(kStoredC);
    plan.close();
    config.close();

    QProcess sims[8];
    QStringList ports;
    for (int i = 0; i < 8; ++i) {
        const QString path = bench::startSimOrSay(sims[i], {"--serial", QString::number(5001 + i)});
        if (path.isEmpty())
            return 1;
        ports << path;
    }
    const Run one = runStation(folder.path(), ports.mid(0, 1));
    const Run eight = runStation(folder.path(), ports);
    for (QProcess &sim : sims) {
        sim.terminate();
        sim.waitForFinished(3000);
    }
    const double ratio = eight.seconds / one.seconds;
    const double cpuShare = eight.cpu / eight.seconds;
    std::printf("station, plan on 1 port:  %.2f s wall, %.2f s CPU (exit %d)\n", one.seconds,
                one.cpu, one.exitCode);
    std::printf("station, plan on 8 ports: %.2f s wall, %.2f s CPU (exit %d)\n", eight.seconds,
                eight.cpu, eight.exitCode);
    std::printf("8 ports / 1 port wall time: %.2f (limit %.2f) %s\n", ratio, kRatioLimit,
                ratio <= kRatioLimit ? "ok" : "OVER");
    std::printf("station CPU over the 8-port run: %.1f %% of one core (limit %.0f %%) %s\n",
                cpuShare * 100, kCpuLimit * 100, cpuShare <= kCpuLimit ? "ok" : "OVER");

    PostgresServer server;
    QString error;
    if (!server.start(&error)) {
        std::fprintf(stderr, "no PostgreSQL server: %s\n", qPrintable(error));
        return 1;
    }
    QString parseError;
    Station::RecordDatabase database(*Station::parseDatabaseAddress(server.url(), &parseError));
    if (!database.open()) {
        std::fprintf(stderr, "%s\n", qPrintable(database.lastError()));
        return 1;
    }
    constexpr int kRecords = 1000;
    QElapsedTimer took;
    took.start();
    int stored = 0;
    for (int i = 0; i < kRecords; ++i)
        stored += database.store(benchUnit(i)) == Station::RecordDatabase::Stored::Inserted;
    const double rate = stored / (took.elapsed() / 1000.0);
    std::printf("records into PostgreSQL (6 steps, 24 measurements each, one transaction per "
                "unit): %.0f per second (limit %.0f) %s\n",
                rate, kRecordsLimit, rate >= kRecordsLimit && stored == kRecords ? "ok" : "LOW");
    const bool ok = ratio <= kRatioLimit && cpuShare <= kCpuLimit && rate >= kRecordsLimit &&
                    one.exitCode == 0 && eight.exitCode == 0;
    return ok ? 0 : 1;
}
