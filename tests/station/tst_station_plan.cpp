// Test plans: what a correct plan holds, and every fault of a wrong one named with its line
// before any port is opened.

#include "support_plan.h"

#include "station/plan.h"

#include <QTemporaryDir>
#include <QTest>

namespace
{

const QByteArray kStoredC = StationPlan::storedConfigC("Korvel868-10-C3 1001");

const QByteArray kGoodPlan = "name = \"Korvel868 C final test\"\n\n" +
                             StationPlan::moduleSteps("band = 868\n"
                                                      "designation = \"Korvel868-10-C3\"\n"
                                                      "firmware_min = \"1/4/0\"\n",
                                                      "\n") +
                             R"(
[[step]]
run = "link"
cycles = 50
lost_max = 2.5
snr_min = 20

[[step]]
run = "carrier"
mode = "modulated"
seconds = 1.5
tx_ms = 100
rx_ms = 50

[[step]]
run = "sweep"
center = 868.3
span = 200
sweeps = 2
noise_max = -90
)";

} // namespace

class TestStationPlan : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void aGoodPlanHoldsEveryStepInOrder();
    void aWrongPlanNamesTheLine_data();
    void aWrongPlanNamesTheLine();
    void everyFaultIsNamedNotOnlyTheFirst();
    void versionsCompareNumberByNumber();

private:
    QString writePlan(const QByteArray &text);
    QTemporaryDir m_dir;
};

void TestStationPlan::init()
{
    QVERIFY(!StationPlan::writeFile(m_dir.path(), QStringLiteral("M1.txt"), kStoredC).isEmpty());
}

QString TestStationPlan::writePlan(const QByteArray &text)
{
    return StationPlan::writeFile(m_dir.path(), QStringLiteral("plan.toml"), text);
}

void TestStationPlan::aGoodPlanHoldsEveryStepInOrder()
{
    const Station::PlanCheck check = Station::readPlan(writePlan(kGoodPlan));
    QVERIFY2(check.plan, qPrintable(check.errors.join('\n')));
    const Station::Plan &plan = *check.plan;
    QCOMPARE(plan.name, QStringLiteral("Korvel868 C final test"));
    QCOMPARE(plan.sha256.size(), 64);
    QStringList names;
    for (const Station::PlanStep &step : plan.steps)
        names << step.name();
    QCOMPARE(names, (QStringList{"identify", "write", "test", "link", "carrier", "sweep"}));
    QCOMPARE(plan.steps.at(1).line, 11);
    QVERIFY(plan.needsReference());

    const auto &identify = std::get<Station::IdentifyStep>(plan.steps.at(0).settings);
    QCOMPARE(*identify.firmwareMin, (QList<int>{1, 4, 0}));
    const auto &write = std::get<Station::WriteStep>(plan.steps.at(1).settings);
    QCOMPARE(write.bytes, kStoredC);
    QCOMPARE(write.typeLetter, QStringLiteral("C"));
    const auto &test = std::get<Station::TestStep>(plan.steps.at(2).settings);
    QCOMPARE(*test.voltage->min, 3.0);
    QCOMPARE(*test.rssi->max, -40.0);
    QVERIFY(test.recalibration);
    QVERIFY(test.temperature->contains(45) && !test.temperature->contains(45.5));
    const auto &link = std::get<Station::LinkStep>(plan.steps.at(3).settings);
    QCOMPARE(link.cycles, 50);
    QCOMPARE(link.lostMaxPercent, 2.5);
    const auto &carrier = std::get<Station::CarrierStep>(plan.steps.at(4).settings);
    QVERIFY(carrier.modulated);
    QCOMPARE(carrier.phases->transmitMs, 100);
    const auto &sweep = std::get<Station::SweepStep>(plan.steps.at(5).settings);
    QVERIFY(!sweep.autoset);
    QCOMPARE(sweep.centre, QStringLiteral("868.3"));
    QCOMPARE(sweep.noiseMax, -90.0);
}

void TestStationPlan::aWrongPlanNamesTheLine_data()
{
    QTest::addColumn<QByteArray>("plan");
    QTest::addColumn<int>("line");
    QTest::addColumn<QString>("says");

    const QByteArray head = "name = \"p\"\n";
    QTest::newRow("not TOML") << QByteArray("name = \"p\"\n[[step]\n") << 2 << "";
    QTest::newRow("no name") << QByteArray("[[step]]\nrun = \"test\"\nrssi = [-1, 0]\n") << 1
                             << "needs a name";
    QTest::newRow("no step") << head << 1 << "at least one [[step]]";
    QTest::newRow("unknown step") << head + "[[step]]\nrun = \"calibrate\"\n"
                                  << 2 << "unknown step \"calibrate\"";
    QTest::newRow("misspelt key")
        << head + "[[step]]\nrun = \"test\"\ntemprature = [0, 50]\nrssi = [-1, 0]\n"
        << 4 << "unknown key \"temprature\" in a test step";
    QTest::newRow("range reversed") << head + "[[step]]\nrun = \"test\"\n\ntemperature = [50, 0]\n"
                                    << 5 << "min 50 is above max 0";
    QTest::newRow("range not two numbers") << head + "[[step]]\nrun = \"test\"\nvoltage = [3.3]\n"
                                           << 4 << "[min, max] in V";
    QTest::newRow("test without limits") << head + "[[step]]\nrun = \"test\"\n"
                                         << 2 << "needs temperature, voltage, rssi";
    QTest::newRow("identify not first")
        << head + "[[step]]\nrun = \"test\"\nrssi = [-1, 0]\n[[step]]\nrun = \"identify\"\n"
        << 5 << "identify must be the first step";
    QTest::newRow("bad firmware") << head + "[[step]]\nrun = \"identify\"\nfirmware_min = \"1.4\"\n"
                                  << 4 << "firmware_min";
    QTest::newRow("designation of another type")
        << head + "[[step]]\nrun = \"identify\"\ntype = \"B\"\ndesignation = \"Korvel868-10-C3\"\n"
        << 5 << "is no type B module";
    QTest::newRow("missing file") << head + "[[step]]\nrun = \"write\"\nfile = \"M9.txt\"\n"
                                  << 4 << "file M9.txt: cannot be read";
    QTest::newRow("file of another type")
        << head + "[[step]]\nrun = \"identify\"\ntype = \"B\"\n[[step]]\nrun = \"write\"\n"
                  "file = \"M1.txt\"\n"
        << 7 << "saved from a C module; the plan identifies type B";
    QTest::newRow("link for a B module")
        << head + "[[step]]\nrun = \"identify\"\ntype = \"B\"\n[[step]]\nrun = \"link\"\n"
                  "cycles = 5\nlost_max = 0\nsnr_min = 10\n"
        << 5 << "LinkControl needs a C module";
    QTest::newRow("link without limits") << head + "[[step]]\nrun = \"link\"\ncycles = 5\n"
                                         << 2 << "a link step needs lost_max";
    QTest::newRow("cycles not whole")
        << head + "[[step]]\nrun = \"link\"\ncycles = 2.5\nlost_max = 0\nsnr_min = 1\n"
        << 4 << "cycles: a whole number from 1";
    QTest::newRow("carrier mode")
        << head + "[[step]]\nrun = \"carrier\"\nmode = \"loud\"\nseconds = 1\n"
        << 4 << "\"unmodulated\" or \"modulated\"";
    QTest::newRow("carrier half an alternation")
        << head + "[[step]]\nrun = \"carrier\"\nmode = \"modulated\"\nseconds = 1\ntx_ms = 10\n"
        << 6 << "tx_ms and rx_ms go together";
    QTest::newRow("sweep without plan") << head + "[[step]]\nrun = \"sweep\"\nnoise_max = -90\n"
                                        << 2 << "needs autoset = true or center and span";
    QTest::newRow("sweep span negative")
        << head + "[[step]]\nrun = \"sweep\"\ncenter = 868.3\nspan = -5\nnoise_max = -90\n"
        << 4 << "center 868.3, span -5";
    QTest::newRow("noise limit out of range")
        << head + "[[step]]\nrun = \"sweep\"\nautoset = true\nnoise_max = -300\n"
        << 5 << "noise_max: a number from -128 to 127";
}

void TestStationPlan::aWrongPlanNamesTheLine()
{
    QFETCH(QByteArray, plan);
    QFETCH(int, line);
    QFETCH(QString, says);
    const QString path = writePlan(plan);
    const Station::PlanCheck check = Station::readPlan(path);
    QVERIFY(!check.plan);
    QVERIFY(!check.errors.isEmpty());
    const QString first = check.errors.first();
    QVERIFY2(first.startsWith(QStringLiteral("%1:%2: ").arg(path).arg(line)), qPrintable(first));
    QVERIFY2(first.contains(says), qPrintable(first));
}

void TestStationPlan::everyFaultIsNamedNotOnlyTheFirst()
{
    const Station::PlanCheck check = Station::readPlan(
        writePlan("name = \"p\"\n[[step]]\nrun = \"test\"\ntemperature = [9, 1]\n"
                  "[[step]]\nrun = \"carrier\"\nmode = \"modulated\"\nseconds = 0\n"));
    QCOMPARE(check.errors.size(), 2);
    QVERIFY(check.errors.at(0).contains(QStringLiteral(":4: ")));
    QVERIFY(check.errors.at(1).contains(QStringLiteral(":8: seconds")));
}

void TestStationPlan::versionsCompareNumberByNumber()
{
    QVERIFY(Station::versionAtLeast({1, 10, 0}, {1, 9, 12}));
    QVERIFY(Station::versionAtLeast({1, 4, 12}, {1, 4, 12}));
    QVERIFY(!Station::versionAtLeast({1, 4, 11}, {1, 4, 12}));
    QVERIFY(!Station::parseVersion(QStringLiteral("1/4")));
    QCOMPARE(*Station::parseVersion(QStringLiteral("2/0/7")), (QList<int>{2, 0, 7}));
}

QTEST_GUILESS_MAIN(TestStationPlan)
#include "tst_station_plan.moc"
