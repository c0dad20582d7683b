// The read-out's loop against an emulated module: which queries go out in which pass, when the
// passes end, and what the front end is told.
#include "core/support_corerig.h"
#include "module/moduleidentity.h"

#include <QTest>

namespace
{

struct RecordedReadout : ReadoutObserver {
    int identifiedCount = 0;
    QList<RegisterRead> configurations;
    int failures = 0;
    IdentityRecord last;
    void identified(const IdentityRecord &record) override
    {
        ++identifiedCount;
        last = record;
    }
    void configurationRead(const IdentityRecord &, const RegisterRead &registers) override
    {
        configurations << registers;
    }
    void communicationFailed() override { ++failures; }
};

const QStringList kTypeQuery{"B0 00 01"};
const QStringList kIdentifyB{"B0 00 00", "B0 00 02", "B0 00 03", "B0 00 04", "B0 00 05"};
const QStringList kIdentifyC{"B0 00 00", "B0 00 02", "B0 00 03",
                             "B0 00 06", "B0 00 04", "B0 00 05"};
const QStringList kRegistersB{"B0 02 09", "B0 02 0A", "B0 02 0B", "B0 02 0C",
                              "B0 02 10", "B0 02 0D", "B0 02 0E", "B0 02 0F",
                              "B0 02 11", "B0 02 12", "B0 02 13", "B0 02 14"};
const QStringList kRegistersC{"B0 02 09", "B0 02 0A", "B0 02 0B", "B0 02 0C",
                              "B0 02 0D", "B0 02 0E", "B0 02 0F", "B0 02 10"};

QStringList repeated(const QStringList &frames, int times)
{
    QStringList all;
    for (int i = 0; i < times; ++i)
        all += frames;
    return all;
}

} // namespace

class TestReadoutLoop : public QObject
{
    Q_OBJECT
private slots:
    void passesUntilOneSucceeds_data();
    void passesUntilOneSucceeds();
    void newTypeLetterSteersTheDispatchAtOnce();
};

void TestReadoutLoop::passesUntilOneSucceeds_data()
{
    QTest::addColumn<char>("type");
    QTest::addColumn<int>("fault"); // FaultKind, -1 none
    QTest::addColumn<QString>("faultFrame");
    QTest::addColumn<int>("faultCount");
    QTest::addColumn<QStringList>("frames");
    QTest::addColumn<int>("passes");
    QTest::addColumn<bool>("succeeded");
    QTest::addColumn<QString>("designation"); // empty: none made

    // The type query goes out once, before the passes; RTS is raised after it except for a C
    // module, which takes commands only while RTS is off.
    QTest::newRow("B module") << 'B' << -1 << "" << 0 << kTypeQuery + kIdentifyB + kRegistersB << 1
                              << true << "Korvel868-10-B3";
    QTest::newRow("C module asks for its speed")
        << 'C' << -1 << "" << 0 << kTypeQuery + kIdentifyC + kRegistersC << 1 << true
        << "Korvel868-10-C3";
    QTest::newRow("calibration software has no registers")
        << 'x' << -1 << "" << 0 << kTypeQuery + kIdentifyB << 1 << true << "Korvel868-10-x3";
    // A failed query ends its pass; nothing more goes out until the next one.
    QTest::newRow("lost serial number answer, second pass succeeds")
        << 'B' << int(FaultKind::Silent) << "B0 00 05" << 1
        << kTypeQuery + kIdentifyB + kIdentifyB + kRegistersB << 2 << true << "Korvel868-10-B3";
    QTest::newRow("register refused every time: five passes")
        << 'B' << int(FaultKind::ModuleError) << "B0 02 0D" << -1
        << kTypeQuery + repeated(kIdentifyB + kRegistersB.mid(0, 6), 5) << 5 << false
        << "Korvel868-10-B3";
    QTest::newRow("silent module: one frame a pass")
        << 'B' << int(FaultKind::Silent) << "" << -1 << kTypeQuery + repeated({"B0 00 00"}, 5) << 5
        << false << "";
    QTest::newRow("wrong echo counts as failed")
        << 'B' << int(FaultKind::WrongCode) << "B0 02 14" << 2
        << kTypeQuery + repeated(kIdentifyB + kRegistersB, 3) << 3 << true << "Korvel868-10-B3";
}

void TestReadoutLoop::passesUntilOneSucceeds()
{
    QFETCH(char, type);
    QFETCH(int, fault);
    QFETCH(QString, faultFrame);
    QFETCH(int, faultCount);
    QFETCH(QStringList, frames);
    QFETCH(int, passes);
    QFETCH(bool, succeeded);
    QFETCH(QString, designation);

    CoreRig rig(type);
    if (fault >= 0)
        rig.inject(FaultKind(fault), frameOf(faultFrame.toLatin1()), faultCount);
    IdentityRecord record;
    RecordedReadout observer;
    QList<int> sleeps;
    const bool result =
        readOutModule(*rig.link, record, false, observer, [&](int ms) { sleeps << ms; });

    QCOMPARE(result, succeeded);
    QCOMPARE(rig.line().filter(QStringLiteral("write ")), writesOf(frames));
    QCOMPARE(sleeps, QList<int>(passes, 200));
    QCOMPARE(observer.failures, succeeded ? 0 : 1);
    QCOMPARE(record.designation, designation);
    // A pass whose identification succeeded reads the configuration, failed or not.
    QCOMPARE(observer.configurations.size(), observer.identifiedCount);
    if (succeeded) {
        QCOMPARE(record.serial, QStringLiteral("123456"));
        QCOMPARE(observer.last, record);
        const QList<quint8> read = configurationRegisters(record.typeLetter);
        for (const quint8 reg : read)
            QCOMPARE(observer.configurations.last().at(reg), std::optional(rig.module().ram(reg)));
    }

    // Every frame after the type query goes out with RTS off for a C module and on otherwise;
    // the read-out leaves RTS on.
    const QStringList line = rig.line();
    const qsizetype firstPass = line.indexOf(writesOf(frames.mid(1, 1)).first(), 1);
    QCOMPARE(line.mid(0, 2), QStringList({"rts 0", "write B0 00 01"}));
    QCOMPARE(line.mid(2, firstPass - 2).contains(QStringLiteral("rts 1")), type != 'C');
    QCOMPARE(line.mid(firstPass, line.size() - firstPass - 1).filter(QStringLiteral("rts ")),
             QStringList());
    QCOMPARE(line.last(), QStringLiteral("rts 1"));
    QVERIFY(rig.port->rts());
}

void TestReadoutLoop::newTypeLetterSteersTheDispatchAtOnce()
{
    // The C module read before left its letter; this B module sends a field-strength report in
    // front of its band answer, which only the B dispatcher knows for one.
    EmulatorConfig config = CoreRig::configOf('B');
    config.band = 433;
    CoreRig rig(config);
    rig.host.letter = QStringLiteral("C");
    EmulatorFault fault;
    fault.kind = FaultKind::ReportBefore;
    fault.frame = frameOf("B00004");
    fault.report = frameOf("30A9");
    rig.module().injectFault(fault);
    IdentityRecord record;
    record.typeLetter = QStringLiteral("C");
    RecordedReadout observer;
    QVERIFY(readOutModule(*rig.link, record, false, observer, [](int) {}));
    QCOMPARE(rig.host.letter, QStringLiteral("B"));
    QCOMPARE(record.band, QStringLiteral("433"));
    QCOMPARE(record.designation, QStringLiteral("Korvel433-10-B3"));
    // The report brought the band query once more, as a B module's report does.
    QCOMPARE(rig.line().filter(QStringLiteral("write B0 00 04")).size(), 2);
}

QTEST_MAIN(TestReadoutLoop)
#include "tst_readoutloop.moc"
