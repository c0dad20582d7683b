#include "rf/tickschedule.h"

#include <QTest>

// The waits of a cooperative loop on the countdown, with ticks given by hand.
class TestTickSchedule : public QObject
{
    Q_OBJECT
private slots:
    void overrunComesOffTheAbsorbingWait_data();
    void overrunComesOffTheAbsorbingWait();
};

void TestTickSchedule::overrunComesOffTheAbsorbingWait_data()
{
    QTest::addColumn<int>("first");
    // Steps of four numbers: ticks that pass, the next wait, how much of the debt it may absorb,
    // and the countdown it starts from.
    QTest::addColumn<QList<int>>("steps");
    QTest::newRow("overruns collect until a wait absorbs them")
        << 10 << QList<int>{12, 20, 0, 20, /**/ 21, 30, 5, 27, /**/ 27, 30, 5, 30};
    QTest::newRow("a stall is given up beyond the limit")
        << 0 << QList<int>{50, 20, 3, 17, /**/ 17, 20, 3, 20};
    QTest::newRow("never below no wait") << 10 << QList<int>{14, 2, 5, 0, /**/ 0, 20, 5, 20};
    QTest::newRow("a wait of 0 or less passes its time on")
        << 10 << QList<int>{10, -5, 3, -5, /**/ 3, 20, 3, 17};
    QTest::newRow("a wait ended early owes nothing") << 10 << QList<int>{4, 20, 3, 20};
}

void TestTickSchedule::overrunComesOffTheAbsorbingWait()
{
    QFETCH(int, first);
    QFETCH(QList<int>, steps);
    MsCountdown countdown{0};
    TickSchedule schedule(countdown);
    schedule.restart(first);
    for (int i = 0; i + 3 < steps.size(); i += 4) {
        countdown -= steps[i];
        schedule.next(steps[i + 1], steps[i + 2]);
        QCOMPARE(countdown.load(), steps[i + 3]);
    }
}

QTEST_GUILESS_MAIN(TestTickSchedule)
#include "tst_tickschedule.moc"
