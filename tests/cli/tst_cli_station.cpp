// korvel-cli station against emulated modules, each port on its own thread: a plan on four
// ports, units failing each kind of limit, a silent module and a lost port (korvel-sim's, which
// goes away) beside sound ones, a wrong plan, and continuous mode (korvel-sim, whose signal puts
// the next module in; each answer has 500 ms there).

#include "support_cli.h"
#include "support_plan.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <memory>

namespace
{

// A stored configuration of a C module whose receive and transmit channels differ from a fresh
// module's, so that a write that does not take shows after the power cycle.
const QByteArray kStoredC = StationPlan::storedConfigC("station test");

const QByteArray kFullPlan = "name = \"full\"\n" +
                             StationPlan::moduleSteps("designation = \"Korvel868-10-C3\"\n"
                                                      "firmware_min = \"1/4/0\"\n") +
                             R"([[step]]
run = "link"
cycles = 10
lost_max = 5
snr_min = 20
[[step]]
run = "carrier"
mode = "unmodulated"
seconds = 0.5
[[step]]
run = "sweep"
autoset = true
noise_max = -50
)";

QList<QJsonObject> jsonLines(const QString &text)
{
    QList<QJsonObject> objects;
    for (const QString &line : text.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        objects << QJsonDocument::fromJson(line.toUtf8()).object();
    return objects;
}

QJsonObject stepOf(const QJsonObject &unit, const QString &name)
{
    for (const QJsonValue &step : unit.value("steps").toArray()) {
        if (step.toObject().value("step").toString() == name)
            return step.toObject();
    }
    return {};
}

} // namespace

class TestCliStation : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void aPlanPassesOnFourPortsAndEveryUnitIsRecorded();
    void unitsFailEachKindOfLimit_data();
    void unitsFailEachKindOfLimit();
    void aSilentModuleAndALostPortLeaveTheOtherPortsAlone();
    void aWrongPlanIsRefusedBeforeAnyPortOpens();
    void continuousModeTestsTwoModulesInARow();

private:
    QString writePlan(const QByteArray &text);
    QString database() const { return m_dir.filePath(QStringLiteral("records.sqlite")); }
    QStringList stationArguments(const QString &plan) const
    {
        return {"station",
                plan,
                "--json",
                "--db",
                database(),
                "--spool",
                m_dir.filePath(QStringLiteral("spool.sqlite")),
                "--station",
                "T1",
                "--operator",
                "test"};
    }

    std::unique_ptr<QTemporaryDir> m_folder;
    QDir m_dir;
};

void TestCliStation::init()
{
    m_folder = std::make_unique<QTemporaryDir>();
    m_dir = QDir(m_folder->path());
    QVERIFY(!StationPlan::writeFile(m_dir.path(), QStringLiteral("M1.txt"), kStoredC).isEmpty());
}

QString TestCliStation::writePlan(const QByteArray &text)
{
    return StationPlan::writeFile(m_dir.path(), QStringLiteral("plan.toml"), text);
}

void TestCliStation::aPlanPassesOnFourPortsAndEveryUnitIsRecorded()
{
    SimPort sims[4];
    QStringList arguments = stationArguments(writePlan(kFullPlan));
    for (int i = 0; i < 4; ++i) {
        QVERIFY(sims[i].start({"--serial", QString::number(2001 + i)}));
        arguments << "-p" << sims[i].devicePath();
    }
    SimPort reference;
    QVERIFY(reference.start({"--serial", "9000"}));
    arguments << "--reference" << reference.devicePath();

    const CliResult result = runCli(arguments, 180000);
    VERIFY_RUN(result, 0);
    const QList<QJsonObject> units = jsonLines(result.out);
    QCOMPARE(units.size(), 4);
    QSet<int> serials;
    for (const QJsonObject &unit : units) {
        QCOMPARE(unit.value("result").toString(), QStringLiteral("passed"));
        QCOMPARE(unit.value("steps").toArray().size(), 6);
        QCOMPARE(unit.value("referenceSerialNumber").toString(), QStringLiteral("9000"));
        QCOMPARE(unit.value("station").toString(), QStringLiteral("T1"));
        QCOMPARE(unit.value("configurationSha256").toString().size(), 64);
        serials.insert(unit.value("serialNumber").toInt());
    }
    QCOMPARE(serials, (QSet<int>{2001, 2002, 2003, 2004}));
    QVERIFY2(result.err.contains(QStringLiteral("units: 4, passed: 4, failed: 0")),
             qPrintable(result.err));

    // The records hold the same units, each once; the CSV export has a row for each.
    const CliResult records = runCli({"records", "--db", database(), "--json"});
    VERIFY_RUN(records, 0);
    const QList<QJsonObject> stored = jsonLines(records.out);
    QCOMPARE(stored.size(), 4);
    for (const QJsonObject &unit : units) {
        const auto same = std::find_if(stored.begin(), stored.end(), [&](const QJsonObject &o) {
            return o.value("uuid") == unit.value("uuid");
        });
        QVERIFY(same != stored.end());
        QCOMPARE(*same, unit);
    }
    const CliResult csv = runCli({"records", "--db", database(), "--csv", "--serial", "2003"});
    VERIFY_RUN(csv, 0);
    const QStringList rows = csv.out.split('\n', Qt::SkipEmptyParts);
    QCOMPARE(rows.size(), 2);
    QVERIFY(rows.at(0).startsWith(QStringLiteral("uuid,serialNumber,")));
    QVERIFY(rows.at(1).contains(QStringLiteral(",2003,Korvel868-10-C3,")));
}

void TestCliStation::unitsFailEachKindOfLimit_data()
{
    QTest::addColumn<QStringList>("simArguments");
    QTest::addColumn<QByteArray>("step");
    QTest::addColumn<QString>("failure");

    const QByteArray identify = "run = \"identify\"\n";
    QTest::newRow("type") << QStringList{"--type", "B"} << identify + "type = \"C\"\n"
                          << "identify: type B, expected C";
    QTest::newRow("firmware") << QStringList{"--firmware-version", "1/3/9"}
                              << identify + "firmware_min = \"1/4/0\"\n"
                              << "identify: firmware 1/3/9, at least 1/4/0 expected";
    QTest::newRow("calibration") << QStringList{"--calibration-missing"}
                                 << identify + "calibration = \"OK\"\n"
                                 << "identify: calibration NOK, expected OK";
    QTest::newRow("verify after the power cycle")
        << QStringList{"--fault", "ignored:B089:all"}
        << QByteArray("run = \"write\"\nfile = \"M1.txt\"\n")
        << "write: verify after the power cycle: 1 of 8 registers differ (register 0x09";
    const QByteArray test = "run = \"test\"\n";
    QTest::newRow("temperature") << QStringList{"--temperature", "70"}
                                 << test + "temperature = [10, 45]\n"
                                 << "test: temperature 70°C above 45°C";
    QTest::newRow("voltage") << QStringList{"--voltage", "25"} << test + "voltage = [3.0, 3.6]\n"
                             << "test: voltage 2.5V below 3V";
    QTest::newRow("rssi") << QStringList{"--rssi", "-30"} << test + "rssi = [-120, -40]\n"
                          << "test: rssi -30dBm above -40dBm";
    QTest::newRow("recalibration")
        << QStringList{"--recal-result", "2"} << test + "recalibration = true\n"
        << "test: recalibration not successful, expected successful";
    const QByteArray link = "run = \"link\"\ncycles = 8\nlost_max = 10\nsnr_min = 20\n";
    QTest::newRow("lost share") << QStringList{"--link", "loss=0.5"} << link
                                << "link: lostPercent 50% above 10%";
    QTest::newRow("signal-to-noise")
        << QStringList{"--link", "s1=-90"} << link << "link: snr1Min 14dB below 20dB";
    // Channel 79 of the 868 MHz band is a slot of the plan around 869.0 MHz.
    QTest::newRow("noise") << QStringList{"--carrier", "K079:-60"}
                           << QByteArray("run = \"sweep\"\ncenter = 869.0\nspan = 50\n"
                                         "noise_max = -90\n")
                           << "sweep: noiseMax -";
}

void TestCliStation::unitsFailEachKindOfLimit()
{
    QFETCH(QStringList, simArguments);
    QFETCH(QByteArray, step);
    QFETCH(QString, failure);
    SimPort sim;
    QVERIFY(sim.start(simArguments));
    QStringList arguments = stationArguments(writePlan("name = \"limits\"\n[[step]]\n" + step +
                                                       "[[step]]\nrun = \"carrier\"\n"
                                                       "mode = \"modulated\"\nseconds = 0.2\n"));
    arguments << "-p" << sim.devicePath();
    SimPort reference;
    if (step.contains("link")) {
        QVERIFY(reference.start({"--serial", "9000"}));
        arguments << "--reference" << reference.devicePath();
    }
    const CliResult result = runCli(arguments, 120000);
    VERIFY_RUN(result, 1);
    const QList<QJsonObject> units = jsonLines(result.out);
    QCOMPARE(units.size(), 1);
    const QJsonObject unit = units.first();
    QCOMPARE(unit.value("result").toString(), QStringLiteral("failed"));
    QVERIFY2(unit.value("failure").toString().startsWith(failure),
             qPrintable(unit.value("failure").toString()));
    // The failed step ends the unit: the carrier after it is recorded as skipped.
    QCOMPARE(stepOf(unit, "carrier").value("result").toString(), QStringLiteral("skipped"));
    const QString stepName = failure.section(':', 0, 0);
    bool limitRecorded = false;
    for (const QJsonValue &m : stepOf(unit, stepName).value("measurements").toArray())
        limitRecorded = limitRecorded || m.toObject().value("result").toString() == "failed";
    QVERIFY(limitRecorded);
}

void TestCliStation::aSilentModuleAndALostPortLeaveTheOtherPortsAlone()
{
    SimPort sound, silent;
    SimProcess lost;
    QVERIFY(sound.start({"--serial", "3001"}));
    QVERIFY(silent.start({"--serial", "3002", "--fault", "silent:B001:all"}));
    QVERIFY(lost.start({"--serial", "3003"}));
    QStringList arguments = stationArguments(
        writePlan("name = \"faults\"\n[[step]]\nrun = \"test\"\ntemperature = [10, 45]\n"
                  "[[step]]\nrun = \"carrier\"\nmode = \"unmodulated\"\nseconds = 3\n"
                  "[[step]]\nrun = \"test\"\nrssi = [-120, -40]\n"));
    arguments << "-p" << sound.devicePath() << "-p" << silent.devicePath() << "-p"
              << lost.devicePath();
    CliProcess station;
    station.start(arguments);
    // The third module's carrier runs: its port goes away in the middle of the plan.
    QString lostLog;
    const auto carrierRuns = [&] {
        lostLog += lost.log();
        return lostLog.contains(QStringLiteral("carrier stream running"));
    };
    QTRY_VERIFY_WITH_TIMEOUT(carrierRuns(), 60000);
    lost.stop();
    const CliResult result = station.finish(120000);
    VERIFY_RUN(result, 3);
    QHash<int, QJsonObject> units;
    for (const QJsonObject &unit : jsonLines(result.out))
        units.insert(unit.value("serialNumber").toInt(), unit);
    QCOMPARE(units.size(), 3);
    QCOMPARE(units[3001].value("result").toString(), QStringLiteral("passed"));
    QCOMPARE(units[3001].value("steps").toArray().size(), 4);
    QVERIFY(stepOf(units[3001], "carrier").value("durationMs").toDouble() >= 3000);
    QVERIFY2(units[3002].value("failure").toString().startsWith(
                 QStringLiteral("test: temperature: the module does not answer")),
             qPrintable(units[3002].value("failure").toString()));
    QVERIFY2(
        units[3003].value("failure").toString().startsWith(QStringLiteral("carrier: port lost")),
        qPrintable(units[3003].value("failure").toString()));
    QVERIFY2(result.err.contains(QStringLiteral("port failed: ") + lost.devicePath()),
             qPrintable(result.err));
    QVERIFY(result.err.contains(QStringLiteral("failures per step: carrier 1, test 1")));
}

void TestCliStation::aWrongPlanIsRefusedBeforeAnyPortOpens()
{
    SimPort sim;
    QVERIFY(sim.start());
    const QString plan =
        writePlan("name = \"wrong\"\n[[step]]\nrun = \"test\"\ntemperature = [45, 10]\n"
                  "[[step]]\nrun = \"swep\"\n");
    const CliResult result = runCli(stationArguments(plan) << "-p" << sim.devicePath());
    VERIFY_RUN(result, 2);
    QVERIFY2(result.err.contains(plan + QStringLiteral(":4: temperature: min 45 is above max 10")),
             qPrintable(result.err));
    QVERIFY(result.err.contains(plan + QStringLiteral(":5: unknown step \"swep\"")));
    QVERIFY(result.out.isEmpty());
    // The module logs every frame it receives: the station sent none.
    QVERIFY2(!sim.log().contains(QStringLiteral(" rx ")), "the station talked to the module");
    QVERIFY(!QFile::exists(database()));
}

void TestCliStation::continuousModeTestsTwoModulesInARow()
{
    SimProcess sim;
    QVERIFY(sim.start({"--serial", "4001"}));
    CliProcess station;
    station.start(stationArguments(writePlan("name = \"row\"\n[[step]]\nrun = \"test\"\n"
                                             "temperature = [10, 45]\n"))
                  << "-p" << sim.devicePath() << "--continuous");
    QString out;
    const auto units = [&] {
        out += QString::fromUtf8(station.process().readAllStandardOutput());
        return jsonLines(out);
    };
    QTRY_COMPARE_WITH_TIMEOUT(units().size(), 1, 60000);
    // The operator swaps the module: the next one reports its start-up and is tested.
    ::kill(pid_t(sim.processId()), SIGUSR2);
    QTRY_COMPARE_WITH_TIMEOUT(units().size(), 2, 60000);
    station.signal(SIGINT);
    const CliResult result = station.finish();
    VERIFY_RUN(result, 0);
    const QList<QJsonObject> tested = jsonLines(out + result.out);
    QCOMPARE(tested.size(), 2);
    QCOMPARE(tested.at(0).value("serialNumber").toInt(), 4001);
    QCOMPARE(tested.at(1).value("serialNumber").toInt(), 4002);
    QCOMPARE(tested.at(1).value("result").toString(), QStringLiteral("passed"));
}

QTEST_GUILESS_MAIN(TestCliStation)
#include "tst_cli_station.moc"
