// Line waits are counted per thread: a station waits on many lines at once, one per thread, and
// one line's wait must not hold back the events of another.

#include "link/linewait.h"

#include <QTest>

#include <future>
#include <thread>

class TestLineWaitThreads : public QObject
{
    Q_OBJECT
private slots:
    void aWaitOnAnotherThreadIsNotThisThreadsWait();
};

void TestLineWaitThreads::aWaitOnAnotherThreadIsNotThisThreadsWait()
{
    std::promise<void> entered;
    std::promise<void> leave;
    std::thread other([&] {
        const LineWait::Scope wait;
        entered.set_value();
        leave.get_future().wait();
    });
    entered.get_future().wait();
    // The other thread is inside its wait; this one is not.
    const bool activeHere = LineWait::active();
    // A call meant for after this thread's waits is not held for the other thread's.
    bool called = false;
    QObject context;
    LineWait::afterWait(&context, [&called] { called = true; });
    QCoreApplication::processEvents();
    leave.set_value();
    other.join();
    QVERIFY(!activeHere);
    QVERIFY(called);
}

QTEST_GUILESS_MAIN(TestLineWaitThreads)
#include "tst_linewaitthreads.moc"
