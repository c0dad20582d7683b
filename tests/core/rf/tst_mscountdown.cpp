#include "rf/mscountdown.h"

#include <QElapsedTimer>
#include <QTest>
#include <QTimer>

#include <sys/resource.h>

namespace
{

double threadCpuMs()
{
    rusage usage{};
    getrusage(RUSAGE_THREAD, &usage);
    return usage.ru_utime.tv_sec * 1000.0 + usage.ru_utime.tv_usec / 1000.0 +
           usage.ru_stime.tv_sec * 1000.0 + usage.ru_stime.tv_usec / 1000.0;
}

} // namespace

class TestMsCountdown : public QObject
{
    Q_OBJECT
private slots:
    void waitEndsWhenTheTicksRunOutAndRunsHandlersMeanwhile();
    void slotHoldsOneTimerForItsOwner();
    void waitReturnsAtOnceWhenNothingWouldLowerTheCount();
    void stopFromAHandlerEndsTheWait();
    void aCountLastsItsMillisecondsWhateverThePhaseItIsSetIn();
    void aRunningTimerSleepsUntilTheCountRunsOut();
};

void TestMsCountdown::waitEndsWhenTheTicksRunOutAndRunsHandlersMeanwhile()
{
    MsCountdown countdown{0};
    MmTimerSlot slot(countdown);
    QVERIFY(slot.start(&slot));

    int handlersRun = 0;
    QTimer::singleShot(0, [&] { ++handlersRun; });
    QTimer::singleShot(20, [&] { ++handlersRun; });

    countdown = 150;
    const double cpuBefore = threadCpuMs();
    QElapsedTimer elapsed;
    elapsed.start();
    waitForCountdown(countdown, slot);
    const double wallMs = double(elapsed.elapsed());
    const double cpuMs = threadCpuMs() - cpuBefore;

    QVERIFY(countdown.load() <= 0);
    QVERIFY2(slot.ticks() >= 150, qPrintable(QString::number(slot.ticks())));
    QVERIFY2(wallMs >= 140, qPrintable(QString::number(wallMs)));
    QCOMPARE(handlersRun, 2);
    // A wait that blocks in the event loop uses a small fraction of the time it lasts; a spin
    // would use all of it.
    QVERIFY2(cpuMs < wallMs * 0.3,
             qPrintable(QStringLiteral("cpu %1 ms of %2 ms").arg(cpuMs).arg(wallMs)));
}

void TestMsCountdown::slotHoldsOneTimerForItsOwner()
{
    MsCountdown countdown{0};
    MmTimerSlot slot(countdown);
    QVERIFY(!slot.isRunning());
    const int other = 0; // another activity
    QVERIFY(slot.start(&slot));
    QVERIFY(!slot.start(&slot));
    QVERIFY(!slot.start(&other));
    QVERIFY(slot.isRunning());
    // Another activity's stop leaves the timer running for its owner.
    QVERIFY(!slot.stop(&other));
    QVERIFY(slot.ownedBy(&slot));

    // Only one timer lowers the count: after the wait the count has not run far below zero.
    countdown = 50;
    waitForCountdown(countdown, slot);
    slot.stop(&slot);
    QVERIFY(!slot.isRunning());
    const qint32 after = countdown.load();
    QVERIFY(after <= 0);
    QTest::qWait(20);
    QCOMPARE(countdown.load(), after); // a stopped timer no longer lowers it
    QVERIFY(slot.start(&other));       // and the slot is free again
}

void TestMsCountdown::waitReturnsAtOnceWhenNothingWouldLowerTheCount()
{
    MsCountdown countdown{100000};
    MmTimerSlot slot(countdown);
    QElapsedTimer elapsed;
    elapsed.start();
    waitForCountdown(countdown, slot); // no timer running
    QVERIFY(elapsed.elapsed() < 1000);
    QCOMPARE(countdown.load(), 100000);

    QVERIFY(slot.start(&slot));
    countdown = -5; // an overshoot below zero does not wait either
    waitForCountdown(countdown, slot);
    QVERIFY(countdown.load() <= -5);
}

void TestMsCountdown::stopFromAHandlerEndsTheWait()
{
    MsCountdown countdown{0};
    MmTimerSlot slot(countdown);
    QVERIFY(slot.start(&slot));
    countdown = 600000;
    // As a Stop button does: stop the timer and clear the count from inside the wait.
    QTimer::singleShot(10, [&] {
        slot.stop(&slot);
        countdown = 0;
    });
    QElapsedTimer elapsed;
    elapsed.start();
    waitForCountdown(countdown, slot);
    QVERIFY(elapsed.elapsed() < 60000);
    QVERIFY(!slot.isRunning());
}

void TestMsCountdown::aCountLastsItsMillisecondsWhateverThePhaseItIsSetIn()
{
    // LinkControl reads an answer when its count runs out: a count that ran out early would read
    // before the module can have answered. Counts are set at every phase of the running timer's
    // millisecond; none may end before its milliseconds have passed.
    MsCountdown countdown{0};
    MmTimerSlot slot(countdown);
    QVERIFY(slot.start(&slot));
    QElapsedTimer phase;
    QElapsedTimer elapsed;
    for (int i = 0; i < 40; ++i) {
        const qint64 offsetNs = (i % 10) * 100000; // 0 to 0.9 ms into whatever tick is running
        phase.start();
        while (phase.nsecsElapsed() < offsetNs) {
        }
        elapsed.start();
        countdown = 3;
        waitForCountdown(countdown, slot);
        const qint64 ns = elapsed.nsecsElapsed();
        QVERIFY2(ns >= 3000000,
                 qPrintable(QStringLiteral("count of 3 ran out after %1 us").arg(ns / 1000)));
    }
}

void TestMsCountdown::aRunningTimerSleepsUntilTheCountRunsOut()
{
    // A thread that woke every millisecond held up, on a busy PC, the system's own work that
    // hands the serial line's bytes over. The count still goes down by one a millisecond.
    MsCountdown countdown{0};
    MmTimerSlot slot(countdown);
    QVERIFY(slot.start(&slot));
    countdown = 300;
    QTest::qWait(100);
    // (A busy PC may have taken longer than the count over the 100 ms.)
    const qint32 midway = countdown.load();
    QVERIFY2(midway < 300, qPrintable(QString::number(midway)));
    rusage before{};
    getrusage(RUSAGE_SELF, &before);
    waitForCountdown(countdown, slot);
    rusage after{};
    getrusage(RUSAGE_SELF, &after);
    QVERIFY(countdown.load() <= 0);
    // About 200 ms of waiting: a few wake-ups of this process's threads, not one a millisecond.
    const long wakeUps = after.ru_nvcsw - before.ru_nvcsw;
    QVERIFY2(wakeUps < 40, qPrintable(QString::number(wakeUps)));
}

QTEST_GUILESS_MAIN(TestMsCountdown)
#include "tst_mscountdown.moc"
