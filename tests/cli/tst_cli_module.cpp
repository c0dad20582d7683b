// korvel-cli identify, read, write and ports against the emulated module (korvel-sim for the
// port list).

#include "support_cli.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTest>

class TestCliModule : public QObject
{
    Q_OBJECT
private slots:
    void identifyTakesNoAnswerForAnotherFrames_data();
    void identifyTakesNoAnswerForAnotherFrames();
    void verifyFindsARegisterThatDidNotTakeTheWrite();
    void failuresEndWithTheirStatus_data();
    void failuresEndWithTheirStatus();
    void portsListsRunningEmulators();
    void linksNoGuiLibrary();
};

void TestCliModule::identifyTakesNoAnswerForAnotherFrames_data()
{
    // A busy 433 MHz B module: a field-strength report makes the frame go out again, and the
    // answers to both sendings come later.
    const QStringList busyB{"--type", "B", "--band", "433", "--processing-ms", "50"};
    QTest::addColumn<QStringList>("simArguments");
    QTest::newRow("report before the type answer")
        << busyB + QStringList{"--fault", "report-before:B00001:1:-:30"};
    QTest::newRow("report before every command-set answer")
        << busyB + QStringList{"--fault", "report-before:B00002:all:-:30"};
}

void TestCliModule::identifyTakesNoAnswerForAnotherFrames()
{
    QFETCH(QStringList, simArguments);
    SimPort sim;
    QVERIFY(sim.start(simArguments));
    const CliResult result = runCli({"identify", "-p", sim.devicePath(), "--json", "--debug"});
    VERIFY_RUN(result, 0);
    const QJsonObject id = json(result);
    QCOMPARE(id.value("designation").toString(), QStringLiteral("Korvel433-10-B3"));
    QCOMPARE(id.value("softwareVersion").toString(), QStringLiteral("1/4/12"));
    QCOMPARE(id.value("serialNumber").toInt(), 123456);
    // Read in one pass: no answer on the way failed.
    QVERIFY2(!result.err.contains(QRegularExpression("RX E[1-4] ")), qPrintable(result.err));
}

void TestCliModule::verifyFindsARegisterThatDidNotTakeTheWrite()
{
    QTemporaryDir dir;
    const QString file = dir.filePath("c.txt");
    {
        SimPort sim;
        QVERIFY(sim.start({"--type", "C"}));
        VERIFY_RUN(runCli({"read", "-p", sim.devicePath(), "-o", file}), 0);
    }
    // The module acknowledges every write to the radio-rate register without storing it.
    SimPort sim;
    QVERIFY(sim.start({"--type", "C", "--fault", "ignored:B00B:all"}));
    QStringList lines = QString::fromLatin1(fileBytes(file)).split("\r\n");
    lines[4] = lines[4] == "0" ? "1" : "0"; // CBox_HFbaud_C, line 5
    QFile edited(file);
    QVERIFY(edited.open(QIODevice::WriteOnly | QIODevice::Truncate));
    edited.write(lines.join("\r\n").toLatin1());
    edited.close();

    const CliResult unverified = runCli({"write", "-p", sim.devicePath(), "-i", file});
    VERIFY_RUN(unverified, 0);
    const CliResult verified = runCli({"write", "-p", sim.devicePath(), "-i", file, "--verify"});
    VERIFY_RUN(verified, 1);
    QVERIFY2(verified.err.contains("register 0x0B: written 0x0"), qPrintable(verified.err));
    QVERIFY2(verified.err.contains("verify failed: 1 of 8 registers differ"),
             qPrintable(verified.err));
}

void TestCliModule::failuresEndWithTheirStatus_data()
{
    QTest::addColumn<QStringList>("simArguments");
    QTest::addColumn<QStringList>("arguments"); // PORT stands for the emulator's path
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message");

    QTest::newRow("silent module")
        << QStringList{"--silent"} << QStringList{"identify", "-p", "PORT"} << 1
        << "stopped answering during the identification (5 attempts)";
    QTest::newRow("no start-up report")
        << QStringList{"--no-startup-report"} << QStringList{"read", "-p", "PORT", "--json"} << 1
        << "no start-up report from the module on";
    QTest::newRow("module stops answering")
        << QStringList{"--fault", "silent:B00005:all"} << QStringList{"identify", "-p", "PORT"} << 1
        << "stopped answering during the identification (5 attempts)";
    QTest::newRow("missing port") << QStringList{}
                                  << QStringList{"read", "-p", "/dev/korvel-none", "--json"} << 3
                                  << "No such file or directory";
    QTest::newRow("no port") << QStringList{} << QStringList{"identify"} << 2
                             << "identify: no port given: use -p PORT";
    QTest::newRow("unknown command") << QStringList{} << QStringList{"program", "-p", "PORT"} << 2
                                     << "unknown command \"program\"";
    QTest::newRow("read without target") << QStringList{} << QStringList{"read", "-p", "PORT"} << 2
                                         << "give either -o FILE or --json";
    QTest::newRow("missing file") << QStringList{}
                                  << QStringList{"write", "-p", "PORT", "-i", "/nonexistent/M1.txt"}
                                  << 2 << "cannot read /nonexistent/M1.txt";
    QTest::newRow("file of another type")
        << QStringList{"--type", "B"} << QStringList{"write", "-p", "PORT", "-i", "C_FILE"} << 1
        << "Saved configuration is only valid for same module typ: Configuration was saved with "
           "C-version Connected module = B-version";
    QTest::newRow("EEPROM of the calibration software")
        << QStringList{"--type", "x"}
        << QStringList{"write", "-p", "PORT", "-i", "C_FILE", "--eeprom"} << 1
        << "keeps its configuration in RAM only";
}

void TestCliModule::failuresEndWithTheirStatus()
{
    QFETCH(QStringList, simArguments);
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, message);

    QTemporaryDir dir;
    const QString cFile = dir.filePath("c.txt");
    QFile file(cFile);
    QVERIFY(file.open(QIODevice::WriteOnly));
    // A whole C file: 15 items without a selection, the recalibration text, the EEPROM mark.
    file.write("C line\r\nC\r\n" + QByteArray("-1\r\n").repeated(15) + "\r\n0\r\n");
    file.close();

    SimPort sim;
    QVERIFY(sim.start(simArguments));
    arguments.replaceInStrings(QRegularExpression("^PORT$"), sim.devicePath());
    arguments.replaceInStrings(QRegularExpression("^C_FILE$"), cFile);
    const CliResult result = runCli(arguments);
    VERIFY_RUN(result, exitCode);
    QVERIFY2(result.err.contains(message), qPrintable(result.err));
    // Every error is one line.
    QCOMPARE(result.err.count("korvel-cli: "), 1);
    QVERIFY(result.err.trimmed().split('\n').last().startsWith("korvel-cli: "));
}

void TestCliModule::portsListsRunningEmulators()
{
    SimProcess sim;
    QVERIFY(sim.start({"--serial", "8642"}));
    const CliResult text = runCli({"ports"});
    VERIFY_RUN(text, 0);
    QVERIFY2(text.out.contains("korvel-sim-8642\n"), qPrintable(text.out));

    const CliResult list = runCli({"ports", "--json"});
    VERIFY_RUN(list, 0);
    bool found = false;
    for (const QJsonValue &port : json(list).value("ports").toArray()) {
        const QJsonObject object = port.toObject();
        if (object.value("device").toString() == sim.devicePath()) {
            found = object.value("kind").toString() == "korvel-sim";
            // The link opens like a serial port.
            VERIFY_RUN(runCli({"identify", "-p", object.value("port").toString()}), 0);
        }
    }
    QVERIFY2(found, qPrintable(list.out));
}

void TestCliModule::linksNoGuiLibrary()
{
    QProcess ldd;
    ldd.start("ldd", {CliProcess::program()});
    QVERIFY(ldd.waitForFinished(10000));
    const QString libraries = QString::fromLocal8Bit(ldd.readAllStandardOutput());
    QVERIFY2(libraries.contains("libQt6Core"), qPrintable(libraries));
    QVERIFY2(!libraries.contains("Qt6Gui") && !libraries.contains("Qt6Widgets"),
             qPrintable(libraries));
}

QTEST_MAIN(TestCliModule)
#include "tst_cli_module.moc"
