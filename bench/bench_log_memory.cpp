// Runs exchanges through the two debug logs, as a long LinkControl or monitor session does, and
// prints the resident memory before and after (limit: flat within 5 MB). The logs show only the
// last 100 exchanges; what they keep beyond that (an undo history, for example) shows here.
//
//   bench_log_memory [exchanges, default 300000]
#include "support_bench.h"

#include "link/exchangelog.h"
#include "window/debugpanes.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPlainTextEdit>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace
{

// Resident set size in kB, from the kernel's status of this process.
long residentKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    // Files under /proc have no size: read them whole rather than to their "end".
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    }
    return -1;
}

void exchange(ExchangeLog &log, int i)
{
    const QByteArray frame = QByteArray::fromHex("B00100");
    QByteArray answer = QByteArray::fromHex("01A9");
    answer[1] = char(i & 0xFF);
    log.appendTx(frame);
    if (i % 50 == 0)
        log.appendRxMarker(QStringLiteral("E4 "));
    log.appendRx(answer);
    log.endExchange();
    // A session that processes events between its exchanges (LinkControl, the monitor) has
    // each line written at once: the most work for the panes.
    log.flush();
}

} // namespace

int main(int argc, char *argv[])
{
    bench::preferOffscreenPlatform();
    QApplication app(argc, argv);
    const int exchanges = argc > 1 ? std::max(1000, atoi(argv[1])) : 300000;

    QPlainTextEdit tx, rx;
    DebugPanes panes(&tx, &rx);
    ExchangeLog log(&panes);
    // The logs first fill up to their 100 lines; from there on they should stay as they are.
    constexpr int kWarmUp = 1000;
    for (int i = 0; i < kWarmUp; ++i)
        exchange(log, i);
    QCoreApplication::processEvents();
    const long before = residentKb();

    QElapsedTimer timer;
    timer.start();
    for (int i = kWarmUp; i < kWarmUp + exchanges; ++i) {
        exchange(log, i);
        if (i % 1000 == 0)
            QCoreApplication::processEvents();
    }
    QCoreApplication::processEvents();
    const long after = residentKb();

    const double growthMb = double(after - before) / 1024.0;
    std::printf("%d exchanges through the logs in %.1f s\n", exchanges, timer.elapsed() / 1000.0);
    std::printf("resident memory before %.1f MB, after %.1f MB, growth %+.1f MB (limit 5 MB)\n",
                before / 1024.0, after / 1024.0, growthMb);
    std::printf("log lines: TX %d, RX %d\n", tx.document()->blockCount(),
                rx.document()->blockCount());
    return growthMb <= 5.0 ? 0 : 2;
}
