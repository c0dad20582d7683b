#include "support_sim.h"

#include <QComboBox>
#include <QFile>
#include <QPushButton>
#include <QTest>

// The wizard against two korvel-sim modules. The tool opens a link that stands for the cable;
// re-plugging it points the link at the other module's pseudo-terminal.
class TestEndToEndWizard : public QObject
{
    Q_OBJECT
private slots:
    void bothModulesLeaveTheWizardReadyForLinkControl();
};

void TestEndToEndWizard::bothModulesLeaveTheWizardReadyForLinkControl()
{
    SimProcess module1;
    SimProcess module2;
    QVERIFY(module1.start({QStringLiteral("--serial"), QStringLiteral("111111")}));
    QVERIFY(module2.start({QStringLiteral("--serial"), QStringLiteral("222222")}));
    QString cable;
    const auto plugInto = [&cable](const SimProcess &sim) {
        QFile::remove(cable);
        return QFile::link(sim.devicePath(), cable);
    };
    SimWindow window([&](const QString &text) {
        if (text.startsWith(QLatin1String("-> ")))
            plugInto(module2);
        if (text.startsWith(QLatin1String("Reconnect module 1")))
            plugInto(module1);
    });
    const QTemporaryDir &dir = window.dir;
    QStringList &messages = window.messages;
    const auto combo = [&window](const char *name) { return window.combo(name); };
    const auto button = [&window](const char *name) { return window.button(name); };
    cable = dir.filePath(QStringLiteral("cable"));
    QVERIFY(plugInto(module1));

    window.connectTo(cable, QStringLiteral("19200")); // the module's default rate
    QVERIFY2(messages.isEmpty(), qPrintable(messages.join('|')));
    combo("CBox_Frq_RX_C")->setCurrentIndex(3);
    combo("CBox_Frq_TX_C")->setCurrentIndex(12);

    button("BtnLinkControl_konfig")->click();
    QCOMPARE(messages.size(), 6); // question, channel notice, swap, back, assemble, done
    QVERIFY2(messages.last().startsWith(QLatin1String("Configuration of module 1 and 2")),
             qPrintable(messages.join('|')));
    QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("LinkControl.txt"))));

    // Module 2, read on its own, shows the configuration the wizard gave it.
    messages.clear();
    button("BtnTrennen")->click();
    QVERIFY(plugInto(module2));
    button("BtnVerbinden")->click();
    QVERIFY2(messages.isEmpty(), qPrintable(messages.join('|')));
    QCOMPARE(window.text("Edit_Ser_NR"), QStringLiteral("222222"));
    QCOMPARE(combo("CBox_Frq_RX_C")->currentIndex(), 12);
    QCOMPARE(combo("CBox_Frq_TX_C")->currentIndex(), 12);
    QCOMPARE(combo("CBox_Data_C3")->currentIndex(), 1);
    QCOMPARE(combo("CBox_Data_C4")->currentIndex(), 1);
}

QTEST_MAIN(TestEndToEndWizard)
#include "tst_e2e_wizard.moc"
