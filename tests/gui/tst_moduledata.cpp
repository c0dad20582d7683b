#include "emulatordevice.h"
#include "link/comport.h"
#include "link/exchangelog.h"
#include "link/modulelink.h"
#include "module/moduledata.h"
#include "window/activities.h"
#include "window/debugpanes.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

namespace
{

QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray out;
    for (int v : values)
        out += char(v);
    return out;
}

// The window's services, recorded instead of shown.
struct FakeHost : ModuleHost {
    ComPort *port = nullptr;
    AppControls *app = nullptr;
    QString folder;
    QStringList german;
    QStringList english;
    int disconnects = 0;
    QList<QAbstractButton *> clicks;
    QList<int> forcedBaudItems;

    void disconnectModule() override
    {
        ++disconnects;
        app->BtnVerbinden->setEnabled(true);
        port->close();
    }
    void showMessage(const QString &g, const QString &e) override
    {
        german << g;
        english << e;
    }
    void applyBaudSelection(bool forced) override
    {
        static const int rates[] = {1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200};
        const int item = app->CBox_RS232_baud->currentIndex();
        if (forced)
            forcedBaudItems << item;
        if (item >= 0 && item < 8)
            port->setBaudRate(rates[item]);
    }
    void performClick(QAbstractButton *button) override { clicks << button; }
    void sleepMs(int) override {}
    QString programFolder() const override { return folder; }
};

// The dispatcher reads the module record from the Modulinfo page.
struct PageDispatchHost : DispatchHost {
    ModuleData *data = nullptr;
    QString softwareTypeLetter() const override { return data->info.Edit_SW_Typ->text(); }
    void setSoftwareTypeLetter(const QString &letter) override
    {
        data->info.Edit_SW_Typ->setText(letter);
    }
    QString calibrationStatus() const override { return data->info.Edit_Caldata->text(); }
    void setCalibrationStatus(const QString &text) override
    {
        data->info.Edit_Caldata->setText(text);
    }
    void showRecalibrationStatus(const QString &) override {}
    void showMaximumRssi(int) override {}
    void moduleWokeUp(bool) override {}
    bool linkControlRunning() const override { return false; }
};

// A window's worth of controls around the module pages, connected to an emulated module.
struct Rig {
    explicit Rig(EmulatorConfig config)
    {
        config.sendStartupReport = false;
        ComPort::setDeviceFactoryForTest([this, config] {
            auto made = std::make_unique<EmulatorDevice>(config);
            device = made.get();
            return made;
        });
        port = std::make_unique<ComPort>();
        ComPort::setDeviceFactoryForTest({});

        tabs = new QTabWidget(&window);
        app.PageControl1 = tabs;
        QWidget **pages[] = {&app.Modulinfo, &app.Konfig_B, &app.Konfig_C,
                             &app.Modultest, &app.HF_Test,  &app.Monitor};
        const char *names[] = {"Modulinfo", "Konfig_B", "Konfig_C",
                               "Modultest", "HF_Test",  "Monitor"};
        for (int i = 0; i < 6; ++i) {
            *pages[i] = new QWidget;
            (*pages[i])->setObjectName(QString::fromLatin1(names[i]));
            tabs->addTab(*pages[i], QString::fromLatin1(names[i]));
            tabs->setTabVisible(i, i == 0);
        }
        app.BtnVerbinden = new QPushButton(&window);
        app.BtnVerbinden->setEnabled(false);
        app.BtnAuslesen = new QPushButton(&window);
        app.BtnKonfigurieren = new QPushButton(&window);
        app.CBox_RS232_baud = new QComboBox(&window);
        app.CBox_RS232_baud->addItems(
            {"1200", "2400", "4800", "9600", "19200", "38400", "57600", "115200"});
        app.CBox_RS232_baud->setCurrentIndex(4);
        app.GBox_VCC = new QGroupBox(app.Modultest);
        app.CBox_sleep_4 = new QComboBox(app.Modultest);
        app.CBox_sleep_4->addItems({"Pin 12 = Wakeuppin", "Pin   9 = Wakeuppin"});
        app.Label_sleep_4 = new QLabel(app.Modultest);
        app.BtnStartHF_Test = new QPushButton(app.HF_Test);
        app.BtnStartLinkControl = new QPushButton(app.HF_Test);
        app.BtnLinkControl_konfig = new QPushButton(app.HF_Test);
        for (auto &monitor : app.CBoxMonitor) {
            monitor = new QComboBox(app.Monitor);
            monitor->setEditable(true);
        }
        app.LabelMonitor_RBW = new QLabel(app.Monitor);
        app.LabelMonitor_Status = new QLabel(app.Monitor);
        saveGroup = new QGroupBox(&window);

        host.port = port.get();
        host.app = &app;
        host.folder = folder.path() + QLatin1Char('/');
        panes = std::make_unique<DebugPanes>(&tx, &rx);
        log = std::make_unique<ExchangeLog>(panes.get());
        link = std::make_unique<ModuleLink>(*port, dispatch, *log);
        data = std::make_unique<ModuleData>(*link, host, app, shared, activities);
        dispatch.data = data.get();
        data->buildModulinfoPage(app.Modulinfo);
        data->buildKonfigBPage(app.Konfig_B);
        data->buildKonfigCPage(app.Konfig_C);
        data->buildSaveGroup(saveGroup);
        data->info.Edit_Caldata->setText(QStringLiteral("OK"));

        port->setPortName(QStringLiteral("COM1"));
        port->setReadTimeout(150);
        port->open();
        // The module listens once it has booted.
        QTest::qWait(int(device->emulator().config().bootDelayMs) + 20);
        port->clearBuffers(true, true);
        device->clearRecords();
    }
    ~Rig() { port->close(); }

    ModuleEmulator &module() { return device->emulator(); }
    bool tabShown(QWidget *page) const { return tabs->isTabVisible(tabs->indexOf(page)); }
    // The write frames sent since the records were cleared.
    QList<QByteArray> frames() const { return device->frames(); }
    // The line events as text, without the buffer clears of every transaction.
    QStringList lineEvents() const
    {
        QStringList events = device->lineEventTexts();
        events.removeIf([](const QString &e) { return e.startsWith(QLatin1String("clear")); });
        return events;
    }

    QWidget window;
    QTabWidget *tabs = nullptr;
    QGroupBox *saveGroup = nullptr;
    QTemporaryDir folder;
    AppControls app;
    SharedState shared;
    Activities activities;
    FakeHost host;
    PageDispatchHost dispatch;
    EmulatorDevice *device = nullptr;
    std::unique_ptr<ComPort> port;
    QPlainTextEdit tx, rx;
    std::unique_ptr<DebugPanes> panes;
    std::unique_ptr<ExchangeLog> log;
    std::unique_ptr<ModuleLink> link;
    std::unique_ptr<ModuleData> data;
};

EmulatorConfig moduleOf(char type, int band = 868, int commandSet = 3, int hardware = 10,
                        int speed = 16)
{
    EmulatorConfig config;
    config.type = type;
    config.band = band;
    config.commandSet = commandSet;
    config.hardware = hardware;
    config.speedMHz = speed;
    config.serial = 2147483649u;
    return config;
}

} // namespace

class TestModuleData : public QObject
{
    Q_OBJECT
private slots:
    void identification_data();
    void identification();
    void bDecoder();
    void bDecoderOtherCoding();
    void cDecoder();
    void readOutFailureDisconnects();
    void bWriteFrames_data();
    void bWriteFrames();
    void forcedBaudChange();
    void cWriteRtsOrder();
    void calibrationWrite();
    void refusedIntervalGoesOn();
    void unselectedBoxSendsNothing();
    void saveLoadRoundTrip();
    void loadTypeMismatch();
    void loadDamagedChangesNothing();
    void memoryLocationDescription();
};

void TestModuleData::identification_data()
{
    QTest::addColumn<char>("type");
    QTest::addColumn<int>("band");
    QTest::addColumn<int>("commandSet");
    QTest::addColumn<int>("hardware");
    QTest::addColumn<int>("speed");
    QTest::addColumn<QString>("modTyp");
    QTest::addColumn<QString>("speedText");
    QTest::addColumn<QString>("klartext");
    QTest::addColumn<bool>("cPage");
    QTest::addColumn<int>("channelCount");
    QTest::addColumn<int>("hfBaudCItems");
    QTest::addColumn<bool>("vcc");
    QTest::newRow("B module 868") << 'B' << 868 << 2 << 10 << 16 << "Korvel868-10-B2"
                                  << "16MHz"
                                  << "Directmode" << false << 159 << 6 << false;
    QTest::newRow("C module set 3 at 64MHz") << 'C' << 433 << 3 << 14 << 64 << "Korvel433-14-C3"
                                             << "64MHz"
                                             << "RS232 bytemode" << true << 139 << 8 << true;
    QTest::newRow("C module set 2 by hardware 12")
        << 'C' << 868 << 2 << 12 << 16 << "Korvel868-12-C2"
        << "16MHz"
        << "RS232 bytemode" << true << 159 << 6 << false;
    QTest::newRow("C module set 2 by hardware 14")
        << 'C' << 868 << 2 << 14 << 8 << "Korvel868-14-C2"
        << "8MHz"
        << "RS232 bytemode" << true << 159 << 5 << false;
    QTest::newRow("calibration software") << 'x' << 433 << 1 << 11 << 8 << "Korvel433-11-x1"
                                          << "8MHz"
                                          << "Kalibrationssoftware" << false << 139 << 5 << false;
}

void TestModuleData::identification()
{
    QFETCH(char, type);
    QFETCH(int, band);
    QFETCH(int, commandSet);
    QFETCH(int, hardware);
    QFETCH(int, speed);
    Rig rig(moduleOf(type, band, commandSet, hardware, speed));
    rig.data->readModule();

    QCOMPARE(rig.host.disconnects, 0);
    const ModulinfoControls &info = rig.data->info;
    QCOMPARE(rig.data->softwareTypeLetter(), QString(QChar(type)));
    QTEST(info.EditModTyp->text(), "modTyp");
    QTEST(info.Edit_SW_Speed->text(), "speedText");
    QTEST(info.Edit_SW_Typ_Klartext->text(), "klartext");
    QCOMPARE(info.Edit_SW_Version->text(), QStringLiteral("1/4/12"));
    QCOMPARE(info.Edit_Ser_NR->text(), QStringLiteral("2147483649"));
    QFETCH(bool, cPage);
    QCOMPARE(rig.tabShown(rig.app.Konfig_C), cPage);
    QCOMPARE(rig.tabShown(rig.app.Konfig_B), !cPage);
    QFETCH(int, channelCount);
    QCOMPARE(rig.data->b.CBox_Frq_RX_B->count(), channelCount);
    QCOMPARE(rig.data->c.CBox_Frq_TX_C->count(), channelCount);
    QCOMPARE(rig.app.CBoxMonitor[29]->count(), channelCount);
    QCOMPARE(rig.app.CBoxMonitor[0]->currentText(), QString());
    QTEST(rig.data->c.CBox_HFbaud_C->count(), "hfBaudCItems");
    QTEST(!rig.app.GBox_VCC->isHidden(), "vcc");
    // The speed query goes only to C modules with command set 3 or higher.
    const bool speedQueried = rig.frames().contains(bytes({0xB0, 0x00, 0x06}));
    QCOMPARE(speedQueried, type == 'C' && commandSet >= 3);
    // The read-out ends with RTS on.
    QCOMPARE(rig.lineEvents().last(), QStringLiteral("rts 1"));
}

void TestModuleData::bDecoder()
{
    Rig rig(moduleOf('B', 433));
    rig.port->setRts(true);
    rig.module().setRam(0x09, 5);
    rig.module().setRam(0x0A, 0); // no channel 0: nothing selected
    rig.module().setRam(0x0B, 9); // beyond the rate list
    rig.module().setRam(0x0C, 6);
    rig.module().setRam(0x0D, 2); // UART
    rig.module().setRam(0x10, 0); // by TX_EN
    rig.module().setRam(0x11, 0x35);
    rig.module().setRam(0x12, 0x02);
    rig.module().setRam(0x13, 2);
    rig.module().setRam(0x14, 15);
    rig.device->clearRecords();
    rig.shared.RxTxSwitchByCommand = true;
    rig.data->readModule();

    const KonfigBControls &b = rig.data->b;
    QCOMPARE(b.CBox_Frq_RX_B->currentText(), QStringLiteral("K005   433.1125"));
    QCOMPARE(b.CBox_Frq_TX_B->currentIndex(), -1);
    QCOMPARE(b.CBox_HFbaud_B->currentIndex(), -1);
    QCOMPARE(b.CBox_K_breite_B->currentText(), QStringLiteral("500.0"));
    QCOMPARE(b.CBox_Code_B->currentText(), QStringLiteral("UART"));
    QVERIFY(b.CBox_RX_TX_B->isEnabled());
    QCOMPARE(b.CBox_RX_TX_B->currentText(), QStringLiteral("über TX_EN"));
    QCOMPARE(rig.shared.RxTxSwitchByCommand, false);
    for (QComboBox *box :
         {b.CBox_pwrup_mode_B0, b.CBox_pwrup_mode_B2, b.CBox_pwrup_mode_B4, b.CBox_pwrup_mode_B5})
        QCOMPARE(box->currentIndex(), 1);
    QVERIFY(!b.CBox_pwrup_mode_B0->isEnabled());
    QVERIFY(!b.CBox_pwrup_mode_B5->isEnabled());
    QCOMPARE(b.CBox_pwr_cont_B0->currentIndex(), 0);
    QCOMPARE(b.CBox_pwr_cont_B1->currentIndex(), 1);
    QCOMPARE(b.CBox_Recal_B->currentIndex(), 2);
    QCOMPARE(b.Edit_Recal_B->text(), QStringLiteral("2"));
    QVERIFY(!b.Edit_Recal_B->isHidden());
    QCOMPARE(b.CBox_RSSI_B->currentIndex(), 1);
    QCOMPARE(b.Edit_RSSI_B->text(), QLocale().toString(1.5));
    QVERIFY(!b.Edit_RSSI_B->isHidden());
    // Registers are read in the order 09 0A 0B 0C 10 0D 0E 0F 11 12 13 14.
    QList<int> order;
    for (const QByteArray &frame : rig.frames()) {
        if (quint8(frame[1]) == 0x02)
            order << quint8(frame[2]);
    }
    QCOMPARE(order,
             (QList<int>{0x09, 0x0A, 0x0B, 0x0C, 0x10, 0x0D, 0x0E, 0x0F, 0x11, 0x12, 0x13, 0x14}));
    // Channel width 500.0 gives a bandwidth of 307.2 kHz.
    QCOMPARE(rig.shared.RBW, 307.2);
}

void TestModuleData::bDecoderOtherCoding()
{
    Rig rig(moduleOf('B'));
    rig.module().setRam(0x0D, 0); // NRZ
    rig.module().setRam(0x10, 0);
    rig.module().setRam(0x11, 0x00);
    rig.data->readModule();
    const KonfigBControls &b = rig.data->b;
    QVERIFY(!b.CBox_RX_TX_B->isEnabled());
    QCOMPARE(b.CBox_RX_TX_B->currentIndex(), 1);
    QCOMPARE(rig.shared.RxTxSwitchByCommand, true);
    QVERIFY(b.CBox_pwrup_mode_B0->isEnabled());
    QCOMPARE(b.CBox_pwrup_mode_B4->currentIndex(), 0);
}

void TestModuleData::cDecoder()
{
    Rig rig(moduleOf('C'));
    rig.module().setRam(0x0D, 0x10); // bit 4 only: no C setting
    rig.module().setRam(0x0E, 0x01);
    rig.module().setRam(0x0F, 150);
    rig.module().setRam(0x10, 0x1F);
    rig.shared.languageIndex = 0;
    rig.data->readModule();

    const KonfigCControls &c = rig.data->c;
    QCOMPARE(rig.data->info.Edit_SW_Typ_Klartext->text(), QStringLiteral("RS232 Bytemode"));
    QCOMPARE(c.CBox_Frq_RX_C->currentText(), QStringLiteral("K080   869.0000"));
    QCOMPARE(c.CBox_RS232_baud_C->currentText(), QStringLiteral("19200"));
    for (QComboBox *box : {c.CBox_pwrup_mode_C0, c.CBox_pwrup_mode_C2, c.CBox_pwrup_mode_C5})
        QCOMPARE(box->currentIndex(), 0);
    QVERIFY(c.CBox_pwrup_mode_C0->isEnabled());
    QCOMPARE(c.CBox_pwr_cont_C0->currentIndex(), 1);
    QCOMPARE(c.CBox_Recal_C->currentIndex(), 2);
    QCOMPARE(c.Edit_Recal_C->text(), QStringLiteral("150"));
    for (int bit = 0; bit < 5; ++bit)
        QCOMPARE(c.dataBox(bit)->currentIndex(), 1);
    QCOMPARE(rig.data->b.CBox_Recal_B->itemText(1), QStringLiteral("bei dT > 20°C oder dU > 0.2V"));
    QCOMPARE(rig.app.CBox_sleep_4->currentIndex(), 0);
    QVERIFY(!rig.app.CBox_sleep_4->isEnabled());
    QVERIFY(rig.app.BtnStartLinkControl->isEnabled());
    // A C module is read with RTS off from the first frame to the last.
    const QStringList events = rig.lineEvents();
    QCOMPARE(events.first(), QStringLiteral("rts 0"));
    QCOMPARE(events.last(), QStringLiteral("rts 1"));
    QCOMPARE(events.count(QStringLiteral("rts 1")), 1);
}

void TestModuleData::readOutFailureDisconnects()
{
    Rig rig(moduleOf('B'));
    rig.data->readModule();
    EmulatorFault fault;
    fault.kind = FaultKind::Silent;
    fault.frame = bytes({0xB0, 0x00, 0x00});
    fault.count = -1;
    rig.module().injectFault(fault);
    rig.device->clearRecords();
    rig.data->BtnAuslesenClick();

    QCOMPARE(rig.host.disconnects, 1);
    QCOMPARE(rig.host.english,
             QStringList{QStringLiteral("Transmission error!\r\n(Check COM und baudrate)")});
    // One type query and five passes that each end at their first frame.
    QCOMPARE(rig.frames().count(bytes({0xB0, 0x00, 0x00})), 5);
    QCOMPARE(rig.frames().count(bytes({0xB0, 0x00, 0x02})), 0);
    QVERIFY(!rig.app.BtnAuslesen->isEnabled());
    QCOMPARE(rig.data->softwareTypeLetter(), QStringLiteral("B"));
}

void TestModuleData::bWriteFrames_data()
{
    QTest::addColumn<bool>("eeprom");
    QTest::addColumn<int>("bit");
    QTest::newRow("RAM only") << false << 0x00;
    QTest::newRow("into EEPROM") << true << 0x80;
}

void TestModuleData::bWriteFrames()
{
    QFETCH(bool, eeprom);
    QFETCH(int, bit);
    Rig rig(moduleOf('B'));
    rig.data->readModule();
    KonfigBControls &b = rig.data->b;
    b.CBox_Frq_RX_B->setCurrentIndex(4);
    b.CBox_pwrup_mode_B0->setCurrentIndex(1);
    b.CBox_pwrup_mode_B2->setCurrentIndex(0);
    b.CBox_pwrup_mode_B4->setCurrentIndex(1);
    b.CBox_pwrup_mode_B5->setCurrentIndex(1);
    b.CBox_Recal_B->setCurrentIndex(2);
    b.Edit_Recal_B->setText("149");
    b.CBox_RSSI_B->setCurrentIndex(1);
    b.Edit_RSSI_B->setText(QLocale().toString(0.1));
    b.CheckBox_EEPROM->setChecked(eeprom);
    rig.device->clearRecords();
    rig.data->BtnKonfigurierenClick();

    QCOMPARE(rig.frames(),
             (QList<QByteArray>{bytes({0xB0, 0x09 | bit, 5}), bytes({0xB0, 0x0A | bit, 80}),
                                bytes({0xB0, 0x0B | bit, 2}), bytes({0xB0, 0x0C | bit, 2}),
                                bytes({0xB0, 0x0D | bit, 1}), bytes({0xB0, 0x0E | bit, 2}),
                                bytes({0xB0, 0x0F | bit, 0}), bytes({0xB0, 0x10 | bit, 1}),
                                bytes({0xB0, 0x11 | bit, 0x31}), bytes({0xB0, 0x12 | bit, 3}),
                                bytes({0xB0, 0x13 | bit, 149}), bytes({0xB0, 0x14 | bit, 1})}));
    QVERIFY(rig.host.english.isEmpty());
    QCOMPARE(rig.module().ram(0x11), quint8(0x31));
    QCOMPARE(rig.module().eeprom(0x13) == 149, eeprom);
    QVERIFY(rig.app.BtnKonfigurieren->isEnabled());
    QVERIFY(rig.app.BtnAuslesen->isEnabled());
    QVERIFY(rig.host.forcedBaudItems.isEmpty()); // Autobaud leaves the PC rate alone
}

void TestModuleData::forcedBaudChange()
{
    Rig rig(moduleOf('B'));
    rig.data->readModule();
    rig.data->b.CBox_Config_baud_B->setCurrentIndex(8); // 115200
    rig.device->clearRecords();
    rig.data->BtnKonfigurierenClick();

    QCOMPARE(rig.host.forcedBaudItems, QList<int>{7});
    QCOMPARE(rig.app.CBox_RS232_baud->currentText(), QStringLiteral("115200"));
    QCOMPARE(rig.host.disconnects, 0);
    const QStringList events = rig.lineEvents();
    const int change = events.indexOf(QStringLiteral("baud 115200"));
    QVERIFY(change > 0);
    QCOMPARE(events.at(change - 1), QStringLiteral("write B0 0F 08"));
    // The frames after the change go out at the new rate, and the module hears them.
    const QStringList after = events.mid(change).filter(QStringLiteral("write"));
    QCOMPARE(after.first(), QStringLiteral("write B0 10 01"));
    QCOMPARE(after.size(), 5);
    QCOMPARE(rig.module().moduleBaud(), 115200);
}

void TestModuleData::cWriteRtsOrder()
{
    Rig rig(moduleOf('C'));
    rig.data->readModule();
    KonfigCControls &c = rig.data->c;
    c.CBox_Recal_C->setCurrentIndex(2);
    c.Edit_Recal_C->setText("5"); // refused, the write goes on
    c.CheckBox_EEPROM_C->setChecked(true);
    rig.device->clearRecords();
    rig.data->BtnKonfigurierenClick();

    QCOMPARE(rig.lineEvents(), (QStringList{"rts 0", "write B0 89 50", "write B0 8A 50",
                                            "write B0 8B 03", "write B0 8C 04", "write B0 8D 24",
                                            "write B0 8E 03", "write B0 90 00", "rts 1"}));
    QCOMPARE(rig.host.german,
             QStringList{QStringLiteral("Auto-Recalibration muss zwischen 5 und 150 min. sein!")});
    QCOMPARE(c.Edit_Recal_C->text(), QString());
}

void TestModuleData::calibrationWrite()
{
    Rig rig(moduleOf('x', 433));
    rig.port->setBaudRate(19200);
    rig.data->readModule();
    QCOMPARE(rig.data->b.CBox_Frq_RX_B->currentIndex(), 69);
    QVERIFY(!rig.data->b.CheckBox_EEPROM->isEnabled());
    rig.device->clearRecords();
    rig.data->BtnKonfigurierenClick();

    QCOMPARE(rig.frames(), (QList<QByteArray>{bytes({0xB0, 0x09, 70}), bytes({0xB0, 0x0A, 70}),
                                              bytes({0xB0, 0x0B, 0}), bytes({0xB0, 0x0C, 0}),
                                              bytes({0xB0, 0x0D, 1}), bytes({0xB0, 0x0E, 2}),
                                              bytes({0xB0, 0x0F, 3}), bytes({0xB0, 0x10, 0})}));
    QCOMPARE(rig.shared.RxTxSwitchByCommand, true);
    QVERIFY(rig.app.BtnKonfigurieren->isEnabled());
    QVERIFY(!rig.app.BtnAuslesen->isEnabled());
}

void TestModuleData::refusedIntervalGoesOn()
{
    Rig rig(moduleOf('B'));
    rig.data->readModule();
    KonfigBControls &b = rig.data->b;
    b.CBox_Recal_B->setCurrentIndex(2);
    b.Edit_Recal_B->setText("zehn");
    b.CBox_RSSI_B->setCurrentIndex(1);
    b.Edit_RSSI_B->setText("15");
    rig.device->clearRecords();
    rig.data->BtnKonfigurierenClick();

    QCOMPARE(rig.frames().size(), 10);
    QCOMPARE(rig.frames().last(), bytes({0xB0, 0x12, 3}));
    QCOMPARE(rig.host.english,
             (QStringList{QStringLiteral("Auto recalibration: \"zehn\" is not a valid number!"),
                          QStringLiteral("Auto RSSI must be between 0.1s and 15s!")}));
    QCOMPARE(b.Edit_Recal_B->text(), QStringLiteral("zehn"));
    QCOMPARE(b.Edit_RSSI_B->text(), QString());
    QVERIFY(rig.app.BtnKonfigurieren->isEnabled());
    QVERIFY(rig.app.BtnAuslesen->isEnabled());
}

void TestModuleData::unselectedBoxSendsNothing()
{
    Rig rig(moduleOf('B'));
    rig.data->readModule();
    rig.data->b.CBox_Recal_B->setCurrentIndex(-1);
    rig.device->clearRecords();
    rig.data->BtnKonfigurierenClick();
    QVERIFY(rig.frames().isEmpty());
    QCOMPARE(rig.host.english.size(), 1);
    QVERIFY(rig.host.english.first().contains(QStringLiteral("Auto recalibration")));
}

void TestModuleData::saveLoadRoundTrip()
{
    Rig rig(moduleOf('B'));
    rig.data->readModule();
    SaveControls &save = rig.data->save;
    KonfigBControls &b = rig.data->b;
    b.CBox_Frq_RX_B->setCurrentIndex(0);
    b.CheckBox_EEPROM->setChecked(true);
    b.CBox_RSSI_B->setCurrentIndex(0);
    save.CBox_Speicher->setEditText("M3");
    save.Edit_info->setText(QStringLiteral("Prüfplatz €"));
    rig.data->BtnSaveClick();
    QVERIFY(rig.host.english.isEmpty());

    QFile file(rig.host.folder + "M3.txt");
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().split('\n');
    QCOMPARE(lines.at(0), QByteArray("Pr\xfc"
                                     "fplatz \x80\r"));
    QCOMPARE(lines.at(1), QByteArray("B\r"));
    QCOMPARE(lines.at(2), QByteArray("0\r"));
    QCOMPARE(lines.at(17), QByteArray("0\r"));
    QCOMPARE(lines.at(20), QByteArray("-1\r"));

    const BPageValues saved = readKonfigB(b);
    b.CBox_Frq_RX_B->setCurrentIndex(33);
    b.CBox_ModArt_B->setCurrentIndex(-1);
    b.CheckBox_EEPROM->setChecked(false);
    rig.data->BtnLoadClick();
    QVERIFY(rig.host.english.isEmpty());
    QCOMPARE(readKonfigB(b), saved);
}

void TestModuleData::loadTypeMismatch()
{
    Rig rig(moduleOf('C'));
    rig.data->readModule();
    QFile file(rig.host.folder + "M1.txt");
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("von B\r\nB\r\n0\r\n");
    file.close();
    const CPageValues before = readKonfigC(rig.data->c);
    rig.data->save.CBox_Speicher->setCurrentIndex(0);
    QCOMPARE(rig.data->save.Edit_info->text(), QStringLiteral("von B"));
    rig.data->BtnLoadClick();
    QCOMPARE(rig.host.english,
             QStringList{QStringLiteral("Saved configuration is only valid for same module "
                                        "typ\r\n\r\nConfiguration was saved with B-version\r\n"
                                        "Connected module = C-version")});
    QCOMPARE(readKonfigC(rig.data->c), before);
}

void TestModuleData::loadDamagedChangesNothing()
{
    Rig rig(moduleOf('C'));
    rig.data->readModule();
    QFile file(rig.host.folder + "M2.txt");
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("x\r\nC\r\n10\r\n11\r\n2\r\nzwei\r\n");
    file.close();
    const CPageValues before = readKonfigC(rig.data->c);
    rig.data->save.CBox_Speicher->setCurrentIndex(1);
    rig.data->BtnLoadClick();
    QCOMPARE(rig.host.english.size(), 1);
    QVERIFY(rig.host.english.first().contains(QStringLiteral("line 6")));
    QCOMPARE(readKonfigC(rig.data->c), before);
}

void TestModuleData::memoryLocationDescription()
{
    Rig rig(moduleOf('B'));
    rig.data->save.CBox_Speicher->setCurrentIndex(8);
    QCOMPARE(rig.data->save.Edit_info->text(), QStringLiteral("(leer)"));
    rig.data->BtnLoadClick();
    QCOMPARE(rig.host.english, QStringList{QStringLiteral("Memory cell empty or file not found!")});
    rig.data->save.CBox_Speicher->setEditText(QString());
    rig.data->BtnSaveClick();
    QCOMPARE(rig.host.english.last(), QStringLiteral("Choose memory location!"));
    QVERIFY(QDir(rig.host.folder).entryList(QDir::Files).isEmpty());
}

QTEST_MAIN(TestModuleData)
#include "tst_moduledata.moc"
