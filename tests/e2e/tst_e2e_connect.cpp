#include "support_sim.h"

#include "link/comport.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

// The tool's connection: with its real serial port on korvel-sim's pseudo-terminal where the port
// matters, and against korvel-sim's module in process where its answers must come in time.
class TestEndToEndConnect : public QObject
{
    Q_OBJECT
private slots:
    void identifiesModules_data();
    void identifiesModules();
    void wrongRateEndsInTransmissionError();
    void staysConnectedUnderAReportStream();
};

void TestEndToEndConnect::identifiesModules_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("baud");
    QTest::addColumn<QString>("modTyp");
    QTest::addColumn<QString>("serial");
    QTest::newRow("C module, defaults") << QStringList{} << "19200"
                                        << "Korvel868-10-C3"
                                        << "123456";
    QTest::newRow("B module, 433, autobaud at 115200")
        << QStringList{"--type", "B",       "--band", "433",      "--hardware",
                       "11",     "--speed", "8",      "--serial", "4294967295"}
        << "115200"
        << "Korvel433-11-B3"
        << "4294967295";
}

void TestEndToEndConnect::identifiesModules()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, baud);
    QFETCH(QString, modTyp);
    QFETCH(QString, serial);
    InProcessSim sim;
    QVERIFY2(sim.start(arguments), qPrintable(sim.error()));
    SimWindow window(SimWindow::InProcess);
    window.connectTo(sim.devicePath(), baud);
    QVERIFY2(window.messages.isEmpty(), qPrintable(window.messages.join('|') + sim.log()));
    QCOMPARE(window.text("Edit_Caldata"), QStringLiteral("OK"));
    QCOMPARE(window.text("EditModTyp"), modTyp);
    QCOMPARE(window.text("Edit_SW_Version"), QStringLiteral("1/4/12"));
    QCOMPARE(window.text("Edit_Ser_NR"), serial);
    auto *rx = window.find<QPlainTextEdit>("MemoRX");
    // The log's lines reach the pane once the event loop runs.
    QTRY_VERIFY(rx->toPlainText().contains(QLatin1String("00,")));
    for (const char *marker : {"E1 ", "E2 ", "E3 ", "E4 "})
        QVERIFY2(!rx->toPlainText().contains(QLatin1String(marker)), marker);

    window.button("BtnTrennen")->click();
    QVERIFY(!window.form->port().isOpen());
    // The line can be opened again at once: the module restarts and is identified anew.
    window.connectTo(sim.devicePath(), baud);
    QCOMPARE(window.text("Edit_Caldata"), QStringLiteral("OK"));
    QVERIFY(window.messages.isEmpty());
}

void TestEndToEndConnect::wrongRateEndsInTransmissionError()
{
    // The path is opened by name and korvel-sim takes the rate from the terminal's settings. The
    // module hears nothing but noise, so no answer is awaited that a busy machine could delay.
    SimProcess sim;
    QVERIFY(sim.start());
    SimWindow window;
    window.connectTo(sim.devicePath(), QStringLiteral("9600"));
    QCOMPARE(window.messages,
             QStringList{QStringLiteral("Transmission error!\r\n(Check COM und baudrate)")});
    QVERIFY(window.button("BtnVerbinden")->isEnabled());
}

void TestEndToEndConnect::staysConnectedUnderAReportStream()
{
    // Once connected, the module sends a maximum-RSSI report every 2 ms.
    InProcessSim sim;
    QVERIFY(sim.start({"--type", "B", "--reports", "30:2:3000"}));
    SimWindow window(SimWindow::InProcess);
    window.connectTo(sim.devicePath(), QStringLiteral("115200"));
    QVERIFY2(window.messages.isEmpty(), qPrintable(window.messages.join('|') + sim.log()));
    QCOMPARE(window.text("Edit_SW_Typ"), QStringLiteral("B"));

    QSignalSpy received(&window.form->port(), &ComPort::bytesReceived);
    QTRY_VERIFY_WITH_TIMEOUT(received.count() >= 1000 || !window.messages.isEmpty(), 60000);
    QVERIFY2(window.messages.isEmpty(), qPrintable(window.messages.join('|')));
    QVERIFY(window.form->port().isOpen());
    QVERIFY(window.button("BtnTrennen")->isEnabled());
    QCOMPARE(window.text("Edit_RSSI_MAX"), QStringLiteral("-60dBm"));

    // The module going away is still noticed at once, with one message.
    sim.stop();
    QTRY_COMPARE(window.messages.size(), 1);
    QVERIFY(window.button("BtnVerbinden")->isEnabled());
    QVERIFY(!window.form->port().isOpen());
    QTest::qWait(200);
    QCOMPARE(window.messages.size(), 1);
}

QTEST_MAIN(TestEndToEndConnect)
#include "tst_e2e_connect.moc"
