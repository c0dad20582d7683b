// Stress run of the exchange path: identification exchanges against korvel-sim at 115200 baud
// with no processing time in the module, while busy processes load the machine. The tool's
// transaction and a minimal termios client (flush input, write, drain, read the answer) take
// turns in blocks on the same emulated module, so both see the same load. Prints the failed
// exchanges of each (limit 0) and the median time per exchange, the tool's beside the client's
// (limit: the tool within 5 %).
//
//   bench_exchange_stress [exchanges per side, default 20000] [busy processes, default 2]
#include "support_bench.h"

#include "link/catalogue.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QThread>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <memory>
#include <poll.h>
#include <termios.h>
#include <unistd.h>
#include <vector>

namespace
{

constexpr int kBaud = 115200;
constexpr int kBlock = 1000;
constexpr int kReadTimeoutMs = 500;
const quint8 kQueries[] = {Frame::QuerySoftwareType, Frame::QueryCommandSet, Frame::QueryHardware,
                           Frame::QueryBand};

struct Side {
    std::vector<double> times;
    int failed = 0;
};

double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

QString startSim(QProcess &sim)
{
    // The module's log would fill the pipe; nobody reads it here.
    sim.setStandardErrorFile(QProcess::nullDevice());
    return bench::startSim(sim, {QStringLiteral("--type"), QStringLiteral("B"),
                                 QStringLiteral("--processing-ms"), QStringLiteral("0")});
}

void toolBlock(const QString &path, int count, Side &side)
{
    bench::BareLink bare(path, kBaud, kReadTimeoutMs);
    ModuleLink &link = bare.link;
    for (int i = 0; i < count; ++i) {
        link.state().errorFlag = false;
        link.state().retryCounter = 5;
        QElapsedTimer timer;
        timer.start();
        link.transaction(Frame::Identify, kQueries[i % 4]);
        side.times.push_back(double(timer.nsecsElapsed()) / 1e6);
        if (link.state().errorFlag)
            ++side.failed;
    }
    bare.port.close();
}

bool clientOpen(const QString &path, int &fd)
{
    fd = ::open(path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
    if (fd < 0)
        return false;
    termios tio{};
    tcgetattr(fd, &tio);
    cfmakeraw(&tio);
    cfsetispeed(&tio, B115200);
    cfsetospeed(&tio, B115200);
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    return tcsetattr(fd, TCSANOW, &tio) == 0;
}

// Up to `count` bytes, waiting at most timeoutMs in all.
int clientRead(int fd, unsigned char *buffer, int count, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    int got = 0;
    while (got < count) {
        const int left = timeoutMs - int(timer.elapsed());
        if (left <= 0)
            break;
        pollfd look{fd, POLLIN, 0};
        if (::poll(&look, 1, left) <= 0)
            continue;
        const ssize_t n = ::read(fd, buffer + got, size_t(count - got));
        if (n > 0)
            got += int(n);
        else if (n < 0 && errno != EAGAIN && errno != EINTR)
            break;
    }
    return got;
}

bool clientBlock(const QString &path, int count, Side &side)
{
    int fd = -1;
    if (!clientOpen(path, fd))
        return false;
    QThread::msleep(200);
    tcflush(fd, TCIOFLUSH);
    for (int i = 0; i < count; ++i) {
        const unsigned char frame[3] = {0xB0, 0x00, kQueries[i % 4]};
        unsigned char answer[2] = {};
        QElapsedTimer timer;
        timer.start();
        tcflush(fd, TCIFLUSH);
        const bool written = ::write(fd, frame, 3) == 3 && tcdrain(fd) == 0;
        const int got = written ? clientRead(fd, answer, 2, kReadTimeoutMs) : 0;
        side.times.push_back(double(timer.nsecsElapsed()) / 1e6);
        if (got != 2 || answer[0] != 0x00)
            ++side.failed;
    }
    ::close(fd);
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    bench::preferOffscreenPlatform(); // the debug log's text fields need a platform
    QApplication app(argc, argv);
    const int exchanges = argc > 1 ? std::max(kBlock, atoi(argv[1])) : 20000;
    const int busyCount = argc > 2 ? std::max(0, atoi(argv[2])) : 2;

    QProcess sim;
    const QString path = startSim(sim);
    if (path.isEmpty()) {
        std::fprintf(stderr, "korvel-sim did not start\n");
        return 1;
    }
    std::vector<std::unique_ptr<QProcess>> busy;
    for (int i = 0; i < busyCount; ++i) {
        auto process = std::make_unique<QProcess>();
        process->start(QStringLiteral("sh"),
                       {QStringLiteral("-c"), QStringLiteral("while :; do :; done")});
        process->waitForStarted(5000);
        busy.push_back(std::move(process));
    }

    Side tool, client;
    bool clientOk = true;
    for (int done = 0; done < exchanges && clientOk; done += kBlock) {
        const int count = std::min(kBlock, exchanges - done);
        toolBlock(path, count, tool);
        clientOk = clientBlock(path, count, client);
    }

    for (auto &process : busy) {
        process->kill();
        process->waitForFinished(3000);
    }
    sim.terminate();
    sim.waitForFinished(3000);
    if (!clientOk) {
        std::fprintf(stderr, "the termios client could not open %s\n", qPrintable(path));
        return 1;
    }

    const double toolMedian = median(tool.times);
    const double clientMedian = median(client.times);
    const double excess = clientMedian > 0 ? (toolMedian / clientMedian - 1) * 100 : 0;
    std::printf("%d identification exchanges each at %d baud, %d busy processes\n", exchanges,
                kBaud, busyCount);
    std::printf("%-16s %8s %8s %12s\n", "", "exchanges", "failed", "median ms");
    std::printf("%-16s %8zu %8d %12.3f\n", "tool", tool.times.size(), tool.failed, toolMedian);
    std::printf("%-16s %8zu %8d %12.3f\n", "termios client", client.times.size(), client.failed,
                clientMedian);
    std::printf("failed exchanges of the tool: %d (limit 0)\n", tool.failed);
    std::printf("tool's median against the client's: %+.1f %% (limit +5 %%)\n", excess);
    return tool.failed == 0 && excess <= 5.0 ? 0 : 2;
}
