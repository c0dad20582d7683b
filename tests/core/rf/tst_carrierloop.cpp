// The carrier output against an emulated module: the transmitter switches and pattern bytes on
// the line, the configuration it changes and restores, and how the output ends.
#include "core/support_corerig.h"
#include "rf/carrier.h"

#include <QTest>

namespace
{

struct RecordedCarrierHost : CarrierHost {
    bool c = false;
    bool byCommand = true;
    CarrierConfiguration current;
    bool writeSucceeds = true;
    CarrierPhases times;
    int periods = 0; // phase times given before they cannot be read any more
    mutable int asked = 0;
    QList<int> reports;
    QList<bool> restoredIntoModule;
    QList<bool> runningChanges;
    int lost = 0;

    bool cModule() const override { return c; }
    bool rxTxSwitchByCommand() const override { return byCommand; }
    bool connected() const override { return true; }
    CarrierConfiguration configuration() const override { return current; }
    bool writeConfiguration(const CarrierConfiguration &configuration) override
    {
        if (writeSucceeds)
            current = configuration;
        return writeSucceeds;
    }
    void restoreConfiguration(const CarrierConfiguration &saved, bool writeToModule) override
    {
        current = saved;
        restoredIntoModule << writeToModule;
    }
    void runningChanged(bool running) override { runningChanges << running; }
    bool phaseTimesGiven() const override { return true; }
    std::optional<CarrierPhases> phaseTimes() const override
    {
        if (asked++ >= periods)
            return std::nullopt;
        return times;
    }
    int radioBaud() const override { return 9600; }
    void report(Report report) override { reports << int(report); }
    void moduleLost() override { ++lost; }
};

QStringList times(const QString &event, int count)
{
    return QStringList(count, event);
}

} // namespace

class TestCarrierLoop : public QObject
{
    Q_OBJECT
private slots:
    void outputUntilItEnds_data();
    void outputUntilItEnds();
};

void TestCarrierLoop::outputUntilItEnds_data()
{
    QTest::addColumn<char>("type");
    QTest::addColumn<bool>("byCommand");
    QTest::addColumn<bool>("modulated");
    QTest::addColumn<int>("periods"); // -1: transmit only, else alternation
    QTest::addColumn<int>("transmitMs");
    QTest::addColumn<int>("setting"); // the module's coding (B) or data options (C)
    QTest::addColumn<bool>("writeFails");
    QTest::addColumn<int>("fault"); // FaultKind, -1 none
    QTest::addColumn<QString>("faultFrame");
    QTest::addColumn<int>("faultCount");
    QTest::addColumn<int>("emptyEvents");
    QTest::addColumn<QStringList>("line");
    QTest::addColumn<QList<int>>("reports"); // CarrierHost::Report
    QTest::addColumn<bool>("lost");

    const QString on = QStringLiteral("write B0 20 01"), off = QStringLiteral("write B0 20 00");
    const int changes = int(CarrierHost::Report::ConfigurationChanges);
    const int tooShort = int(CarrierHost::Report::TransmitTimeTooShort);
    const int silent = int(FaultKind::Silent);
    // B coding 1 is Manchester, which a modulated carrier needs and an unmodulated one must not
    // have; C data options 6 are those of the stream.
    QTest::newRow("B by command") << 'B' << true << true << -1 << 0 << 1 << false << -1 << "" << 0
                                  << 0 << QStringList{on, off} << QList<int>{} << false;
    QTest::newRow("B by RTS") << 'B' << false << true << -1 << 0 << 1 << false << -1 << "" << 0 << 0
                              << QStringList{"rts 0", "rts 1"} << QList<int>{} << false;
    QTest::newRow("B coding changed for the carrier")
        << 'B' << true << false << -1 << 0 << 1 << false << -1 << "" << 0 << 0
        << QStringList{on, off} << QList<int>{changes} << false;
    QTest::newRow("B coding write fails: no output")
        << 'B' << true << false << -1 << 0 << 1 << true << -1 << "" << 0 << 0 << QStringList{}
        << QList<int>{changes} << false;
    // The phases alternate from transmit; the end of the times and the loop's end both switch
    // to receive.
    QTest::newRow("B alternation")
        << 'B' << true << true << 3 << 5 << 1 << false << -1 << "" << 0 << 0
        << QStringList{on, off, on, off, off} << QList<int>{} << false;
    QTest::newRow("B switch refused once")
        << 'B' << true << true << -1 << 0 << 1 << false << int(FaultKind::ModuleError) << "B0 20 01"
        << 1 << 0 << QStringList{on, on, off} << QList<int>{} << false;
    QTest::newRow("B silent: lost after five attempts, nothing more")
        << 'B' << true << true << -1 << 0 << 1 << false << silent << "" << -1 << 0 << times(on, 5)
        << QList<int>{} << true;
    QTest::newRow("B silent in the receive phase")
        << 'B' << true << true << 4 << 5 << 1 << false << silent << "B0 20 00" << -1 << 0
        << QStringList{on} + times(off, 5) << QList<int>{} << true;
    // One pattern byte at the start and one on every transmit-buffer-empty event.
    QTest::newRow("C stream") << 'C' << false << false << -1 << 0 << 6 << false << -1 << "" << 0
                              << 3 << times("write FF", 4) + QStringList{"rts 1"} << QList<int>{}
                              << false;
    QTest::newRow("C data options changed for the stream")
        << 'C' << false << true << -1 << 0 << 0 << false << -1 << "" << 0 << 0
        << QStringList{"write AA", "rts 1"} << QList<int>{changes} << false;
    // At 9600 a transmit phase of 20 ms takes 15 bytes; 7 ms leaves too few.
    QTest::newRow("C alternation")
        << 'C' << false << true << 2 << 20 << 6 << false << -1 << "" << 0 << 0
        << times("write AA", 30) + QStringList{"rts 1"} << QList<int>{} << false;
    QTest::newRow("C transmit phase too short")
        << 'C' << false << true << 2 << 7 << 6 << false << -1 << "" << 0 << 0
        << QStringList{"rts 1"} << QList<int>{tooShort} << false;
}

void TestCarrierLoop::outputUntilItEnds()
{
    QFETCH(char, type);
    QFETCH(bool, byCommand);
    QFETCH(bool, modulated);
    QFETCH(int, periods);
    QFETCH(int, transmitMs);
    QFETCH(int, setting);
    QFETCH(bool, writeFails);
    QFETCH(int, fault);
    QFETCH(QString, faultFrame);
    QFETCH(int, faultCount);
    QFETCH(int, emptyEvents);
    QFETCH(QStringList, line);
    QFETCH(QList<int>, reports);
    QFETCH(bool, lost);

    CoreRig rig(type);
    rig.module().setRam(0x10, byCommand ? 1 : 0); // a B module's RX/TX switch
    // A read-out leaves RTS on.
    rig.port->setRts(true);
    rig.device->clearRecords();
    if (fault >= 0)
        rig.inject(FaultKind(fault), frameOf(faultFrame.toLatin1()), faultCount);
    RecordedCarrierHost host;
    host.c = type == 'C';
    host.byCommand = byCommand;
    host.current.codingB = setting;
    host.current.dataOptionsC = quint8(setting);
    host.writeSucceeds = !writeFails;
    host.periods = periods;
    host.times = {transmitMs, 5};
    MsCountdown countdown;
    MmTimerSlot timer(countdown);
    bool streaming = false;
    int txState = 0;
    CarrierOutput output(CarrierLine{*rig.link, countdown, timer, streaming, txState}, host);

    output.start(modulated, periods >= 0);
    const bool transmitting = rig.module().transmitterOn();
    for (int i = 0; i < emptyEvents; ++i)
        output.transmitBufferEmpty();
    if (output.running())
        output.stop();
    output.transmitBufferEmpty(); // the stream has ended: nothing more goes out

    QCOMPARE(rig.line(), line);
    QCOMPARE(host.reports, reports);
    QCOMPARE(host.lost, lost ? 1 : 0);
    QCOMPARE(output.moduleLost(), lost);
    QCOMPARE(host.runningChanges, writeFails ? QList<bool>{} : QList<bool>({true, false}));
    QVERIFY(!output.running() && !output.loopActive());
    QVERIFY(!streaming && !timer.isRunning());
    QCOMPARE(txState, 0);
    // What the carrier changed comes back, into the module unless it was lost.
    QCOMPARE(type == 'C' ? int(host.current.dataOptionsC) : host.current.codingB, setting);
    const bool changed = reports.contains(int(CarrierHost::Report::ConfigurationChanges));
    QCOMPARE(host.restoredIntoModule, changed && !writeFails ? QList<bool>{!lost} : QList<bool>{});
    if (type == 'B' && periods < 0 && !lost && !writeFails)
        QVERIFY(transmitting);
    if (type == 'B' && !lost)
        QVERIFY(!rig.module().transmitterOn());
}

QTEST_MAIN(TestCarrierLoop)
#include "tst_carrierloop.moc"
