// The monitor sweep against an emulated module: the frames of each sweep, the readings taken,
// the retries of a module that stops answering, and the steps that end the sweep.
#include "core/support_corerig.h"
#include "monitor/sweepcore.h"
#include "rf/mscountdown.h"

#include <QTest>

#include <functional>

namespace
{

// Slots 1, 2 and 4 active on channel items 4, 9 and 19; the module's receive channel is item 79.
struct RecordedSweepHost : SweepHost {
    SweepCore *core = nullptr;
    ComPort *port = nullptr;
    bool c = false;
    bool instantaneous = true;
    int sweepsWanted = 0;
    int closeAfterReadings = -1; // the port goes away after this many readings
    int speed = 10;
    std::function<void()> beforeSettle; // called after each tune, before its settle wait
    QList<int> levels;                  // of every reading, in order
    int sweeps = 0;
    int stopsFromSweep = 0;
    int receiveErrors = 0;

    int slotItem(int slot) const override
    {
        static const int items[] = {4, 9, -1, 19};
        return slot < 4 ? items[slot] : -1;
    }
    int speedPosition() const override
    {
        if (beforeSettle)
            beforeSettle();
        return speed;
    }
    int meanPosition() const override { return 0; }
    int peakWindowPosition() const override { return 1; }
    bool instantaneousRssi() const override { return instantaneous; }
    bool keepPeaks() const override { return false; }
    bool moduleConnected() const override { return true; }
    bool cModule() const override { return c; }
    int receiveChannelItem() const override { return 79; }
    void slotMeasured(int, int level, int) override
    {
        levels << level;
        if (levels.size() == closeAfterReadings)
            port->close();
    }
    void sweepMeasured() override
    {
        if (++sweeps == sweepsWanted)
            core->requestStop();
    }
    void stopFromSweep() override
    {
        ++stopsFromSweep;
        core->requestStop(); // as the front end's stop does
    }
    void receiveError() override { ++receiveErrors; }
};

const QStringList kSweep{"B0 09 05", "B0 01 00", "B0 09 0A", "B0 01 00", "B0 09 14", "B0 01 00"};

} // namespace

class TestSweepLoop : public QObject
{
    Q_OBJECT
private slots:
    void sweepsUntilStopped_data();
    void sweepsUntilStopped();
    void lateAnswersBetweenSlotsCountTowardTheFive();
};

void TestSweepLoop::sweepsUntilStopped_data()
{
    QTest::addColumn<char>("type");
    QTest::addColumn<bool>("instantaneous");
    QTest::addColumn<int>("fault"); // FaultKind, -1 none
    QTest::addColumn<QString>("faultFrame");
    QTest::addColumn<int>("faultCount");
    QTest::addColumn<int>("closeAfterReadings");
    QTest::addColumn<QStringList>("frames");
    QTest::addColumn<QList<int>>("levels");
    QTest::addColumn<int>("sweeps");
    QTest::addColumn<bool>("receiveError");

    // The first tune to slot 1 goes out before the sweeps; the stop tunes back to channel 80.
    const QStringList tuneBack{"B0 09 50"};
    const QList<int> twoSweeps{-87, -87, -87, -87, -87, -87};
    QTest::newRow("B, two sweeps")
        << 'B' << true << -1 << "" << 0 << -1
        << QStringList{"B0 09 05"} + kSweep + kSweep + tuneBack << twoSweeps << 2 << false;
    QTest::newRow("C, two sweeps")
        << 'C' << true << -1 << "" << 0 << -1
        << QStringList{"B0 09 05"} + kSweep + kSweep + tuneBack << twoSweeps << 2 << false;
    QStringList heldMaximum = kSweep;
    heldMaximum.replaceInStrings(QStringLiteral("B0 01 00"), QStringLiteral("B0 01 01"));
    QTest::newRow("held maximum") << 'B' << false << -1 << "" << 0 << -1
                                  << QStringList{"B0 09 05"} + heldMaximum + heldMaximum + tuneBack
                                  << QList<int>(6, -60) << 2 << false;
    // A lost reading leaves its slot as it was and the sweep goes on.
    QTest::newRow("one reading lost")
        << 'B' << true << int(FaultKind::Silent) << "B0 01" << 1 << -1
        << QStringList{"B0 09 05"} + kSweep + kSweep + tuneBack << QList<int>(5, -87) << 2 << false;
    // Every failed slot counts against the five retries; a failed tune skips its reading.
    QTest::newRow("module stops answering")
        << 'B' << true << int(FaultKind::Silent) << "" << -1 << -1
        << QStringList{"B0 09 05", "B0 09 05", "B0 09 0A", "B0 09 14", "B0 09 05", "B0 09 0A"} +
               tuneBack
        << QList<int>{} << 1 << true;
    QTest::newRow("port closed during the sweep")
        << 'B' << true << -1 << "" << 0 << 2 << QStringList{"B0 09 05"} + kSweep.mid(0, 4)
        << QList<int>{-87, -87} << 0 << false;
}

void TestSweepLoop::sweepsUntilStopped()
{
    QFETCH(char, type);
    QFETCH(bool, instantaneous);
    QFETCH(int, fault);
    QFETCH(QString, faultFrame);
    QFETCH(int, faultCount);
    QFETCH(int, closeAfterReadings);
    QFETCH(QStringList, frames);
    QFETCH(QList<int>, levels);
    QFETCH(int, sweeps);
    QFETCH(bool, receiveError);

    CoreRig rig(type);
    // A read-out leaves RTS on.
    rig.port->setRts(true);
    rig.device->clearRecords();
    if (fault >= 0)
        rig.inject(FaultKind(fault), frameOf(faultFrame.toLatin1()), faultCount);
    MsCountdown countdown;
    MmTimerSlot timer(countdown);
    RecordedSweepHost host;
    SweepCore core(*rig.link, countdown, timer, host);
    host.core = &core;
    host.port = rig.port.get();
    host.c = type == 'C';
    host.instantaneous = instantaneous;
    host.sweepsWanted = 2;
    host.closeAfterReadings = closeAfterReadings;

    core.run(19200);

    QCOMPARE(rig.line().filter(QStringLiteral("write ")), writesOf(frames));
    QCOMPARE(host.levels, levels);
    QCOMPARE(host.sweeps, sweeps);
    QCOMPARE(host.receiveErrors, receiveError ? 1 : 0);
    const bool closed = closeAfterReadings >= 0;
    QCOMPARE(host.stopsFromSweep, receiveError || closed ? 1 : 0);
    QVERIFY(!core.running() && !core.loopActive());
    QVERIFY(!timer.isRunning());
    // A C module takes the frames with RTS off and gets RTS back at the end; the read timeout
    // is the connected one again.
    if (type == 'C')
        QCOMPARE(rig.line().filter(QStringLiteral("rts ")), QStringList({"rts 0", "rts 1"}));
    else
        QCOMPARE(rig.line().filter(QStringLiteral("rts ")), QStringList());
    if (!closed) {
        QCOMPARE(rig.port->readTimeout(), 500);
        QCOMPARE(rig.module().ram(0x09), quint8(80));
    }
}

void TestSweepLoop::lateAnswersBetweenSlotsCountTowardTheFive()
{
    CoreRig rig('B');
    // While the sweep waits, the window dispatches what arrives.
    QObject::connect(rig.port.get(), &ComPort::bytesReceived, rig.port.get(),
                     [&rig] { rig.link->receiveHandler(); });
    // Four slots in a row get no reading, which leaves one attempt.
    rig.inject(FaultKind::Silent, frameOf("B001"), 4);
    MsCountdown countdown;
    MmTimerSlot timer(countdown);
    RecordedSweepHost host;
    SweepCore core(*rig.link, countdown, timer, host);
    host.core = &core;
    host.port = rig.port.get();
    host.sweepsWanted = 3;
    host.speed = 0; // 105 ms to settle
    int tunes = 0;
    host.beforeSettle = [&] {
        // Behind the fifth tune's answer come two answers that the module owed to queries it
        // did not answer in time, far inside the settle wait: each is a failed answer.
        if (++tunes != 5)
            return;
        const QByteArray late = QByteArray::fromHex("01A9");
        rig.module().emitReport(late, rig.device->nowMs() + 5);
        rig.module().emitReport(late, rig.device->nowMs() + 40);
    };

    core.run(19200);

    // Five failed answers in a row end the sweep with a receive error, however many of them
    // came while the sweep waited; the line stays open and the module is tuned back.
    QCOMPARE(host.receiveErrors, 1);
    QCOMPARE(host.stopsFromSweep, 1);
    QVERIFY(rig.port->isOpen());
    QCOMPARE(rig.line().filter(QStringLiteral("write ")).last(), QStringLiteral("write B0 09 50"));
    QCOMPARE(rig.module().ram(0x09), quint8(80));
    QCOMPARE(host.levels, QList<int>{});
}

QTEST_MAIN(TestSweepLoop)
#include "tst_sweeploop.moc"
