#include "support_sim.h"

#include <QPushButton>
#include <QTabWidget>
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
    SimWindow window;
    const auto button = [&window](const char *name) { return window.button(name); };
    const auto text = [&window](const char *name) { return window.text(name); };
    window.connectTo(sim.devicePath(), QStringLiteral("19200"));
    QVERIFY2(window.messages.isEmpty(), qPrintable(window.messages.join('|') + sim.log()));
    window.find<QTabWidget>("PageControl1")->setCurrentWidget(window.find("Modultest"));

    button("BtnTemp")->click();
    button("BtnVCC")->click();
    QCOMPARE(text("Edit_Temp"), QStringLiteral("-5°C"));
    QCOMPARE(text("Edit_VCC"), QStringLiteral("3.3V"));

    for (const char *box : {"CBox_sleep_0", "CBox_sleep_5"})
        window.choose(box, 1);
    button("BtnSleep")->click();
    QVERIFY2(window.messages.isEmpty(), qPrintable(window.messages.join('|')));
    QVERIFY(button("BtnWakeup")->isEnabled());
    QVERIFY(!button("BtnTemp")->isEnabled());

    ::kill(pid_t(sim.processId()), SIGUSR1);
    QTRY_VERIFY(button("BtnTemp")->isEnabled());
    QVERIFY(!button("BtnWakeup")->isEnabled());
    QVERIFY(button("BtnStartLinkControl")->isEnabled());
    // Awake again: it measures.
    button("BtnTemp")->click();
    QCOMPARE(text("Edit_Temp"), QStringLiteral("-5°C"));
    QVERIFY(window.messages.isEmpty());
}

QTEST_MAIN(TestEndToEndModuleTests)
#include "tst_e2e_moduletests.moc"
