// LinkControl when the PC is late: a purge that comes after the answer has begun keeps it, what
// came before it stays stale, and the run tells how late the PC ran its cycles.
#include "core/support_corerig.h"
#include "rf/linkformulas.h"
#include "rf/linkrun.h"
#include "rf/linksummary.h"

#include <QTest>

namespace
{

struct CycleRecorder : LinkRunObserver {
    LinkRun *run = nullptr;
    int stopAfter = 0;
    QList<LinkCycle> cycles;
    void cycleEnded(const LinkRun &, const LinkCycle &cycle,
                    const LinkFormulas::LinkSamples &) override
    {
        cycles << cycle;
        if (cycles.size() == stopAfter)
            run->requestStop();
    }
};

LinkCycle cycleLate(double ms)
{
    LinkCycle cycle;
    cycle.pcLateMs = ms;
    return cycle;
}

} // namespace

class TestLinkTiming : public QObject
{
    Q_OBJECT
private slots:
    void latePurgeKeepsTheAnswer();
    void answerPartOfALatePurge_data();
    void answerPartOfALatePurge();
    void lateCyclesAreCounted();
};

void TestLinkTiming::latePurgeKeepsTheAnswer()
{
    // Radio 9600 and serial 19200: the purge is due 20 ms after "L", the answer comes after the
    // exchange's 25.7 ms. Each "L" takes the busy PC 30 ms to write, so every purge comes after
    // the answer has arrived.
    EmulatorConfig config = CoreRig::configOf('C');
    CoreRig rig(config);
    rig.device->setWriteDurationMs(30);
    MsCountdown countdown;
    MmTimerSlot timer(countdown);
    bool running = false, stopFlag = false;
    int peakSlot = 1;
    LinkRun run(*rig.port, rig.log, {&countdown, &timer, &running, &stopFlag, &peakSlot});
    CycleRecorder recorder;
    recorder.run = &run;
    recorder.stopAfter = 3;
    run.setObserver(&recorder);
    run.run(200, LinkRates{9600, 19200, 3, 4}, false);

    QCOMPARE(run.sent(), qint64(3));
    QCOMPARE(run.lost(), qint64(0));
    for (const LinkCycle &cycle : recorder.cycles) {
        QVERIFY(cycle.received);
        QCOMPARE(cycle.s1, -70);
        // The purge came at least 30 ms after "L" instead of 20.
        QVERIFY2(cycle.pcLateMs >= 9.0, qPrintable(QString::number(cycle.pcLateMs)));
    }
    QCOMPARE(run.lateness().lateCycles(), qint64(3));
    QVERIFY(run.lateness().latestStepMs() >= 9.0);
}

void TestLinkTiming::answerPartOfALatePurge_data()
{
    QTest::addColumn<QByteArray>("taken");
    QTest::addColumn<int>("possible"); // bytes the line can have carried since the earliest answer
    QTest::addColumn<QByteArray>("kept");
    const QByteArray answer = QByteArray::fromHex("4CB896BA98");
    QTest::newRow("nothing came") << QByteArray() << 7 << QByteArray();
    QTest::newRow("a whole answer") << answer << 5 << answer;
    QTest::newRow("an answer still coming") << answer.left(2) << 2 << answer.left(2);
    QTest::newRow("stale bytes before the answer")
        << QByteArray::fromHex("3800") + answer << 6 << answer;
    QTest::newRow("an earlier answer before this one")
        << answer + answer.left(3) << 20 << answer.left(3);
    QTest::newRow("4C as a level inside the answer")
        << QByteArray::fromHex("4C4C96BA98") << 5 << QByteArray::fromHex("4C4C96BA98");
    QTest::newRow("a seven-byte answer")
        << QByteArray::fromHex("4CB80000969AB8") << 9 << QByteArray::fromHex("4CB80000969AB8");
    QTest::newRow("only stale bytes") << QByteArray::fromHex("3800FF") << 3 << QByteArray();
    // A late answer to the request before arrived before this answer can have begun.
    QTest::newRow("an answer complete too soon to be this one") << answer << 0 << QByteArray();
    QTest::newRow("an answer begun too soon") << answer << 3 << QByteArray();
}

void TestLinkTiming::answerPartOfALatePurge()
{
    QFETCH(QByteArray, taken);
    QFETCH(int, possible);
    QFETCH(QByteArray, kept);
    QCOMPARE(LinkFormulas::answerPart(taken, possible).toHex(), kept.toHex());
}

void TestLinkTiming::lateCyclesAreCounted()
{
    // A cycle is late when a step ran more than 2 ms after its time.
    LinkSummary summary;
    for (double ms : {0.4, 2.0, 2.1, 14.5, 1.0})
        summary.add(cycleLate(ms));
    QCOMPARE(summary.sent(), qint64(5));
    QCOMPARE(summary.lateness().lateCycles(), qint64(2));
    QCOMPARE(summary.lateness().latestStepMs(), 14.5);
    QCOMPARE(Lateness::tallyText(summary.lateness(), QLocale(QLocale::German)),
             QStringLiteral("2 / 14,5 ms"));
}

QTEST_MAIN(TestLinkTiming)
#include "tst_linktiming.moc"
