#include "support_window.h"

#include <QDir>
#include <QFile>
#include <QTabWidget>

// The LinkControl wizard against two emulated modules: the device is re-plugged from module 1 to
// module 2 and back when the wizard asks the user to do so.
class TestWizard : public QObject
{
    Q_OBJECT
private slots:
    void configuresBothModulesAndCleansUp();
    void waitsForACModuleAndCanBeCancelled();
    void module2ThatNeverAnswersKeepsTheWizardWaiting();
    void refusesWhileAnActivityRunsAndStopsOnNo();
};

namespace
{

const QString kAskEn = QStringLiteral(
    "The wizard is configurating two modules for LinkControl.\r\n(=> EEPROM values will be "
    "changed!)\r\n\r\nStart configuration?");
const QString kBaudEn =
    QStringLiteral("RS232 datarate of PC and module must be the same!\r\nRS232 datarate of "
                   "module will be changed to datarate of PC");
const QString kChannelEn = QStringLiteral(
    "Transmit and receive frequency must be equal.\r\nReceive frequency will be changed to "
    "transmit frequency");
const QString kSwapEn =
    QStringLiteral("-> Disconnect module 1.\r\n-> Remove PWR-Jumper on "
                   "module 2\r\n   and connect to PC.\r\n(then confirm with OK)");
const QString kNotCEn = QStringLiteral(
    "LinkControl only works with transceiver version C!\r\nConnect transceiver version C.");
const QString kBackEn = QStringLiteral("Reconnect module 1\r\n(then Confirm with OK)");
const QString kAssembleEn =
    QStringLiteral("Assemble PWR-jumper and LinkControl-Connector(DSUB) on module 2.");
const QString kDoneEn = QStringLiteral(
    "Configuration of module 1 and 2 successful!\r\nTo start LinkControl click the start button.");

std::shared_ptr<ModuleEmulator> module(char type, quint32 serial)
{
    EmulatorConfig config;
    config.type = type;
    config.serial = serial;
    return std::make_shared<ModuleEmulator>(config);
}

QByteArray configRegisters(const ModuleEmulator &m)
{
    QByteArray regs;
    for (int reg = 0x09; reg <= 0x10; ++reg)
        regs += char(m.eeprom(reg));
    return regs;
}

// Records the messages, re-plugs the device where the wizard asks for it and answers the
// step-9 confirmation with the given answers in turn.
void script(WindowRig &rig, std::shared_ptr<ModuleEmulator> module1,
            QList<std::shared_ptr<ModuleEmulator>> seconds, QList<bool> confirmations = {})
{
    Messages::setPresenterForTest(
        [&rig, module1, seconds, confirmations](Messages::Kind kind, const QString &text) mutable {
            rig.messages << text;
            if (text.startsWith(QLatin1String("-> ")) ||
                (kind == Messages::Kind::Confirmation && !seconds.isEmpty()))
                rig.device->plugInto(seconds.takeFirst());
            if (text == kBackEn || text.startsWith(QLatin1String("Wieder Modul-1")))
                rig.device->plugInto(module1);
            if (kind == Messages::Kind::Confirmation)
                return confirmations.isEmpty() ? true : confirmations.takeFirst();
            return kind == Messages::Kind::Question ? rig.answerYes : true;
        });
}

} // namespace

void TestWizard::configuresBothModulesAndCleansUp()
{
    WindowRig rig;
    auto module1 = rig.device->sharedEmulator();
    auto module2 = module('C', 222222);
    rig.form->setLanguageIndex(1);
    rig.connectModule();
    QVERIFY(rig.messages.isEmpty());
    QVERIFY(rig.button("BtnLinkControl_konfig")->isEnabled());

    rig.choose("CBox_Speicher", QStringLiteral("M3"));
    // The user has left the page with different receive and transmit channels and another
    // module rate than the PC's.
    QComboBox *rx = rig.combo("CBox_Frq_RX_C");
    QComboBox *tx = rig.combo("CBox_Frq_TX_C");
    tx->setCurrentIndex(40);
    rx->setCurrentIndex(7);
    QComboBox *moduleBaud = rig.combo("CBox_RS232_baud_C");
    const int pcBaud = rig.combo("CBox_RS232_baud")->currentIndex();
    moduleBaud->setCurrentIndex(pcBaud == 2 ? 3 : 2);

    script(rig, module1, {module2});
    rig.button("BtnLinkControl_konfig")->click();

    QCOMPARE(rig.messages,
             (QStringList{kAskEn, kBaudEn, kChannelEn, kSwapEn, kBackEn, kAssembleEn, kDoneEn}));
    // Module 1 is connected again and read: its EEPROM holds the LinkControl settings.
    QVERIFY(!rig.button("BtnVerbinden")->isEnabled());
    QCOMPARE(rig.device->sharedEmulator(), module1);
    QCOMPARE(rig.find<QTabWidget>("PageControl1")->currentIndex(), 4);
    QCOMPARE(tx->currentIndex(), 40);
    QCOMPARE(rx->currentIndex(), 40);
    QCOMPARE(moduleBaud->currentIndex(), pcBaud);
    QCOMPARE(rig.combo("CBox_Data_C3")->currentIndex(), 1);
    QCOMPARE(rig.combo("CBox_Data_C4")->currentIndex(), 1);
    QCOMPARE(module1->eeprom(0x10) & 0x18, 0x18);
    // Module 2 got the same configuration into its EEPROM.
    QCOMPARE(configRegisters(*module2), configRegisters(*module1));
    QCOMPARE(module1->ram(0x10), module1->eeprom(0x10));

    QCOMPARE(rig.combo("CBox_Speicher")->currentText(), QStringLiteral("M3"));
    QVERIFY(!QFile::exists(rig.programFolder + QStringLiteral("/LinkControl.txt")));
}

void TestWizard::waitsForACModuleAndCanBeCancelled()
{
    // A B module first: the wizard asks for a C module; the user plugs one in and confirms.
    {
        WindowRig rig;
        auto module1 = rig.device->sharedEmulator();
        auto moduleB = module('B', 333333);
        auto module2 = module('C', 222222);
        rig.form->setLanguageIndex(1);
        rig.connectModule();
        script(rig, module1, {moduleB, module2});
        rig.button("BtnLinkControl_konfig")->click();
        QCOMPARE(rig.messages,
                 (QStringList{kAskEn, kSwapEn, kNotCEn, kBackEn, kAssembleEn, kDoneEn}));
        QCOMPARE(configRegisters(*module2), configRegisters(*module1));
        QCOMPARE(moduleB->eeprom(0x09), ModuleEmulator::defaultRegisters(moduleB->config())[0x09]);
    }
    // No second C module at hand: Cancel ends the wizard and leaves nothing behind.
    {
        WindowRig rig;
        auto module1 = rig.device->sharedEmulator();
        auto moduleB = module('B', 333333);
        rig.form->setLanguageIndex(0);
        rig.connectModule();
        rig.choose("CBox_Speicher", QStringLiteral("M5"));
        script(rig, module1, {moduleB}, {false});
        rig.button("BtnLinkControl_konfig")->click();
        QCOMPARE(rig.messages.size(), 3);
        QCOMPARE(rig.messages.last(),
                 QStringLiteral("LinkControl nur mit C-Version möglich!\r\nModul mit C-Version "
                                "anschliessen."));
        QVERIFY(rig.button("BtnVerbinden")->isEnabled());
        QCOMPARE(rig.combo("CBox_Speicher")->currentText(), QStringLiteral("M5"));
        QVERIFY(!QFile::exists(rig.programFolder + QStringLiteral("/LinkControl.txt")));
        // Module 1 was written before the exchange; the transfer copy is gone all the same.
        QCOMPARE(module1->eeprom(0x10) & 0x18, 0x18);
    }
}

void TestWizard::module2ThatNeverAnswersKeepsTheWizardWaiting()
{
    // A module that answers nothing: the connect fails, and the type letter shown is still
    // module 1's "C". The wizard waits for a C module read on the open port.
    auto dead = module('C', 444444);
    EmulatorFault silence;
    silence.kind = FaultKind::Silent;
    silence.count = -1;
    dead->injectFault(silence);
    dead->config().bootDelayMs = 1e9; // no start-up report either
    {
        WindowRig rig;
        auto module1 = rig.device->sharedEmulator();
        auto module2 = module('C', 222222);
        rig.form->setLanguageIndex(1);
        rig.connectModule();
        script(rig, module1, {dead, module2});
        rig.button("BtnLinkControl_konfig")->click();
        QCOMPARE(rig.messages, (QStringList{kAskEn, kSwapEn, kTransmissionErrorEn, kNotCEn, kBackEn,
                                            kAssembleEn, kDoneEn}));
        QCOMPARE(configRegisters(*module2), configRegisters(*module1));
        QVERIFY(!QFile::exists(rig.programFolder + QStringLiteral("/LinkControl.txt")));
    }
    // The user gives up: no success is reported, and nothing was written to the dead module.
    {
        WindowRig rig;
        auto module1 = rig.device->sharedEmulator();
        rig.form->setLanguageIndex(1);
        rig.connectModule();
        script(rig, module1, {dead}, {false});
        rig.button("BtnLinkControl_konfig")->click();
        QCOMPARE(rig.messages, (QStringList{kAskEn, kSwapEn, kTransmissionErrorEn, kNotCEn}));
        QVERIFY(rig.button("BtnVerbinden")->isEnabled());
        QVERIFY(!QFile::exists(rig.programFolder + QStringLiteral("/LinkControl.txt")));
        QCOMPARE(dead->eeprom(0x10), ModuleEmulator::defaultRegisters(dead->config())[0x10]);
    }
}

void TestWizard::refusesWhileAnActivityRunsAndStopsOnNo()
{
    WindowRig rig;
    rig.form->setLanguageIndex(1);
    rig.connectModule();
    const QByteArray before = configRegisters(rig.device->emulator());
    const int framesBefore = rig.device->frames().size();

    rig.answerYes = false;
    rig.button("BtnLinkControl_konfig")->click();
    QCOMPARE(rig.messages, QStringList{kAskEn});
    QCOMPARE(rig.device->frames().size(), framesBefore);
    QCOMPARE(configRegisters(rig.device->emulator()), before);

    const struct {
        const char *button;
        QString message;
    } running[] = {
        {"BtnStartHF_Test", QStringLiteral("Carrierout is running, stop first!")},
        {"BtnMonitor_Start", QStringLiteral("Monitor is running, stop first!")},
        {"BtnStartLinkControl", QStringLiteral("LinkControl is running, stop first!")},
    };
    for (const auto &activity : running) {
        rig.messages.clear();
        rig.button(activity.button)->setText(QStringLiteral("Stop"));
        rig.button("BtnLinkControl_konfig")->click();
        QCOMPARE(rig.messages, QStringList{activity.message});
        rig.button(activity.button)->setText(QStringLiteral("Start"));
    }
    QCOMPARE(rig.device->frames().size(), framesBefore);
}

QTEST_MAIN(TestWizard)
#include "tst_wizard.moc"
