#include "support_sim.h"

#include <QPushButton>
#include <QRegularExpression>
#include <QTest>

// The C carrier stream of the real tool, over its real serial port, into korvel-sim, which
// counts what its radio would send.
class TestEndToEndCarrier : public QObject
{
    Q_OBJECT
private slots:
    void streamReachesTheModule();
};

void TestEndToEndCarrier::streamReachesTheModule()
{
    SimProcess sim;
    QVERIFY2(sim.start({QStringLiteral("--type"), QStringLiteral("C")}),
             qPrintable(SimProcess::program()));
    SimWindow window;
    window.connectTo(sim.devicePath(), QStringLiteral("19200"));
    QCOMPARE(window.messages, QStringList());

    window.choose("CBox_Mod_Test", QStringLiteral("modulated"));
    window.choose("CBox_RX_TX_Switch_Test", QStringLiteral("Only TX"));
    auto *start = window.button("BtnStartHF_Test");
    start->click();
    QCOMPARE(start->text(), QStringLiteral("Stop"));
    // Runs until the module has reported a second of streaming.
    QString log;
    QTRY_VERIFY_WITH_TIMEOUT((log += sim.log()).contains(QLatin1String("carrier stream running")),
                             10000);
    start->click();
    window.button("BtnTrennen")->click();
    sim.stop();
    log += sim.log();

    // The module's account at the line's close: every byte the pattern of "moduliert".
    static const QRegularExpression ended(
        QStringLiteral("carrier stream ended: (\\d+) bytes \\(FF (\\d+), AA (\\d+)\\)"));
    const QRegularExpressionMatch match = ended.match(log);
    QVERIFY2(match.hasMatch(), qPrintable(log.right(2000)));
    const qint64 bytes = match.captured(1).toLongLong();
    QVERIFY(bytes > 0);
    QCOMPARE(match.captured(2).toLongLong(), 0);
    QCOMPARE(match.captured(3).toLongLong(), bytes);
    QCOMPARE(window.messages, QStringList{QStringLiteral(
                                  "Warning, configuration in RAM will be changed!\r\n(recovered "
                                  "after \"Stop\")")});
}

QTEST_MAIN(TestEndToEndCarrier)
#include "tst_e2e_carrier.moc"
