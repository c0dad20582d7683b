#include "support_sim.h"

#include "app/messages.h"
#include "app/tform1.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

class TestEndToEndEeprom : public QObject
{
    Q_OBJECT
private slots:
    void eepromWritesSurviveARestartAndRamWritesDoNot();
};

void TestEndToEndEeprom::eepromWritesSurviveARestartAndRamWritesDoNot()
{
    QTemporaryDir dir;
    const QString eeprom = dir.filePath(QStringLiteral("module.eeprom"));
    QStringList messages;
    Messages::setPresenterForTest([&messages](Messages::Kind, const QString &text) {
        messages << text;
        return true;
    });
    TForm1 form(dir.path());
    form.setLanguageIndex(1);
    const auto combo = [&form](const char *name) {
        return form.findChild<QComboBox *>(QLatin1String(name));
    };
    const auto choose = [&combo](const char *name, int index) {
        combo(name)->setCurrentIndex(index);
        emit combo(name)->activated(index);
    };
    const auto connectTo = [&](const QString &path) {
        auto *port = combo("CBox_COM");
        port->lineEdit()->clear();
        QTest::keyClicks(port->lineEdit(), path);
        choose("CBox_RS232_baud", 4); // 19200, the C module's default rate
        form.findChild<QPushButton *>(QStringLiteral("BtnVerbinden"))->click();
    };
    auto *eepromBox = form.findChild<QCheckBox *>(QStringLiteral("CheckBox_EEPROM_C"));
    auto *configure = form.findChild<QPushButton *>(QStringLiteral("BtnKonfigurieren"));
    auto *disconnect = form.findChild<QPushButton *>(QStringLiteral("BtnTrennen"));

    int oldTx = -1;
    {
        SimProcess sim;
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
        form.findChild<QPushButton *>(QStringLiteral("BtnAuslesen"))->click();
        QCOMPARE(combo("CBox_Frq_RX_C")->currentIndex(), 10);
        QCOMPARE(combo("CBox_Frq_TX_C")->currentIndex(), oldTx == 20 ? 21 : 20);
        disconnect->click();
        sim.stop();
    }
    combo("CBox_Frq_RX_C")->setCurrentIndex(-1);
    {
        SimProcess sim;
        QVERIFY(sim.start({QStringLiteral("--eeprom"), eeprom}));
        connectTo(sim.devicePath());
        QVERIFY2(messages.isEmpty(), qPrintable(messages.join('|')));
        QCOMPARE(combo("CBox_Frq_RX_C")->currentIndex(), 10);
        QCOMPARE(combo("CBox_Frq_RX_C")->currentText(), QStringLiteral("K011   868.1375"));
        QCOMPARE(combo("CBox_Data_C3")->currentIndex(), 1);
        QCOMPARE(combo("CBox_Frq_TX_C")->currentIndex(), oldTx);
        disconnect->click();
    }
    Messages::setPresenterForTest({});
}

QTEST_MAIN(TestEndToEndEeprom)
#include "tst_e2e_eeprom.moc"
