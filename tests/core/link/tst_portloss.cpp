#include "core/support_corerig.h"

#include "link/linewait.h"

#include <QSignalSpy>
#include <QTest>

namespace
{

const QString kLossText =
    QStringLiteral("Unable to get async status (win error code: 5)\r\nInput/output error: the "
                   "adapter was unplugged or the line failed; plug it in and connect again");

// The cable is pulled at the next turn of the event loop, which the test runs inside a wait.
void pullAtNextTurn(CoreRig &rig)
{
    QMetaObject::invokeMethod(
        rig.port.get(), [&rig] { rig.device->simulateLoss(PortOperation::AsyncStatus, 5); },
        Qt::QueuedConnection);
}

} // namespace

// When and how often a pulled cable is reported: once, never in the middle of a wait or an
// operation, and by the first use of the closed port where the operation goes on.
class TestPortLoss : public QObject
{
    Q_OBJECT
private slots:
    void lossInAWaitIsReportedAfterTheNextWaitsToo();
    void lossInAnOperationIsReportedWhenTheOutermostEnds();
    void nextUseOfThePortThrowsTheLossInstead_data();
    void nextUseOfThePortThrowsTheLossInstead();
};

void TestPortLoss::lossInAWaitIsReportedAfterTheNextWaitsToo()
{
    CoreRig rig('C');
    QSignalSpy failed(rig.port.get(), &ComPort::failed);
    pullAtNextTurn(rig);
    LineWait::runPendingEvents();
    QVERIFY(!rig.port->isOpen());
    // The report deferred by the first wait comes due in the second: it waits again.
    LineWait::runPendingEvents();
    LineWait::sleepMs(1);
    QCOMPARE(failed.size(), 0);
    QTRY_COMPARE(failed.size(), 1);
    QCOMPARE(failed.at(0).at(0).toString(), kLossText);
}

void TestPortLoss::lossInAnOperationIsReportedWhenTheOutermostEnds()
{
    CoreRig rig('C');
    QSignalSpy failed(rig.port.get(), &ComPort::failed);
    {
        const ComPort::Operation operation(*rig.port);
        {
            const ComPort::Operation nested(*rig.port);
            pullAtNextTurn(rig);
            LineWait::runPendingEvents();
        }
        // Outside any wait, as while a message box of the operation is shown.
        QCoreApplication::processEvents();
        QCOMPARE(failed.size(), 0);
    }
    QCOMPARE(failed.size(), 1);
    QCOMPARE(failed.at(0).at(0).toString(), kLossText);
    QCoreApplication::processEvents();
    QCOMPARE(failed.size(), 1);
}

void TestPortLoss::nextUseOfThePortThrowsTheLossInstead_data()
{
    QTest::addColumn<QString>("use");
    for (const char *use : {"transaction", "open"})
        QTest::newRow(use) << use;
}

void TestPortLoss::nextUseOfThePortThrowsTheLossInstead()
{
    QFETCH(QString, use);
    CoreRig rig('C');
    QSignalSpy failed(rig.port.get(), &ComPort::failed);
    {
        const ComPort::Operation operation(*rig.port);
        pullAtNextTurn(rig);
        LineWait::sleepMs(1);
        try {
            if (use == QLatin1String("transaction"))
                rig.link->transaction(frameOf("B00001"));
            else
                rig.port->open();
            QFAIL("the closed port was used");
        } catch (const PortError &error) {
            QCOMPARE(error.text(), kLossText);
        }
    }
    QCoreApplication::processEvents();
    QCOMPARE(failed.size(), 0);
    QCOMPARE(rig.line(), QStringList());
}

QTEST_MAIN(TestPortLoss)
#include "tst_portloss.moc"
