#include "support_sim.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QTest>

// Writes of the tool into korvel-sim's module, in process, whose EEPROM is kept in a file: the
// restart is a new module made from the same arguments.
class TestEndToEndEeprom : public QObject
{
    Q_OBJECT
private slots:
    void eepromWritesSurviveARestartAndRamWritesDoNot();
};

void TestEndToEndEeprom::eepromWritesSurviveARestartAndRamWritesDoNot()
{
    SimWindow window(SimWindow::InProcess);
    const QString eeprom = window.dir.filePath(QStringLiteral("module.eeprom"));
    const QStringList &messages = window.messages;
    const auto combo = [&window](const char *name) { return window.combo(name); };
    const auto choose = [&window](const char *name, int index) { window.choose(name, index); };
    const auto connectTo = [&window](const QString &path) {
        window.connectTo(path, QStringLiteral("19200")); // the C module's default rate
    };
    auto *eepromBox = window.find<QCheckBox>("CheckBox_EEPROM_C");
    auto *configure = window.button("BtnKonfigurieren");
    auto *disconnect = window.button("BtnTrennen");

    int oldTx = -1;
    {
        InProcessSim sim;
        QVERIFY(sim.start({QStringLiteral("--eeprom"), eeprom}));
        connectTo(sim.devicePath());
        QVERIFY2(messages.isEmpty(), qPrintable(messages.join('|')));
        oldTx = combo("CBox_Frq_TX_C")->currentIndex();
        QVERIFY(oldTx >= 0);

        choose("CBox_Frq_RX_C", 10);
        choose("CBox_Data_C3", 1);
        eepromBox->setChecked(true);
        configure->click();
        QVERIFY2(messages.isEmpty(), qPrintable(messages.join('|')));

        choose("CBox_Frq_TX_C", oldTx == 20 ? 21 : 20);
        eepromBox->setChecked(false);
        configure->click();
        QVERIFY2(messages.isEmpty(), qPrintable(messages.join('|')));

        // Read back while the module still runs: RAM holds both writes.
        window.button("BtnAuslesen")->click();
        QCOMPARE(combo("CBox_Frq_RX_C")->currentIndex(), 10);
        QCOMPARE(combo("CBox_Frq_TX_C")->currentIndex(), oldTx == 20 ? 21 : 20);
        disconnect->click();
        sim.stop();
    }
    combo("CBox_Frq_RX_C")->setCurrentIndex(-1);
    {
        InProcessSim sim;
        QVERIFY(sim.start({QStringLiteral("--eeprom"), eeprom}));
        connectTo(sim.devicePath());
        QVERIFY2(messages.isEmpty(), qPrintable(messages.join('|')));
        QCOMPARE(combo("CBox_Frq_RX_C")->currentIndex(), 10);
        QCOMPARE(combo("CBox_Frq_RX_C")->currentText(), QStringLiteral("K011   868.1375"));
        QCOMPARE(combo("CBox_Data_C3")->currentIndex(), 1);
        QCOMPARE(combo("CBox_Frq_TX_C")->currentIndex(), oldTx);
        disconnect->click();
    }
}

QTEST_MAIN(TestEndToEndEeprom)
#include "tst_e2e_eeprom.moc"
