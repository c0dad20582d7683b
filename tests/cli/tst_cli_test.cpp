// korvel-cli test against the emulated module: the measured values with their units, the
// recalibration's result from the module's final report, and the refusals and failures with their
// status.

#include "support_cli.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

#include <csignal>

class TestCliTest : public QObject
{
    Q_OBJECT
private slots:
    void measurementsWithTheirUnits_data();
    void measurementsWithTheirUnits();
    void recalibrationEndsWithTheModulesResult_data();
    void recalibrationEndsWithTheModulesResult();
    void refusalsAndFailuresEndWithTheirStatus_data();
    void refusalsAndFailuresEndWithTheirStatus();
    void interruptEndsTheWaitForTheResult();
};

void TestCliTest::measurementsWithTheirUnits_data()
{
    QTest::addColumn<QStringList>("simArguments");
    QTest::addColumn<QString>("test");
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("unit");
    QTest::newRow("temperature below zero") << QStringList{"--temperature", "-5"} << "temperature"
                                            << "-5°C" << -5.0 << "°C";
    QTest::newRow("voltage of a C module, command set 3")
        << QStringList{"--voltage", "33"} << "voltage"
        << "3.3V" << 3.3 << "V";
    QTest::newRow("voltage in whole volts")
        << QStringList{"--voltage", "30", "--command-set", "4"} << "voltage"
        << "3V" << 3.0 << "V";
    QTest::newRow("current RSSI of a B module")
        << QStringList{"--type", "B", "--rssi", "-87", "--rssi-max", "-40"} << "rssi"
        << "-87dBm" << -87.0 << "dBm";
}

void TestCliTest::measurementsWithTheirUnits()
{
    QFETCH(QStringList, simArguments);
    QFETCH(QString, test);
    QFETCH(QString, text);
    QFETCH(double, value);
    QFETCH(QString, unit);
    SimPort sim;
    QVERIFY(sim.start(simArguments));

    const CliResult plain = runCli({"test", test, "-p", sim.devicePath()});
    VERIFY_RUN(plain, 0);
    QCOMPARE(plain.out, text + "\n");
    QCOMPARE(plain.err, QString());

    const CliResult machine = runCli({"test", test, "--json", "-p", sim.devicePath()});
    VERIFY_RUN(machine, 0);
    const QJsonObject expected{{"test", test}, {"value", value}, {"unit", unit}, {"text", text}};
    QCOMPARE(ownKeys(json(machine)), expected);
}

void TestCliTest::recalibrationEndsWithTheModulesResult_data()
{
    QTest::addColumn<QStringList>("simArguments");
    QTest::addColumn<QString>("frame"); // as the exchange log shows it
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("value");
    QTest::newRow("C successful") << QStringList{"--recal-result", "1"} << "TX B0,21,00," << 0
                                  << "successful" << 1;
    QTest::newRow("B not successful") << QStringList{"--type", "B", "--recal-result", "2"}
                                      << "TX B0,22,00," << 1 << "not successful" << 2;
    // The answer "started" is lost and the final report comes in its place: the recalibration
    // is done, and it is not started a second time.
    QTest::newRow("C, answer lost")
        << QStringList{"--recal-result", "2", "--fault", "silent:B02100:1"} << "TX B0,21,00," << 1
        << "not successful" << 2;
}

void TestCliTest::recalibrationEndsWithTheModulesResult()
{
    QFETCH(QStringList, simArguments);
    QFETCH(QString, frame);
    QFETCH(int, exitCode);
    QFETCH(QString, text);
    QFETCH(int, value);
    SimPort sim;
    QVERIFY(sim.start(simArguments));

    const CliResult plain = runCli({"test", "recalibrate", "--debug", "-p", sim.devicePath()});
    VERIFY_RUN(plain, exitCode);
    QCOMPARE(plain.out, text + "\n");
    QCOMPARE(plain.err.count(frame), 1);
    if (exitCode != 0)
        QVERIFY2(plain.err.contains("korvel-cli: recalibrate: the module reports the "
                                    "recalibration as not successful\n"),
                 qPrintable(plain.err));

    const CliResult machine = runCli({"test", "recalibrate", "--json", "-p", sim.devicePath()});
    VERIFY_RUN(machine, exitCode);
    const QJsonObject expected{
        {"test", "recalibrate"}, {"value", value}, {"unit", ""}, {"text", text}};
    QCOMPARE(ownKeys(json(machine)), expected);
}

void TestCliTest::refusalsAndFailuresEndWithTheirStatus_data()
{
    QTest::addColumn<QStringList>("simArguments");
    QTest::addColumn<QStringList>("arguments"); // PORT stands for the emulator's path
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message");
    QTest::newRow("voltage of a B module")
        << QStringList{"--type", "B"} << QStringList{"test", "voltage", "-p", "PORT"} << 1
        << "voltage: the module (type B, command set 3) does not measure its supply voltage; C "
           "modules with command set 3 or higher do";
    QTest::newRow("voltage of a C module, command set 2")
        << QStringList{"--command-set", "2"} << QStringList{"test", "voltage", "-p", "PORT"} << 1
        << "voltage: the module (type C, command set 2) does not measure";
    QTest::newRow("voltage of the calibration software")
        << QStringList{"--type", "x"} << QStringList{"test", "voltage", "-p", "PORT"} << 1
        << "voltage: the module (type x, command set 3) does not measure";
    QTest::newRow("silent module")
        << QStringList{"--silent"} << QStringList{"test", "temperature", "-p", "PORT"} << 1
        << "stopped answering during the identification (5 attempts)";
    QTest::newRow("measurement not answered")
        << QStringList{"--fault", "silent:B00100:all"}
        << QStringList{"test", "rssi", "--json", "-p", "PORT"} << 1
        << "rssi: the module on PORT does not answer the measurement (5 attempts)";
    QTest::newRow("recalibration not answered")
        << QStringList{"--type", "B", "--fault", "module-error:B02200:all"}
        << QStringList{"test", "recalibrate", "-p", "PORT"} << 1
        << "recalibrate: the module on PORT does not answer the command (5 attempts)";
    QTest::newRow("unknown test") << QStringList{} << QStringList{"test", "humidity", "-p", "PORT"}
                                  << 2
                                  << "test: unknown test \"humidity\": temperature, voltage, rssi "
                                     "or recalibrate (see korvel-cli test --help)";
    QTest::newRow("no test") << QStringList{} << QStringList{"test", "-p", "PORT"} << 2
                             << "test: name one test";
    QTest::newRow("two tests") << QStringList{}
                               << QStringList{"test", "temperature", "rssi", "-p", "PORT"} << 2
                               << "test: unexpected \"rssi\"";
    QTest::newRow("missing port") << QStringList{}
                                  << QStringList{"test", "temperature", "-p", "/dev/korvel-none"}
                                  << 3 << "No such file or directory";
}

void TestCliTest::refusalsAndFailuresEndWithTheirStatus()
{
    QFETCH(QStringList, simArguments);
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, message);
    SimPort sim;
    QVERIFY(sim.start(simArguments));
    arguments.replaceInStrings(QStringLiteral("PORT"), sim.devicePath());
    message.replace(QStringLiteral("PORT"), sim.devicePath());

    const CliResult result = runCli(arguments);
    VERIFY_RUN(result, exitCode);
    QCOMPARE(result.out, QString());
    // Every error is one line naming its cause; a refused test sends nothing after the read-out.
    QVERIFY2(result.err.startsWith("korvel-cli: ") && result.err.count('\n') == 1 &&
                 result.err.contains(message),
             qPrintable(result.err));
}

void TestCliTest::interruptEndsTheWaitForTheResult()
{
    SimPort sim;
    QVERIFY(sim.start({"--recal-ms", "120000"}));
    CliProcess cli;
    cli.start({"test", "recalibrate", "-p", sim.devicePath()});
    QProcess &process = cli.process();
    process.setReadChannel(QProcess::StandardError);
    QTRY_VERIFY_WITH_TIMEOUT(process.peek(4096).contains("recalibration started"), 30000);

    cli.signal(SIGINT);
    const CliResult result = cli.finish(10000);
    VERIFY_RUN(result, 1);
    QCOMPARE(result.out, QString());
    QVERIFY2(result.err.contains("korvel-cli: recalibrate: interrupted before the module "
                                 "reported its result\n"),
             qPrintable(result.err));
}

QTEST_MAIN(TestCliTest)
#include "tst_cli_test.moc"
