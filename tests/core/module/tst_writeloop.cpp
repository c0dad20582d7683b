// The write of a configuration and its read-back against an emulated module: the frames of each
// pass, when the passes end, the PC's rate following the module, and what the read-back finds.
#include "core/support_corerig.h"
#include "module/itemcounts.h"
#include "module/verify.h"
#include "module/writeexecution.h"

#include <QTest>

namespace
{

// The front end's part: the PC follows the module's new serial rate.
struct FollowingObserver : WriteObserver {
    ComPort *port = nullptr;
    QList<int> switches;
    int passes = 0;
    void switchPcBaud(int item) override
    {
        switches << item;
        port->setBaudRate(*pcBaudRate(item));
    }
    void passEnded() override { ++passes; }
};

// Channel 1 both ways, radio item 2, then each plan's own registers; configBaud 0 is Autobaud.
WritePlan bPlan(int configBaud)
{
    BPageValues page;
    page.frqRx = page.frqTx = 0;
    page.hfBaud = page.kBreite = page.modArt = 2;
    page.code = page.rxTx = 1;
    page.configBaud = configBaud;
    page.pwrupB0 = page.pwrupB2 = page.pwrupB4 = page.pwrupB5 = 1;
    page.pwrContB0 = page.pwrContB1 = 1;
    page.recal = page.rssi = 0;
    return planBWrite(page);
}

WritePlan cPlan()
{
    CPageValues page;
    page.frqRx = page.frqTx = 0;
    page.hfBaud = 2;
    page.rs232Baud = 4;
    page.pwrupC0 = page.pwrupC2 = page.pwrupC5 = page.pwrContC0 = page.pwrContC1 = 1;
    page.recal = 0;
    std::fill(std::begin(page.data), std::end(page.data), 0);
    return planCWrite(page);
}

const QStringList kFramesB{"B0 09 01", "B0 0A 01", "B0 0B 02", "B0 0C 02", "B0 0D 01", "B0 0E 02",
                           "B0 0F 00", "B0 10 01", "B0 11 35", "B0 12 03", "B0 13 00", "B0 14 00"};
const QStringList kFramesC{"B0 09 01", "B0 0A 01", "B0 0B 02", "B0 0C 04",
                           "B0 0D 25", "B0 0E 03", "B0 0F 00", "B0 10 00"};

} // namespace

class TestWriteLoop : public QObject
{
    Q_OBJECT
private slots:
    void passesUntilOneSucceeds_data();
    void passesUntilOneSucceeds();
    void readBackListsWhatDiffers_data();
    void readBackListsWhatDiffers();
};

void TestWriteLoop::passesUntilOneSucceeds_data()
{
    QTest::addColumn<char>("type");
    QTest::addColumn<int>("configBaud");
    QTest::addColumn<int>("fault"); // FaultKind, -1 none
    QTest::addColumn<QString>("faultFrame");
    QTest::addColumn<int>("faultCount");
    QTest::addColumn<QList<int>>("framesPerPass"); // of the plan's frames, from the first
    QTest::addColumn<bool>("succeeded");
    QTest::addColumn<QList<int>>("switches");

    QTest::newRow("B, one pass") << 'B' << 0 << -1 << "" << 0 << QList<int>{12} << true
                                 << QList<int>{};
    QTest::newRow("C, one pass") << 'C' << 0 << -1 << "" << 0 << QList<int>{8} << true
                                 << QList<int>{};
    QTest::newRow("lost answer: the pass ends, the next one sends all")
        << 'B' << 0 << int(FaultKind::Silent) << "B0 0D" << 1 << QList<int>{5, 12} << true
        << QList<int>{};
    QTest::newRow("refused every time: five passes")
        << 'C' << 0 << int(FaultKind::ModuleError) << "B0 0E" << -1 << QList<int>(5, 6) << false
        << QList<int>{};
    QTest::newRow("silent module: five passes of one frame")
        << 'B' << 0 << int(FaultKind::Silent) << "" << -1 << QList<int>(5, 1) << false
        << QList<int>{};
    // The PC follows a new serial rate (item 4: 9600) only once the module took it.
    QTest::newRow("PC follows the new rate")
        << 'B' << 4 << -1 << "" << 0 << QList<int>{12} << true << QList<int>{3};
    QTest::newRow("refused rate is not followed")
        << 'B' << 4 << int(FaultKind::ModuleError) << "B0 0F" << 1 << QList<int>{7, 12} << true
        << QList<int>{3};
}

void TestWriteLoop::passesUntilOneSucceeds()
{
    QFETCH(char, type);
    QFETCH(int, configBaud);
    QFETCH(int, fault);
    QFETCH(QString, faultFrame);
    QFETCH(int, faultCount);
    QFETCH(QList<int>, framesPerPass);
    QFETCH(bool, succeeded);
    QFETCH(QList<int>, switches);

    CoreRig rig(type);
    if (fault >= 0)
        rig.inject(FaultKind(fault), frameOf(faultFrame.toLatin1()), faultCount);
    const WritePlan plan = type == 'C' ? cPlan() : bPlan(configBaud);
    QStringList all = type == 'C' ? kFramesC : kFramesB;
    if (configBaud > 0)
        all[6] = QStringLiteral("B0 0F 04");
    FollowingObserver observer;
    observer.port = rig.port.get();
    QList<int> sleeps;
    const bool result = executeWritePlan(*rig.link, plan, observer, [&](int ms) { sleeps << ms; });

    QCOMPARE(result, succeeded);
    QCOMPARE(observer.switches, switches);
    QCOMPARE(observer.passes, framesPerPass.size());
    QCOMPARE(sleeps, QList<int>(framesPerPass.size(), 200));
    // A C module's pass goes out between RTS off and RTS on.
    QStringList expected;
    for (int frames : framesPerPass) {
        if (type == 'C')
            expected << "rts 0" << writesOf(all.mid(0, frames)) << "rts 1";
        else
            expected << writesOf(all.mid(0, frames));
    }
    // The PC's new rate re-applies the line settings, RTS among them: only writes count for B.
    QCOMPARE(type == 'C' ? rig.line() : rig.line().filter(QStringLiteral("write ")), expected);
    if (succeeded)
        QCOMPARE(rig.module().moduleBaud(), configBaud == 4 ? 9600 : 19200);
}

void TestWriteLoop::readBackListsWhatDiffers_data()
{
    QTest::addColumn<char>("type");
    QTest::addColumn<int>("fault"); // during the read-back; Ignored during the write
    QTest::addColumn<QString>("faultFrame");
    QTest::addColumn<int>("attempts");
    QTest::addColumn<QList<int>>("differing"); // registers; a failed read differs too

    QTest::newRow("B, everything taken") << 'B' << -1 << "" << 1 << QList<int>{};
    QTest::newRow("C, everything taken") << 'C' << -1 << "" << 1 << QList<int>{};
    QTest::newRow("a register that keeps its value")
        << 'C' << int(FaultKind::Ignored) << "B0 0B" << 1 << QList<int>{0x0B};
    QTest::newRow("read-back fails every time")
        << 'B' << int(FaultKind::Silent) << "" << 5
        << QList<int>{0x09, 0x0A, 0x0B, 0x0C, 0x0D, 0x0E, 0x0F, 0x10, 0x11, 0x12, 0x13, 0x14};
}

void TestWriteLoop::readBackListsWhatDiffers()
{
    QFETCH(char, type);
    QFETCH(int, fault);
    QFETCH(QString, faultFrame);
    QFETCH(int, attempts);
    QFETCH(QList<int>, differing);

    CoreRig rig(type);
    const WritePlan plan = type == 'C' ? cPlan() : bPlan(0);
    if (fault == int(FaultKind::Ignored))
        rig.inject(FaultKind::Ignored, frameOf(faultFrame.toLatin1()));
    FollowingObserver observer;
    observer.port = rig.port.get();
    // The write cannot tell a register that ignored it.
    QVERIFY(executeWritePlan(*rig.link, plan, observer, [](int) {}));
    if (fault >= 0 && fault != int(FaultKind::Ignored))
        rig.inject(FaultKind(fault), frameOf(faultFrame.toLatin1()), -1);
    rig.device->clearRecords();
    QList<int> sleeps;
    const QList<RegisterMismatch> mismatches =
        verifyWrite(*rig.link, plan, QString(QChar(type)), [&](int ms) { sleeps << ms; });

    QList<int> registers;
    for (const RegisterMismatch &mismatch : mismatches) {
        registers << mismatch.reg;
        QCOMPARE(mismatch.actual.has_value(), attempts == 1);
        if (mismatch.actual)
            QCOMPARE(*mismatch.actual, rig.module().ram(mismatch.reg));
    }
    QCOMPARE(registers, differing);
    // A successful read-back does not wait; each failed attempt waits 200 ms.
    QCOMPARE(sleeps, QList<int>(attempts == 1 ? 0 : attempts, 200));
    const QStringList reads = rig.line().filter(QStringLiteral("write "));
    QCOMPARE(reads.size(), attempts == 1 ? (type == 'C' ? 8 : 12) : attempts);
    QCOMPARE(reads.first(), QStringLiteral("write B0 02 09"));
    // A C module is read with RTS off and left with RTS on.
    if (type == 'C')
        QCOMPARE(rig.line().filter(QStringLiteral("rts ")), QStringList({"rts 0", "rts 1"}));
}

QTEST_MAIN(TestWriteLoop)
#include "tst_writeloop.moc"
