// Measures how long the window goes without its event loop coming round (no painting, no timers)
// while the real tool works with korvel-sim: a connect with its read-out, a configuration write,
// and a read-out of a module that has gone silent (korvel-sim stopped with SIGSTOP), whose
// retries last seconds. A 2 ms timer stands for the window's painting; the longest interval
// between two of its turns is printed beside the limit.
#include "support_bench.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <functional>

#include <signal.h>

namespace
{

constexpr double kGapLimitMs = 100.0;

struct GapProbe {
    double longestMs = 0;
    double durationMs = 0;
    int turns = 0;
};

// Runs the operation with the probe's timer ticking and returns the longest gap between turns,
// the operation's start and end counted as turns.
GapProbe measure(const std::function<void()> &operation)
{
    GapProbe probe;
    QElapsedTimer clock;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    ticker.setInterval(2);
    double last = 0;
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        const double now = clock.nsecsElapsed() / 1e6;
        probe.longestMs = std::max(probe.longestMs, now - last);
        last = now;
        ++probe.turns;
    });
    ticker.start();
    clock.start();
    operation();
    const double end = clock.nsecsElapsed() / 1e6;
    probe.longestMs = std::max(probe.longestMs, end - last);
    probe.durationMs = end;
    return probe;
}

bool report(const char *what, const GapProbe &probe)
{
    const bool ok = probe.longestMs <= kGapLimitMs;
    std::printf("%-34s %10.0f %8d %12.1f %10.0f  %s\n", what, probe.durationMs, probe.turns,
                probe.longestMs, kGapLimitMs, ok ? "ok" : "OVER");
    return ok;
}

} // namespace

int main(int argc, char *argv[])
{
    bench::preferOffscreenPlatform();
    QApplication app(argc, argv);
    QProcess sim;
    const QString path = bench::startSimOrSay(sim);
    if (path.isEmpty())
        return 1;
    bench::Window tool;
    tool.form->show();
    QCoreApplication::processEvents();

    std::printf("%-34s %10s %8s %12s %10s\n", "operation", "ms", "turns", "longest gap", "limit");
    bool ok = report("connect and read-out", measure([&] { tool.connectTo(path, "19200"); }));
    if (!tool.messages.isEmpty()) {
        std::fprintf(stderr, "connect failed: %s\n", qPrintable(tool.messages.join('|')));
        return 1;
    }
    ok = report("configuration write (EEPROM)", measure([&] {
                    tool.child<QCheckBox>("CheckBox_EEPROM_C")->setChecked(true);
                    tool.child<QPushButton>("BtnKonfigurieren")->click();
                })) &&
         ok;

    // The module goes silent: every answer of the read-out's five passes is waited for in vain.
    ::kill(pid_t(sim.processId()), SIGSTOP);
    ok = report("read-out of a silent module",
                measure([&] { tool.child<QPushButton>("BtnAuslesen")->click(); })) &&
         ok;
    ::kill(pid_t(sim.processId()), SIGCONT);
    if (tool.messages.size() != 1)
        std::fprintf(stderr, "expected one transmission error, got: %s\n",
                     qPrintable(tool.messages.join('|')));

    tool.form.reset();
    sim.terminate();
    sim.waitForFinished(3000);
    return ok ? 0 : 1;
}
