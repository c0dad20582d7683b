// korvel-cli against the window on the same emulated module: the command line reads the module
// as the window does, and their files are interchangeable.

#include "support_cli.h"
#include "support_sim.h"

#include "simports.h"

#include <QComboBox>
#include <QFile>
#include <QJsonObject>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

class TestCliWindow : public QObject
{
    Q_OBJECT
private slots:
    // The window in the test opens the in-process modules too.
    void initTestCase() { SimPorts::install(); }
    void identifyAgreesWithTheWindow_data();
    void identifyAgreesWithTheWindow();
    void filesGoBothWaysBetweenWindowAndCommandLine_data();
    void filesGoBothWaysBetweenWindowAndCommandLine();
};

void TestCliWindow::identifyAgreesWithTheWindow_data()
{
    QTest::addColumn<QStringList>("simArguments");
    QTest::newRow("B 868") << QStringList{"--type", "B", "--serial", "4711"};
    QTest::newRow("C 433, command set 2")
        << QStringList{"--type", "C", "--band", "433", "--command-set", "2", "--hardware", "12"};
    QTest::newRow("calibration software") << QStringList{"--type", "x"};
}

void TestCliWindow::identifyAgreesWithTheWindow()
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

void TestCliWindow::filesGoBothWaysBetweenWindowAndCommandLine_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("rxBox");
    QTest::newRow("B") << "B"
                       << "CBox_Frq_RX_B";
    QTest::newRow("C") << "C"
                       << "CBox_Frq_RX_C";
}

void TestCliWindow::filesGoBothWaysBetweenWindowAndCommandLine()
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

QTEST_MAIN(TestCliWindow)
#include "tst_cli_window.moc"
