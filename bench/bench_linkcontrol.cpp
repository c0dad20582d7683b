// Runs LinkControl in the real tool for 1,000 cycles at an interval of 20 ms against korvel-sim
// (radio 38400, serial 115200, so that 20 ms is above the minimum interval) and prints the mean
// and worst send-to-read time beside the interval (each answer is read one interval after its
// "L"), the cycle periods (the interval plus the cycle's read and display work), and the tool's
// CPU use during the run.
#include "support_bench.h"
#include "timingdevice.h"

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

constexpr int kCycles = 1000;
constexpr int kIntervalMs = 20;
constexpr double kPeriodToleranceMs = 1.0;
constexpr double kCpuLimitPercent = 5.0;

QString loadAverage()
{
    QFile file(QStringLiteral("/proc/loadavg"));
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("unknown\n");
    return QString::fromLatin1(file.readLine());
}

} // namespace

int main(int argc, char *argv[])
{
    bench::preferOffscreenPlatform();
    QApplication app(argc, argv);
    auto timing = std::make_shared<bench::TimingDevice::Record>();
    bench::TimingDevice::install(timing);
    QProcess sim;
    const QString path = bench::startSimOrSay(sim);
    if (path.isEmpty())
        return 1;
    bench::Window tool;
    const QStringList &messages = tool.messages;

    if (!tool.prepareFastLinkControl(path, kIntervalMs))
        return 1;

    // Each cycle ends with the sent counter going up; the spacing of those is the cycle period.
    auto *sent = tool.child<QLineEdit>("EditLinkControl_txStatistik");
    auto *start = tool.child<QPushButton>("BtnStartLinkControl");
    std::vector<double> stamps;
    stamps.reserve(kCycles);
    QElapsedTimer clock;
    QObject::connect(sent, &QLineEdit::textChanged, [&](const QString &text) {
        stamps.push_back(clock.nsecsElapsed() / 1e6);
        if (text.toInt() == kCycles)
            start->click();
    });
    clock.start();
    const double cpuBefore = bench::cpuSeconds() * 1000.0;
    start->click();
    const double wallMs = clock.nsecsElapsed() / 1e6;
    const double cpuMs = bench::cpuSeconds() * 1000.0 - cpuBefore;
    sim.terminate();
    sim.waitForFinished(3000);
    // The module's own log gives the moment each "L" arrived.
    std::vector<double> arrivals;
    for (const QByteArray &line : sim.readAllStandardError().split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() == 3 && fields[1] == "rx" && fields[2] == "4C")
            arrivals.push_back(fields[0].toDouble() * 1000.0);
    }

    if (stamps.size() < 3) {
        std::fprintf(stderr, "LinkControl did not run (%s)\n",
                     qPrintable(messages.join(QLatin1Char('|'))));
        return 1;
    }
    const double cpuPercent = 100.0 * cpuMs / wallMs;
    const QString received = tool.child<QLineEdit>("EditLinkControl_rxStatistik")->text();
    std::printf("LinkControl, %zu cycles at %d ms (radio 38400, serial 115200), %s received\n",
                stamps.size(), kIntervalMs, qPrintable(received));
    std::printf("load average while running: %s", qPrintable(loadAverage()));
    std::printf("%-34s %10s %10s %8s\n", "figure", "measured", "target", "result");
    const auto row = [](const QString &name, double value, const QString &target, bool ok) {
        std::printf("%-34s %10.3f %10s %8s\n", qPrintable(name), value, qPrintable(target),
                    ok ? "ok" : "MISSED");
    };
    const QString window = QStringLiteral("%1±%2").arg(kIntervalMs).arg(kPeriodToleranceMs);
    const auto within = [](double period) {
        return std::abs(period - kIntervalMs) <= kPeriodToleranceMs;
    };
    const auto summary = [&](std::vector<double> values) {
        std::sort(values.begin(), values.end());
        double sum = 0;
        for (double v : values)
            sum += v;
        struct Figures {
            double mean, shortest, worst, p01, p99, share;
        };
        const double share = 100.0 * double(std::count_if(values.begin(), values.end(), within)) /
                             double(values.size());
        return Figures{sum / double(values.size()),
                       values.front(),
                       values.back(),
                       values[values.size() / 100],
                       values[values.size() - 1 - values.size() / 100],
                       share};
    };
    // Each answer is read one interval after its "L"; the first cycle waits an extra answer wait
    // by design and is left out.
    if (timing->sendToReadMs.size() > 2) {
        const auto f = summary({timing->sendToReadMs.begin() + 1, timing->sendToReadMs.end()});
        row(QStringLiteral("send to read, mean ms"), f.mean, window, within(f.mean));
        row(QStringLiteral("send to read, shortest ms"), f.shortest, window, within(f.shortest));
        row(QStringLiteral("send to read, worst ms"), f.worst, window, within(f.worst));
        row(QStringLiteral("send to read, 1st percentile ms"), f.p01, window, within(f.p01));
        row(QStringLiteral("send to read, 99th percentile ms"), f.p99, window, within(f.p99));
        row(QStringLiteral("send to read, % in window"), f.share, QStringLiteral("100"),
            f.share >= 100.0);
    }
    // The period from one "L" to the next is the interval plus the read (1 ms) and the cycle's
    // display work; shown for information. The tool's side: the sent counter goes up once per
    // cycle. The line's side: korvel-sim logs the arrival of every "L" (to the millisecond).
    const auto report = [&](const char *side, const std::vector<double> &times) {
        if (times.size() < 3)
            return;
        std::vector<double> periods;
        for (size_t i = 2; i < times.size(); ++i)
            periods.push_back(times[i] - times[i - 1]);
        const auto f = summary(periods);
        const QString prefix = QString::fromLatin1(side) + QStringLiteral(" period, ");
        const QString info = QStringLiteral("info");
        std::printf("%-34s %10.3f %10s\n", qPrintable(prefix + QStringLiteral("mean ms")), f.mean,
                    qPrintable(info));
        std::printf("%-34s %10.3f %10s\n", qPrintable(prefix + QStringLiteral("worst ms")), f.worst,
                    qPrintable(info));
        std::printf("%-34s %10.3f %10s\n", qPrintable(prefix + QStringLiteral("99th pct ms")),
                    f.p99, qPrintable(info));
    };
    report("tool", stamps);
    report("line", arrivals);
    row(QStringLiteral("CPU % of a core"), cpuPercent, QStringLiteral("<%1").arg(kCpuLimitPercent),
        cpuPercent < kCpuLimitPercent);
    return 0;
}
