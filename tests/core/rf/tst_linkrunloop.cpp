// The LinkControl run against an emulated C module and its free partner: what goes out per
// cycle, how cycles are counted, and how a run ends.
#include "core/support_corerig.h"
#include "rf/linkrun.h"

#include <QTest>

#include <functional>

namespace
{

constexpr int kInterval = 200;

struct CycleRecorder : LinkRunObserver {
    std::function<void(int cycle)> onCycle;
    QList<int> channels;
    void cycleEnded(const LinkRun &, const LinkCycle &,
                    const LinkFormulas::LinkSamples &samples) override
    {
        channels << samples.channels;
        onCycle(int(channels.size()));
    }
};

} // namespace

class TestLinkRunLoop : public QObject
{
    Q_OBJECT
private slots:
    void cyclesUntilTheRunEnds_data();
    void cyclesUntilTheRunEnds();
};

void TestLinkRunLoop::cyclesUntilTheRunEnds_data()
{
    QTest::addColumn<int>("answerLength");
    QTest::addColumn<double>("lossRate");
    QTest::addColumn<int>("endAfter");
    QTest::addColumn<QString>("end"); // what the front end does after that cycle
    QTest::addColumn<QList<int>>("channels");
    QTest::addColumn<int>("lost");
    QTest::addColumn<bool>("thrown");

    // A stop request ends the run after the cycle in which it came.
    QTest::newRow("both modules' levels")
        << 5 << 0.0 << 2 << "stop" << QList<int>{4, 4} << 0 << false;
    QTest::newRow("connected module's levels only")
        << 3 << 0.0 << 1 << "stop" << QList<int>{2} << 0 << false;
    // 0.34: the third exchange is lost.
    QTest::newRow("a lost exchange pulses RTS")
        << 5 << 0.34 << 3 << "stop" << QList<int>{4, 4, 0} << 1 << false;
    QTest::newRow("nothing comes back")
        << 5 << 1.0 << 2 << "stop" << QList<int>{0, 0} << 2 << false;
    QTest::newRow("port closed after a stop request")
        << 5 << 0.0 << 1 << "stop and close" << QList<int>{4} << 0 << false;
    QTest::newRow("device lost and reported")
        << 5 << 0.0 << 1 << "lose the device" << QList<int>{4} << 0 << false;
    QTest::newRow("port closed without a stop is a failure")
        << 5 << 0.0 << 1 << "close" << QList<int>{4} << 0 << true;
}

void TestLinkRunLoop::cyclesUntilTheRunEnds()
{
    QFETCH(int, answerLength);
    QFETCH(double, lossRate);
    QFETCH(int, endAfter);
    QFETCH(QString, end);
    QFETCH(QList<int>, channels);
    QFETCH(int, lost);
    QFETCH(bool, thrown);

    EmulatorConfig config = CoreRig::configOf('C');
    config.link.answerLength = answerLength;
    config.link.lossRate = lossRate;
    // Halfway between the purge (20 ms after "L") and the read, so that a late test thread can
    // neither purge the answer nor read before it.
    config.link.answerDelayMs = kInterval / 2;
    CoreRig rig(config);

    MsCountdown countdown;
    MmTimerSlot timer(countdown);
    bool running = false, stopFlag = false;
    int peakSlot = 0;
    LinkRun run(*rig.port, rig.log, {&countdown, &timer, &running, &stopFlag, &peakSlot});
    CycleRecorder recorder;
    bool runningInside = false;
    recorder.onCycle = [&](int cycle) {
        runningInside = running;
        if (cycle < endAfter)
            return;
        if (end.startsWith(QLatin1String("stop")))
            run.requestStop();
        if (end.endsWith(QLatin1String("close")))
            rig.port->close();
        if (end == QLatin1String("lose the device"))
            rig.device->simulateLoss();
    };
    run.setObserver(&recorder);

    bool failed = false;
    try {
        run.run(kInterval, LinkRates{9600, 19200, 3, 4}, false);
    } catch (const PortError &) {
        failed = true;
    }

    QCOMPARE(failed, thrown);
    QVERIFY(runningInside);
    QCOMPARE(recorder.channels, channels);
    QCOMPARE(run.sent(), qint64(channels.size()));
    QCOMPARE(run.received(), qint64(channels.size() - lost));
    QCOMPARE(run.lost(), qint64(lost));
    // Only "L" goes out, once a cycle; each lost cycle pulses RTS off and on.
    QStringList line;
    for (int ch : channels) {
        line << QStringLiteral("write 4C");
        if (ch == 0)
            line << QStringLiteral("rts 0") << QStringLiteral("rts 1");
    }
    QCOMPARE(rig.line(), line);
    QVERIFY(!running);
    QVERIFY(!timer.isRunning());
    if (rig.port->isOpen())
        QCOMPARE(rig.port->readTimeout(), 500);
}

QTEST_MAIN(TestLinkRunLoop)
#include "tst_linkrunloop.moc"
