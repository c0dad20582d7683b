#include "support_sim.h"

#include "app/messages.h"
#include "app/tform1.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

// The module tests of the real tool against korvel-sim. A pseudo-terminal has no RTS line, so
// the sleeping module is woken by the evaluation kit's button: SIGUSR1.
class TestEndToEndModuleTests : public QObject
{
    Q_OBJECT
private slots:
    void measureSleepAndWakeByTheKitButton();
};

void TestEndToEndModuleTests::measureSleepAndWakeByTheKitButton()
{
    SimProcess sim;
    QVERIFY2(sim.start({"--temperature", "-5", "--voltage", "33"}),
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
    const auto button = [&find](const char *name) {
        return qobject_cast<QPushButton *>(find(name));
    };
    const auto text = [&find](const char *name) {
        return qobject_cast<QLineEdit *>(find(name))->text();
    };
    auto *port = qobject_cast<QComboBox *>(find("CBox_COM"));
    port->lineEdit()->clear();
    QTest::keyClicks(port->lineEdit(), sim.devicePath());
    auto *rate = qobject_cast<QComboBox *>(find("CBox_RS232_baud"));
    rate->setCurrentIndex(rate->findText(QStringLiteral("19200")));
    emit rate->activated(rate->currentIndex());
    button("BtnVerbinden")->click();
    QVERIFY2(messages.isEmpty(), qPrintable(messages.join('|') + sim.log()));
    qobject_cast<QTabWidget *>(find("PageControl1"))->setCurrentWidget(find("Modultest"));

    button("BtnTemp")->click();
    button("BtnVCC")->click();
    QCOMPARE(text("Edit_Temp"), QStringLiteral("-5°C"));
    QCOMPARE(text("Edit_VCC"), QStringLiteral("3.3V"));

    for (const char *box : {"CBox_sleep_0", "CBox_sleep_5"}) {
        auto *combo = qobject_cast<QComboBox *>(find(box));
        combo->setCurrentIndex(1);
        emit combo->activated(1);
    }
    button("BtnSleep")->click();
    QVERIFY2(messages.isEmpty(), qPrintable(messages.join('|')));
    QVERIFY(button("BtnWakeup")->isEnabled());
    QVERIFY(!button("BtnTemp")->isEnabled());

    ::kill(pid_t(sim.processId()), SIGUSR1);
    QTRY_VERIFY(button("BtnTemp")->isEnabled());
    QVERIFY(!button("BtnWakeup")->isEnabled());
    QVERIFY(button("BtnStartLinkControl")->isEnabled());
    // Awake again: it measures.
    button("BtnTemp")->click();
    QCOMPARE(text("Edit_Temp"), QStringLiteral("-5°C"));
    QVERIFY(messages.isEmpty());
    Messages::setPresenterForTest({});
}

QTEST_MAIN(TestEndToEndModuleTests)
#include "tst_e2e_moduletests.moc"
