// Runs LinkControl in the real tool for 118 cycles against korvel-sim whose answer completes
// about 1.4 ms before the interval ends (radio 9600, serial 19200, interval 49 ms, the minimum),
// and prints how many cycles the tool counted as lost. An answer read one interval after its
// request is complete; one read early is cut and counts as lost.
#include "support_bench.h"

#include <QApplication>
#include <QTabWidget>

#include <cstdio>

namespace
{

constexpr int kCycles = 118;
constexpr int kIntervalMs = 49;
constexpr int kLostLimit = 1;
// The "L" takes 0.52 ms to the module and the 5-byte answer 2.6 ms back at 19200 baud:
// started 44.5 ms after the request arrived, the answer is complete 47.6 ms after it was sent.
constexpr double kAnswerDelayMs = 44.5;

} // namespace

int main(int argc, char *argv[])
{
    bench::preferOffscreenPlatform();
    QApplication app(argc, argv);
    QProcess sim;
    // Another delay may be given as the first argument, to see where reads begin to miss.
    const double delayMs = argc > 1 ? QString::fromLocal8Bit(argv[1]).toDouble() : kAnswerDelayMs;
    const QString path = bench::startSimOrSay(
        sim, {QStringLiteral("--link"), QStringLiteral("delay=%1").arg(delayMs)});
    if (path.isEmpty())
        return 1;
    bench::Window tool;
    tool.connectTo(path, QStringLiteral("19200"));
    tool.choose("CBox_HFbaud_C", QStringLiteral("9600"));
    if (!tool.messages.isEmpty()) {
        std::fprintf(stderr, "set-up failed: %s\n",
                     qPrintable(tool.messages.join(QLatin1Char('|'))));
        return 1;
    }
    tool.child<QTabWidget>("PageControl1")->setCurrentWidget(tool.child<QWidget>("HF_Test"));
    tool.child<QLineEdit>("EditLinkControl_Interval")->setText(QString::number(kIntervalMs));

    auto *sent = tool.child<QLineEdit>("EditLinkControl_txStatistik");
    auto *start = tool.child<QPushButton>("BtnStartLinkControl");
    QObject::connect(sent, &QLineEdit::textChanged, [&](const QString &text) {
        if (text.toInt() == kCycles)
            start->click();
    });
    start->click();
    sim.terminate();
    sim.waitForFinished(3000);

    const int lost = tool.child<QLineEdit>("EditLinkControl_nokStatistik")->text().toInt();
    std::printf("LinkControl, %s cycles at %d ms, answer %.1f ms after the request arrived "
                "(complete %.1f ms before the read)\n",
                qPrintable(sent->text()), kIntervalMs, delayMs, kAnswerDelayMs + 1.4 - delayMs);
    std::printf("%-34s %10s %10s %8s\n", "figure", "measured", "target", "result");
    std::printf("%-34s %10d %10s %8s\n", "cycles counted as lost", lost,
                qPrintable(QStringLiteral("<=%1").arg(kLostLimit)),
                lost <= kLostLimit ? "ok" : "MISSED");
    return 0;
}
