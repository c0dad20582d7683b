// Runs LinkControl in the real tool at an interval of 20 ms against korvel-sim (radio 38400,
// serial 115200) with the history window open and the CSV export running, and prints the mean
// time from each request to the read of its answer and the share of those within ±1 ms of the
// interval, the cycle period (the interval plus the cycle's own work), the tool's CPU use and its
// resident memory before and after the run. Then it feeds a day at 20 ms (4.32 million cycles)
// straight into a history and prints the memory that took.
//
//   bench_linkhistory [cycles] [--without-chart]
//
// cycles defaults to 100,000 (33 minutes); --without-chart runs the same loop with neither the
// window nor the export, for the figures to compare with.
#include "support_bench.h"
#include "timingdevice.h"

#include "rf/linkhistory.h"
#include "rf/linkhistorywindow.h"
#include "rf/linkrecorder.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QFile>
#include <QTabWidget>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace
{

constexpr int kDefaultCycles = 100000;
constexpr int kIntervalMs = 20;
constexpr double kPeriodToleranceMs = 1.0;
constexpr double kCpuLimitPercent = 5.0;
constexpr double kGrowthLimitMb = 5.0;
constexpr qint64 kDayCycles = 24LL * 3600 * 1000 / kIntervalMs;

double residentMb()
{
    QFile file(QStringLiteral("/proc/self/status"));
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : file.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    }
    return 0;
}

void row(const QString &name, double value, const QString &target, bool ok)
{
    std::printf("%-36s %10.3f %10s %8s\n", qPrintable(name), value, qPrintable(target),
                ok ? "ok" : "MISSED");
}

bool within(double period)
{
    return std::abs(period - kIntervalMs) <= kPeriodToleranceMs;
}

double mean(const std::vector<double> &values)
{
    double sum = 0;
    for (double v : values)
        sum += v;
    return sum / double(values.size());
}

// Each answer is read one interval after its "L"; the first cycle waits an extra answer wait by
// design and is left out.
void reportSendToRead(const std::vector<double> &sendToRead)
{
    if (sendToRead.size() < 3)
        return;
    const std::vector<double> times(sendToRead.begin() + 1, sendToRead.end());
    const double share =
        100.0 * double(std::count_if(times.begin(), times.end(), within)) / double(times.size());
    const QString window = QStringLiteral("%1±%2").arg(kIntervalMs).arg(kPeriodToleranceMs);
    row(QStringLiteral("send to read, mean ms"), mean(times), window, within(mean(times)));
    row(QStringLiteral("send to read, worst ms"), *std::max_element(times.begin(), times.end()),
        window, true);
    row(QStringLiteral("send to read, % within ±1 ms"), share, QStringLiteral("as w/o"), true);
}

// The period from one "L" to the next: the interval plus the read and the cycle's work, for
// information. The periods start after the first cycle.
void reportPeriods(const char *side, const std::vector<double> &times)
{
    if (times.size() < 3)
        return;
    std::vector<double> periods;
    for (size_t i = 2; i < times.size(); ++i)
        periods.push_back(times[i] - times[i - 1]);
    const QString prefix = QString::fromLatin1(side) + QLatin1Char(' ');
    row(prefix + QStringLiteral("mean period ms"), mean(periods), QStringLiteral("info"), true);
    row(prefix + QStringLiteral("worst period ms"),
        *std::max_element(periods.begin(), periods.end()), QStringLiteral("info"), true);
}

// A day of cycles straight into a history: what the model holds stays put.
void feedADay()
{
    const double before = residentMb();
    LinkHistory history;
    QElapsedTimer clock;
    clock.start();
    for (qint64 i = 1; i <= kDayCycles; ++i) {
        LinkCycle cycle;
        cycle.number = i;
        cycle.received = i % 4 != 0;
        cycle.module2 = true;
        cycle.s1 = -70 - int(i % 13);
        cycle.n1 = -104;
        cycle.s2 = -72;
        cycle.n2 = -106 + int(i % 5);
        cycle.msecsSinceEpoch = 1796652000000 + i * kIntervalMs;
        history.add(cycle);
    }
    const double ms = clock.nsecsElapsed() / 1e6;
    const double growth = residentMb() - before;
    std::printf("\nhistory fed %lld cycles (24 h at %d ms) in %.0f ms, %zu buckets of %d cycles\n",
                kDayCycles, kIntervalMs, ms, history.buckets().size(), history.cyclesPerBucket());
    row(QStringLiteral("history bytes held, MB"), history.bytesHeld() / 1048576.0,
        QStringLiteral("<%1").arg(kGrowthLimitMb),
        history.bytesHeld() / 1048576.0 < kGrowthLimitMb);
    row(QStringLiteral("resident growth of the feed, MB"), growth,
        QStringLiteral("<%1").arg(kGrowthLimitMb), growth < kGrowthLimitMb);
}

} // namespace

int main(int argc, char *argv[])
{
    bench::preferOffscreenPlatform();
    QApplication app(argc, argv);
    int cycles = kDefaultCycles;
    bool chart = true;
    for (const QString &argument : app.arguments().mid(1)) {
        if (argument == QLatin1String("--without-chart"))
            chart = false;
        else if (argument.toInt() > 2)
            cycles = argument.toInt();
    }

    auto timing = std::make_shared<bench::TimingDevice::Record>();
    timing->sendToReadMs.reserve(std::size_t(cycles) + 16);
    bench::TimingDevice::install(timing);
    QProcess sim;
    const QString path = bench::startSimOrSay(sim);
    if (path.isEmpty())
        return 1;
    bench::Window tool;
    const QStringList &messages = tool.messages;

    if (!tool.prepareFastLinkControl(path, kIntervalMs))
        return 1;

    QTemporaryDir exportDir;
    if (chart) {
        const QString csv = exportDir.filePath(QStringLiteral("bench.csv"));
        LinkRecorder::setExportFileChooserForTest([csv] { return csv; });
        tool.child<QPushButton>("BtnLinkControl_Export")->click();
        LinkRecorder::setExportFileChooserForTest({});
        tool.child<QPushButton>("BtnLinkControl_Verlauf")->click();
    }
    QCoreApplication::processEvents();

    // Each cycle ends with the sent counter going up; the spacing of those is the cycle period.
    auto *sent = tool.child<QLineEdit>("EditLinkControl_txStatistik");
    auto *start = tool.child<QPushButton>("BtnStartLinkControl");
    // Both time lists are written once before the run, so that their pages count as resident
    // before it and their filling does not pass for the tool's growth.
    std::vector<double> stamps(std::size_t(cycles) + 16);
    stamps.clear();
    QElapsedTimer clock;
    // korvel-sim logs the arrival of every "L" (to the millisecond); the log is read as it comes,
    // so that it does not pile up in this process's memory.
    std::vector<double> arrivals(std::size_t(cycles) + 16);
    arrivals.clear();
    QByteArray pending;
    const auto readArrivals = [&] {
        pending += sim.readAllStandardError();
        const qsizetype end = pending.lastIndexOf('\n');
        if (end < 0)
            return;
        for (const QByteArray &line : pending.left(end).split('\n')) {
            const QList<QByteArray> fields = line.simplified().split(' ');
            if (fields.size() == 3 && fields[1] == "rx" && fields[2] == "4C")
                arrivals.push_back(fields[0].toDouble() * 1000.0);
        }
        pending.remove(0, end + 1);
    };
    readArrivals();
    arrivals.clear();
    QObject::connect(&sim, &QProcess::readyReadStandardError, readArrivals);
    // Resident memory a tenth and half-way into the run, to tell a one-time rise from growth.
    double residentTenth = 0;
    double residentHalf = 0;
    QObject::connect(sent, &QLineEdit::textChanged, [&](const QString &text) {
        stamps.push_back(clock.nsecsElapsed() / 1e6);
        const int n = text.toInt();
        if (n == cycles / 10)
            residentTenth = residentMb();
        if (n == cycles / 2)
            residentHalf = residentMb();
        if (n == cycles)
            start->click();
    });
    const double residentBefore = residentMb();
    clock.start();
    const double cpuBefore = bench::cpuSeconds() * 1000.0;
    start->click();
    const double wallMs = clock.nsecsElapsed() / 1e6;
    const double cpuMs = bench::cpuSeconds() * 1000.0 - cpuBefore;
    const double residentAfter = residentMb();
    QString exported;
    if (chart) {
        tool.child<QPushButton>("BtnLinkControl_Export")->click();
        QFile file(exportDir.filePath(QStringLiteral("bench.csv")));
        if (file.open(QIODevice::ReadOnly))
            exported = QString::number(file.readAll().count('\n') - 1);
    }
    sim.terminate();
    sim.waitForFinished(3000);
    readArrivals();
    if (stamps.size() < 3 || !messages.isEmpty()) {
        std::fprintf(stderr, "LinkControl did not run cleanly (%s)\n",
                     qPrintable(messages.join(QLatin1Char('|'))));
        return 1;
    }

    std::printf("LinkControl %s, %zu cycles at %d ms (radio 38400, serial 115200), %s received%s\n",
                chart ? "with the history window open and the export running"
                      : "without history window or export",
                stamps.size(), kIntervalMs,
                qPrintable(tool.child<QLineEdit>("EditLinkControl_rxStatistik")->text()),
                chart ? qPrintable(QStringLiteral(", %1 rows exported").arg(exported)) : "");
    std::printf("%-36s %10s %10s %8s\n", "figure", "measured", "target", "result");
    reportSendToRead(timing->sendToReadMs);
    reportPeriods("tool", stamps);
    reportPeriods("line", arrivals);
    const double cpuPercent = 100.0 * cpuMs / wallMs;
    row(QStringLiteral("CPU % of a core"), cpuPercent, QStringLiteral("<%1").arg(kCpuLimitPercent),
        cpuPercent < kCpuLimitPercent);
    row(QStringLiteral("resident before run, MB"), residentBefore, QString(), true);
    row(QStringLiteral("resident at 10 % of the run, MB"), residentTenth, QString(), true);
    row(QStringLiteral("resident at 50 % of the run, MB"), residentHalf, QString(), true);
    row(QStringLiteral("resident after run, MB"), residentAfter, QString(), true);
    row(QStringLiteral("resident growth, MB"), residentAfter - residentBefore,
        QStringLiteral("<%1").arg(kGrowthLimitMb), residentAfter - residentBefore < kGrowthLimitMb);
    if (chart)
        feedADay();
    return 0;
}
