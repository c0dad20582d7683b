#include "support_sim.h"

#include "link/comport.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

// LinkControl of the real tool over its real serial port against korvel-sim, whose C module
// answers each "L" for itself and the free module. The answer comes 100 ms after the request,
// far from the purge (20 ms) and from the read (200 ms), so a busy machine cannot cut it.
class TestEndToEndLinkControl : public QObject
{
    Q_OBJECT
private slots:
    void runAgainstTheEmulatedPair();
};

void TestEndToEndLinkControl::runAgainstTheEmulatedPair()
{
    SimProcess sim;
    QVERIFY2(sim.start({"--link", "bytes=7,s1=-70,n1=-104,s2=-72,n2=-106,loss=0.25,delay=100"}),
             qPrintable(SimProcess::program()));
    SimWindow window;
    window.connectTo(sim.devicePath(), QStringLiteral("19200"));
    QVERIFY2(window.messages.isEmpty(), qPrintable(window.messages.join('|') + sim.log()));

    window.find<QTabWidget>("PageControl1")->setCurrentWidget(window.find("HF_Test"));
    auto *interval = window.find<QLineEdit>("EditLinkControl_Interval");
    QCOMPARE(interval->text(), QStringLiteral("49"));
    interval->setText(QStringLiteral("200"));

    // Stop comes during the wait after the eighth cycle; the ninth is the last.
    auto *sent = window.find<QLineEdit>("EditLinkControl_txStatistik");
    auto *start = window.button("BtnStartLinkControl");
    connect(sent, &QLineEdit::textChanged, this, [start](const QString &text) {
        if (text == QLatin1String("8"))
            QTimer::singleShot(0, start, [start] { start->click(); });
    });
    start->click();

    const auto text = [&window](const char *name) { return window.text(name); };
    QVERIFY2(window.messages.isEmpty(), qPrintable(window.messages.join('|')));
    const QString rxLog = window.find<QPlainTextEdit>("MemoRX")->toPlainText();
    QVERIFY2(text("EditLinkControl_rxStatistik") == QLatin1String("7"),
             qPrintable(rxLog.right(200) + sim.log().right(3000)));
    QCOMPARE(text("EditLinkControl_txStatistik"), QStringLiteral("9"));
    QCOMPARE(text("EditLinkControl_rxStatistik"), QStringLiteral("7"));
    QCOMPARE(text("EditLinkControl_nokStatistik"), QStringLiteral("2"));
    QCOMPARE(text("EditLinkControl_rxProzent"), QStringLiteral("77.78%"));
    QCOMPARE(text("EditLinkControl_nokProzent"), QStringLiteral("22.2%"));
    QCOMPARE(text("EditLinkControl_quality1"), QStringLiteral("34dB"));
    QCOMPARE(text("EditLinkControl_ruhe2"), QStringLiteral("-106dBm"));
    const QStringList rx = window.find<QPlainTextEdit>("MemoRX")->toPlainText().split('\n');
    QCOMPARE(rx.mid(rx.size() - 10),
             (QStringList{"4C,B8,96,BA,98,", "4C,B8,96,BA,98,", "4C,B8,96,BA,98,", "ERR_LINK",
                          "4C,B8,96,BA,98,", "4C,B8,96,BA,98,", "4C,B8,96,BA,98,", "ERR_LINK",
                          "4C,B8,96,BA,98,", ""}));
    QCOMPARE(window.form->port().readTimeout(), 500);
    QVERIFY(!window.form->activities().timerSlot().isRunning());

    // The module takes commands again afterwards.
    window.button("BtnTemp")->click();
    QCOMPARE(text("Edit_Temp"), QStringLiteral("23°C"));
    QVERIFY(window.messages.isEmpty());
}

QTEST_MAIN(TestEndToEndLinkControl)
#include "tst_e2e_linkcontrol.moc"
