#include "support_sim.h"

#include "app/messages.h"
#include "app/tform1.h"

#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
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
    QTemporaryDir dir;
    SimProcess module1;
    SimProcess module2;
    QVERIFY(module1.start({QStringLiteral("--serial"), QStringLiteral("111111")}));
    QVERIFY(module2.start({QStringLiteral("--serial"), QStringLiteral("222222")}));
    const QString cable = dir.filePath(QStringLiteral("cable"));
    const auto plugInto = [&cable](const SimProcess &sim) {
        QFile::remove(cable);
        return QFile::link(sim.devicePath(), cable);
    };
    QVERIFY(plugInto(module1));

    QStringList messages;
    Messages::setPresenterForTest([&](Messages::Kind, const QString &text) {
        messages << text;
        if (text.startsWith(QLatin1String("-> ")))
            plugInto(module2);
        if (text.startsWith(QLatin1String("Reconnect module 1")))
            plugInto(module1);
        return true;
    });
    TForm1 form(dir.path());
    form.setLanguageIndex(1);
    const auto combo = [&form](const char *name) {
        return form.findChild<QComboBox *>(QLatin1String(name));
    };
    const auto button = [&form](const char *name) {
        return form.findChild<QPushButton *>(QLatin1String(name));
    };
    QTest::keyClicks(combo("CBox_COM")->lineEdit(), cable);
    combo("CBox_RS232_baud")->setCurrentIndex(4); // 19200, the module's default rate
    emit combo("CBox_RS232_baud")->activated(4);
    button("BtnVerbinden")->click();
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
    QCOMPARE(form.findChild<QLineEdit *>(QStringLiteral("Edit_Ser_NR"))->text(),
             QStringLiteral("222222"));
    QCOMPARE(combo("CBox_Frq_RX_C")->currentIndex(), 12);
    QCOMPARE(combo("CBox_Frq_TX_C")->currentIndex(), 12);
    QCOMPARE(combo("CBox_Data_C3")->currentIndex(), 1);
    QCOMPARE(combo("CBox_Data_C4")->currentIndex(), 1);
    Messages::setPresenterForTest({});
}

QTEST_MAIN(TestEndToEndWizard)
#include "tst_e2e_wizard.moc"
