#include "support_sim.h"

#include "app/messages.h"
#include "app/tform1.h"
#include "link/comport.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
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
    QStringList messages;
    Messages::setPresenterForTest([&messages](Messages::Kind, const QString &text) {
        messages << text;
        return true;
    });
    QTemporaryDir dir;
    TForm1 form(dir.path());
    form.setLanguageIndex(1);
    const auto find = [&form](const char *name) {
        return form.findChild<QWidget *>(QLatin1String(name));
    };
    auto *port = qobject_cast<QComboBox *>(find("CBox_COM"));
    port->lineEdit()->clear();
    QTest::keyClicks(port->lineEdit(), sim.devicePath());
    auto *rate = qobject_cast<QComboBox *>(find("CBox_RS232_baud"));
    rate->setCurrentIndex(rate->findText(QStringLiteral("19200")));
    emit rate->activated(rate->currentIndex());
    qobject_cast<QPushButton *>(find("BtnVerbinden"))->click();
    QVERIFY2(messages.isEmpty(), qPrintable(messages.join('|') + sim.log()));

    qobject_cast<QTabWidget *>(find("PageControl1"))->setCurrentWidget(find("HF_Test"));
    auto *interval = qobject_cast<QLineEdit *>(find("EditLinkControl_Interval"));
    QCOMPARE(interval->text(), QStringLiteral("49"));
    interval->setText(QStringLiteral("200"));

    // Stop comes during the wait after the eighth cycle; the ninth is the last.
    auto *sent = qobject_cast<QLineEdit *>(find("EditLinkControl_txStatistik"));
    auto *start = qobject_cast<QPushButton *>(find("BtnStartLinkControl"));
    connect(sent, &QLineEdit::textChanged, this, [start](const QString &text) {
        if (text == QLatin1String("8"))
            QTimer::singleShot(0, start, [start] { start->click(); });
    });
    start->click();

    const auto text = [&find](const char *name) {
        return qobject_cast<QLineEdit *>(find(name))->text();
    };
    QVERIFY2(messages.isEmpty(), qPrintable(messages.join('|')));
    const QString rxLog = qobject_cast<QPlainTextEdit *>(find("MemoRX"))->toPlainText();
    QVERIFY2(text("EditLinkControl_rxStatistik") == QLatin1String("7"),
             qPrintable(rxLog.right(200) + sim.log().right(3000)));
    QCOMPARE(text("EditLinkControl_txStatistik"), QStringLiteral("9"));
    QCOMPARE(text("EditLinkControl_rxStatistik"), QStringLiteral("7"));
    QCOMPARE(text("EditLinkControl_nokStatistik"), QStringLiteral("2"));
    QCOMPARE(text("EditLinkControl_rxProzent"), QStringLiteral("77.78%"));
    QCOMPARE(text("EditLinkControl_nokProzent"), QStringLiteral("22.2%"));
    QCOMPARE(text("EditLinkControl_quality1"), QStringLiteral("34dB"));
    QCOMPARE(text("EditLinkControl_ruhe2"), QStringLiteral("-106dBm"));
    const QStringList rx =
        qobject_cast<QPlainTextEdit *>(find("MemoRX"))->toPlainText().split('\n');
    QCOMPARE(rx.mid(rx.size() - 10),
             (QStringList{"4C,B8,96,BA,98,", "4C,B8,96,BA,98,", "4C,B8,96,BA,98,", "ERR_LINK",
                          "4C,B8,96,BA,98,", "4C,B8,96,BA,98,", "4C,B8,96,BA,98,", "ERR_LINK",
                          "4C,B8,96,BA,98,", ""}));
    QCOMPARE(form.port().readTimeout(), 500);
    QVERIFY(!form.m_MmTimerId.isRunning());

    // The module takes commands again afterwards.
    qobject_cast<QPushButton *>(find("BtnTemp"))->click();
    QCOMPARE(text("Edit_Temp"), QStringLiteral("23°C"));
    QVERIFY(messages.isEmpty());
    Messages::setPresenterForTest({});
}

QTEST_MAIN(TestEndToEndLinkControl)
#include "tst_e2e_linkcontrol.moc"
