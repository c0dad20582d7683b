#include "support_window.h"

#include <QFile>
#include <QLineEdit>

// The configuration pages as the main window wires them: the forced PC baud change, the
// disconnect after a failed write, and stored configurations in the program's folder.
class TestConfiguration : public QObject
{
    Q_OBJECT
private slots:
    void fixedModuleRateMovesThePcAlong();
    void failedWriteDisconnects();
    void storedConfigurationRoundTripAndTypeCheck();
};

void TestConfiguration::fixedModuleRateMovesThePcAlong()
{
    EmulatorConfig config;
    config.type = 'B';
    WindowRig rig(config);
    rig.form->setLanguageIndex(1);
    rig.connectModule();
    QCOMPARE(rig.combo("CBox_Config_baud_B")->currentText(), QStringLiteral("Autobaud"));

    rig.choose("CBox_Config_baud_B", QStringLiteral("115200"));
    rig.button("BtnKonfigurieren")->click();
    QCOMPARE(rig.messages, QStringList());
    QCOMPARE(rig.combo("CBox_RS232_baud")->currentText(), QStringLiteral("115200"));
    QCOMPARE(rig.form->port().baudRate(), 115200);
    QCOMPARE(rig.device->emulator().moduleBaud(), 115200);

    // The module is read again at the new rate.
    rig.button("BtnAuslesen")->click();
    QCOMPARE(rig.messages, QStringList());
    QCOMPARE(rig.combo("CBox_Config_baud_B")->currentText(), QStringLiteral("115200"));
    QVERIFY(rig.button("BtnKonfigurieren")->isEnabled());
    QVERIFY(rig.button("BtnAuslesen")->isEnabled());
}

void TestConfiguration::failedWriteDisconnects()
{
    EmulatorConfig config;
    config.type = 'C';
    WindowRig rig(config);
    rig.form->setLanguageIndex(1);
    rig.connectModule();
    QVERIFY(rig.messages.isEmpty());
    EmulatorFault fault;
    fault.kind = FaultKind::Silent;
    fault.count = -1;
    rig.device->emulator().injectFault(fault);
    rig.button("BtnKonfigurieren")->click();
    QCOMPARE(rig.messages, QStringList{kTransmissionErrorEn});
    QVERIFY(rig.button("BtnVerbinden")->isEnabled());
    QVERIFY(!rig.form->port().isOpen());
    QVERIFY(!rig.tabVisible("Konfig_C"));
}

void TestConfiguration::storedConfigurationRoundTripAndTypeCheck()
{
    QTemporaryDir folder;
    EmulatorConfig config;
    config.type = 'C';
    {
        WindowRig rig(config, folder.path());
        rig.form->setLanguageIndex(1);
        rig.connectModule();
        rig.combo("CBox_Speicher")->setEditText(QStringLiteral("M3"));
        rig.find<QLineEdit>("Edit_info")->setText(QStringLiteral("bench module"));
        rig.choose("CBox_Frq_RX_C", QStringLiteral("K012   868.1500"));
        rig.button("BtnSave")->click();
        QVERIFY(QFile::exists(folder.filePath(QStringLiteral("M3.txt"))));

        rig.choose("CBox_Frq_RX_C", QStringLiteral("K001   868.0125"));
        rig.button("BtnLoad")->click();
        QCOMPARE(rig.messages, QStringList());
        QCOMPARE(rig.combo("CBox_Frq_RX_C")->currentIndex(), 11);

        rig.choose("CBox_Speicher", QStringLiteral("M3"));
        QCOMPARE(rig.find<QLineEdit>("Edit_info")->text(), QStringLiteral("bench module"));
        rig.choose("CBox_Speicher", QStringLiteral("M4"));
        QCOMPARE(rig.find<QLineEdit>("Edit_info")->text(), QStringLiteral("(leer)"));
    }
    config.type = 'B';
    WindowRig rig(config, folder.path());
    rig.form->setLanguageIndex(1);
    rig.connectModule();
    const int channel = rig.combo("CBox_Frq_RX_B")->currentIndex();
    rig.combo("CBox_Speicher")->setEditText(QStringLiteral("M3"));
    rig.button("BtnLoad")->click();
    QCOMPARE(rig.messages, QStringList{QStringLiteral(
                               "Saved configuration is only valid for same module typ\r\n\r\n"
                               "Configuration was saved with C-version\r\n"
                               "Connected module = B-version")});
    QCOMPARE(rig.combo("CBox_Frq_RX_B")->currentIndex(), channel);
}

QTEST_MAIN(TestConfiguration)
#include "tst_configuration.moc"
