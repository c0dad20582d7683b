// korvel-cli identify, read, write and ports against the emulated module (korvel-sim for the
// port list), and against the window: the command line reads the module as the window does and
// their files are interchangeable.

#include "support_cli.h"

#include "simports.h"

#include <QComboBox>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>

namespace
{

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

} // namespace

class TestCliModule : public QObject
{
    Q_OBJECT
private slots:
    // The window in the test opens the in-process modules too.
    void initTestCase() { SimPorts::install(); }
    void identifyAgreesWithTheWindow_data();
    void identifyAgreesWithTheWindow();
    void identifyTakesNoAnswerForAnotherFrames_data();
    void identifyTakesNoAnswerForAnotherFrames();
    void filesGoBothWaysBetweenWindowAndCommandLine_data();
    void filesGoBothWaysBetweenWindowAndCommandLine();
    void verifyFindsARegisterThatDidNotTakeTheWrite();
    void failuresEndWithTheirStatus_data();
    void failuresEndWithTheirStatus();
    void portsListsRunningEmulators();
    void linksNoGuiLibrary();
};

void TestCliModule::identifyAgreesWithTheWindow_data()
{
    QTest::addColumn<QStringList>("simArguments");
    QTest::newRow("B 868") << QStringList{"--type", "B", "--serial", "4711"};
    QTest::newRow("C 433, command set 2")
        << QStringList{"--type", "C", "--band", "433", "--command-set", "2", "--hardware", "12"};
    QTest::newRow("calibration software") << QStringList{"--type", "x"};
}

void TestCliModule::identifyAgreesWithTheWindow()
{
    QFETCH(QStringList, simArguments);
    SimPort sim;
    QVERIFY(sim.start(simArguments));
    const CliResult result = runCli({"identify", "-p", sim.devicePath(), "--json"});
    VERIFY_RUN(result, 0);
    const QJsonObject id = json(result);

    SimWindow window;
    window.connectTo(sim.devicePath(), QStringLiteral("19200"));
    QVERIFY2(window.messages.isEmpty(), qPrintable(window.messages.join('|')));
    QCOMPARE(id.value("type").toString(), window.text("Edit_SW_Typ"));
    QCOMPARE(id.value("designation").toString(), window.text("EditModTyp"));
    QCOMPARE(id.value("softwareVersion").toString(), window.text("Edit_SW_Version"));
    QCOMPARE(QString::number(id.value("commandSet").toInt()), window.text("Edit_Bef_Version"));
    QCOMPARE(QString::number(id.value("hardware").toInt()), window.text("Edit_HW_Version"));
    QCOMPARE(id.value("speed").toString(), window.text("Edit_SW_Speed"));
    QCOMPARE(QString::number(id.value("band").toInt()), window.text("Edit_Frq_Version"));
    QCOMPARE(QString::number(id.value("serialNumber").toInt()), window.text("Edit_Ser_NR"));
    QCOMPARE(id.value("calibration").toString(), window.text("Edit_Caldata"));
    QVERIFY(!id.value("designation").toString().isEmpty());
    window.button("BtnTrennen")->click();

    // The text form carries the same values, a line each.
    const CliResult text = runCli({"identify", "-p", sim.devicePath()});
    VERIFY_RUN(text, 0);
    QVERIFY2(text.out.contains("designation: " + id.value("designation").toString() + "\n"),
             qPrintable(text.out));
}

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

void TestCliModule::filesGoBothWaysBetweenWindowAndCommandLine_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("rxBox");
    QTest::newRow("B") << "B"
                       << "CBox_Frq_RX_B";
    QTest::newRow("C") << "C"
                       << "CBox_Frq_RX_C";
}

void TestCliModule::filesGoBothWaysBetweenWindowAndCommandLine()
{
    QFETCH(QString, type);
    QFETCH(QString, rxBox);
    SimWindow window;
    const QString eeprom = window.dir.filePath("module.eeprom");
    SimPort sim;
    QVERIFY(sim.start({"--type", type, "--eeprom", eeprom}));

    // The command line's file is the one the window saves after its own read-out.
    const QString cliFile = window.dir.filePath("M1.txt");
    const CliResult read =
        runCli({"read", "-p", sim.devicePath(), "-o", cliFile, "--info", "line 7, rack 2"});
    VERIFY_RUN(read, 0);
    window.connectTo(sim.devicePath(), QStringLiteral("19200"));
    QVERIFY2(window.messages.isEmpty(), qPrintable(window.messages.join('|')));
    window.combo("CBox_Speicher")->setEditText("M2");
    window.find<QLineEdit>("Edit_info")->setText("line 7, rack 2");
    window.button("BtnSave")->click();
    QCOMPARE(fileBytes(cliFile), fileBytes(window.dir.filePath("M2.txt")));

    // The window loads it without a word.
    window.combo("CBox_Speicher")->setEditText("M1");
    window.button("BtnLoad")->click();
    QVERIFY2(window.messages.isEmpty(), qPrintable(window.messages.join('|')));

    // A configuration the window saves is written by the command line into the EEPROM and
    // survives the restart of the next connect.
    const int oldRx = window.combo(qPrintable(rxBox))->currentIndex();
    const int newRx = oldRx == 10 ? 11 : 10;
    window.choose(qPrintable(rxBox), newRx);
    window.combo("CBox_Speicher")->setEditText("M3");
    window.button("BtnSave")->click();
    window.button("BtnTrennen")->click();
    const CliResult write = runCli({"write", "-p", sim.devicePath(), "-i",
                                    window.dir.filePath("M3.txt"), "--eeprom", "--verify"});
    VERIFY_RUN(write, 0);
    QVERIFY2(write.out.contains("verified:"), qPrintable(write.out));
    const CliResult again = runCli({"read", "-p", sim.devicePath(), "--json"});
    VERIFY_RUN(again, 0);
    QCOMPARE(json(again).value(type.toLower()).toObject().value("frqRx").toInt(), newRx);
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
