// What has come over the line in time counts, whenever the PC gets to look at it. The emulated
// module runs in real time and the device makes the PC late on purpose (a read that comes back
// late); a busy machine only makes each case later, never earlier.
#include "core/support_corerig.h"

#include "link/catalogue.h"

#include <QTest>

namespace
{

// A B module whose type-query answer is 00 02 ("B").
constexpr quint8 kTypeB = 0x02;

} // namespace

class TestLineTiming : public QObject
{
    Q_OBJECT
private slots:
    void answerWaitingWhenTheLateReadLooksCounts();
    void answerBegunByTheDeadlineIsCompleted();
    void reportStreamStaysInStepWhenThePcIsLate();
};

void TestLineTiming::answerWaitingWhenTheLateReadLooksCounts()
{
    // The answer comes 10 ms after the 20 ms read timeout; the PC, busy elsewhere, gets back to
    // the read only 40 ms after its deadline, when the answer has long been waiting.
    EmulatorConfig config = CoreRig::configOf('B');
    config.processingDelayMs = 30;
    CoreRig rig(config, 20);
    rig.device->delayNextReadReturn(40);
    rig.link->transaction(Frame::Identify, Frame::QuerySoftwareType);
    QVERIFY(!rig.link->state().errorFlag);
    QCOMPARE(rig.link->answerByte(1), std::optional<quint8>(kTypeB));
    QCOMPARE(rig.link->state().retryCounter, quint8(5));
}

void TestLineTiming::answerBegunByTheDeadlineIsCompleted()
{
    // At 1200 baud the frame reaches the module after 25 ms and the answer's bytes arrive 34.2
    // and 42.5 ms after the write: a 38 ms read timeout ends between them.
    CoreRig rig('B');
    rig.port->setBaudRate(1200);
    rig.port->setReadTimeout(38);
    rig.link->transaction(Frame::Identify, Frame::QuerySoftwareType);
    QVERIFY(!rig.link->state().errorFlag);
    QCOMPARE(rig.link->state().lastAnswer, QByteArray::fromHex("0002"));
    QCOMPARE(rig.link->state().retryCounter, quint8(5));
}

void TestLineTiming::reportStreamStaysInStepWhenThePcIsLate()
{
    // An idle B module sending its maximum RSSI (30 C4) back to back at 1200 baud: a report every
    // 16.7 ms, its bytes 8.3 ms apart. The receive handler gets to each report late.
    EmulatorConfig config = CoreRig::configOf('B');
    config.reportStream = QByteArray::fromHex("30C4");
    config.reportPeriodMs = 2;
    config.reportStartMs = 100;
    CoreRig rig(config, 500);
    rig.port->setBaudRate(1200);
    // In step with the stream: this read returns as the first report's value arrives.
    QCOMPARE(rig.port->read(2), QByteArray::fromHex("30C4"));
    for (int report = 2; report <= 4; ++report) {
        // The next report is read, and the PC comes back 12 ms later, when the report after it
        // has sent its code and not yet its value: the clear after the answer meets it halfway.
        rig.device->delayNextReadReturn(12);
        rig.link->receiveHandler();
        QCOMPARE(rig.link->state().lastAnswer.toHex(), QByteArray("30c4"));
        QVERIFY2(!rig.link->state().errorFlag, qPrintable(QString::number(report)));
    }
    QCOMPARE(rig.link->state().retryCounter, quint8(5));
}

QTEST_MAIN(TestLineTiming)
#include "tst_linetiming.moc"
