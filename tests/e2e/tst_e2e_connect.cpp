#include "support_sim.h"

#include "app/messages.h"
#include "app/tform1.h"
#include "link/comport.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace
{

// The real tool, with its real serial port, on korvel-sim's pseudo-terminal.
struct Bench {
    Bench()
    {
        Messages::setPresenterForTest([this](Messages::Kind, const QString &text) {
            messages << text;
            return true;
        });
        form = std::make_unique<TForm1>(dir.path());
        form->setLanguageIndex(1);
    }
    ~Bench() { Messages::setPresenterForTest({}); }

    QString text(const char *name) const
    {
        return form->findChild<QLineEdit *>(QLatin1String(name))->text();
    }
    void connectTo(const QString &path, const QString &baud)
    {
        auto *port = form->findChild<QComboBox *>(QStringLiteral("CBox_COM"));
        port->lineEdit()->clear();
        QTest::keyClicks(port->lineEdit(), path);
        auto *rate = form->findChild<QComboBox *>(QStringLiteral("CBox_RS232_baud"));
        rate->setCurrentIndex(rate->findText(baud));
        emit rate->activated(rate->currentIndex());
        form->findChild<QPushButton *>(QStringLiteral("BtnVerbinden"))->click();
    }

    QTemporaryDir dir;
    QStringList messages;
    std::unique_ptr<TForm1> form;
};

} // namespace

class TestEndToEndConnect : public QObject
{
    Q_OBJECT
private slots:
    void identifiesModulesOverAPseudoTerminal_data();
    void identifiesModulesOverAPseudoTerminal();
    void wrongRateEndsInTransmissionError();
    void staysConnectedUnderAReportStream();
};

void TestEndToEndConnect::identifiesModulesOverAPseudoTerminal_data()
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

void TestEndToEndConnect::identifiesModulesOverAPseudoTerminal()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, baud);
    QFETCH(QString, modTyp);
    QFETCH(QString, serial);
    SimProcess sim;
    QVERIFY2(sim.start(arguments), qPrintable(SimProcess::program()));
    Bench bench;
    bench.connectTo(sim.devicePath(), baud);
    QVERIFY2(bench.messages.isEmpty(), qPrintable(bench.messages.join('|') + sim.log()));
    QCOMPARE(bench.text("Edit_Caldata"), QStringLiteral("OK"));
    QCOMPARE(bench.text("EditModTyp"), modTyp);
    QCOMPARE(bench.text("Edit_SW_Version"), QStringLiteral("1/4/12"));
    QCOMPARE(bench.text("Edit_Ser_NR"), serial);
    auto *rx = bench.form->findChild<QPlainTextEdit *>(QStringLiteral("MemoRX"));
    // The log's lines reach the pane once the event loop runs.
    QTRY_VERIFY(rx->toPlainText().contains(QLatin1String("00,")));
    for (const char *marker : {"E1 ", "E2 ", "E3 ", "E4 "})
        QVERIFY2(!rx->toPlainText().contains(QLatin1String(marker)), marker);

    bench.form->findChild<QPushButton *>(QStringLiteral("BtnTrennen"))->click();
    QVERIFY(!bench.form->port().isOpen());
    // The line can be opened again at once: the module restarts and is identified anew.
    bench.connectTo(sim.devicePath(), baud);
    QCOMPARE(bench.text("Edit_Caldata"), QStringLiteral("OK"));
    QVERIFY(bench.messages.isEmpty());
}

void TestEndToEndConnect::wrongRateEndsInTransmissionError()
{
    SimProcess sim;
    QVERIFY(sim.start());
    Bench bench;
    bench.connectTo(sim.devicePath(), QStringLiteral("9600"));
    QCOMPARE(bench.messages,
             QStringList{QStringLiteral("Transmission error!\r\n(Check COM und baudrate)")});
    QVERIFY(bench.form->findChild<QPushButton *>(QStringLiteral("BtnVerbinden"))->isEnabled());
}

void TestEndToEndConnect::staysConnectedUnderAReportStream()
{
    // Once connected, the module sends a maximum-RSSI report every 2 ms.
    SimProcess sim;
    QVERIFY(sim.start({"--type", "B", "--reports", "30:2:3000"}));
    Bench bench;
    bench.connectTo(sim.devicePath(), QStringLiteral("115200"));
    QVERIFY2(bench.messages.isEmpty(), qPrintable(bench.messages.join('|') + sim.log()));
    QCOMPARE(bench.text("Edit_SW_Typ"), QStringLiteral("B"));

    QSignalSpy received(&bench.form->port(), &ComPort::bytesReceived);
    QTRY_VERIFY_WITH_TIMEOUT(received.count() >= 1000 || !bench.messages.isEmpty(), 60000);
    QVERIFY2(bench.messages.isEmpty(), qPrintable(bench.messages.join('|')));
    QVERIFY(bench.form->port().isOpen());
    QVERIFY(bench.form->findChild<QPushButton *>(QStringLiteral("BtnTrennen"))->isEnabled());
    QCOMPARE(bench.text("Edit_RSSI_MAX"), QStringLiteral("-60dBm"));

    // The module going away is still noticed at once, with one message.
    sim.stop();
    QTRY_COMPARE(bench.messages.size(), 1);
    QVERIFY(bench.form->findChild<QPushButton *>(QStringLiteral("BtnVerbinden"))->isEnabled());
    QVERIFY(!bench.form->port().isOpen());
    QTest::qWait(200);
    QCOMPARE(bench.messages.size(), 1);
}

QTEST_MAIN(TestEndToEndConnect)
#include "tst_e2e_connect.moc"
