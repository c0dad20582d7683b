#include "support_window.h"

#include <QComboBox>
#include <QLabel>

namespace
{

EmulatorConfig bModule()
{
    EmulatorConfig config;
    config.type = 'B';
    return config;
}

// The window in the disconnected state, as after the start.
void verifyDisconnected(WindowRig &rig)
{
    QVERIFY(rig.button("BtnVerbinden")->isEnabled());
    QVERIFY(!rig.button("BtnTrennen")->isEnabled());
    QVERIFY(!rig.form->port().isOpen());
    QVERIFY(rig.find<QLabel>("Panel_keine_Verbindung")->isVisibleTo(rig.form.get()));
    for (const char *name : {"BtnKonfigurieren", "BtnAuslesen"}) {
        QVERIFY2(!rig.button(name)->isEnabled(), name);
        QVERIFY2(!rig.button(name)->isVisibleTo(rig.form.get()), name);
    }
    for (const char *page : {"Modulinfo", "Konfig_B", "Modultest", "HF_Test", "Monitor"})
        QVERIFY2(!rig.tabVisible(page), page);
}

// A click of the mouse on the button, as the user gives it.
void press(WindowRig &rig, const char *name)
{
    QTest::mouseClick(rig.button(name), Qt::LeftButton);
}

// By default a maximum-RSSI report of -87 dBm, as a B module with automatic RSSI output sends.
EmulatorFault reportBefore(const char *frame, const char *report = "30A9", double lateMs = 0,
                           int count = 1)
{
    EmulatorFault fault;
    fault.kind = FaultKind::ReportBefore;
    fault.frame = QByteArray::fromHex(frame);
    fault.report = QByteArray::fromHex(report);
    fault.lateMs = lateMs;
    fault.count = count;
    return fault;
}

} // namespace

class TestLinkFailures : public QObject
{
    Q_OBJECT
private slots:
    void lostPortReturnsToDisconnected_data();
    void lostPortReturnsToDisconnected();
    void strayTypeLetterIsReportedAndForgotten();
    void nextModuleIsReadWithItsOwnTypeLetter();
    void lateAnswerIsNotTakenForTheNextFrames();
};

void TestLinkFailures::lostPortReturnsToDisconnected_data()
{
    QTest::addColumn<QString>("when");
    QTest::addColumn<QString>("message");
    QTest::newRow("adapter pulled while idle")
        << "idle"
        << QStringLiteral("ReadFile function failed (win error code: 5)\r\nInput/output error: the "
                          "adapter was unplugged or the line failed; plug it in and connect again");
    QTest::newRow("write fails during the read-out")
        << "read-out"
        << QStringLiteral(
               "WriteFile function failed (win error code: 5)\r\nInput/output error: the adapter "
               "was unplugged or the line failed; plug it in and connect again");
    QTest::newRow("read fails during the configuration write")
        << "configuration"
        << QStringLiteral("ReadFile function failed (win error code: 19)\r\nNo such device: the "
                          "adapter was unplugged; plug it in and connect again");
}

void TestLinkFailures::lostPortReturnsToDisconnected()
{
    QFETCH(QString, when);
    QFETCH(QString, message);
    WindowRig rig(bModule());
    rig.form->setLanguageIndex(1);
    rig.connectModule();
    QVERIFY(rig.button("BtnTrennen")->isEnabled());
    QCOMPARE(rig.messages, QStringList());

    if (when == QLatin1String("idle")) {
        rig.device->simulateLoss(PortOperation::Read, 5);
    } else if (when == QLatin1String("read-out")) {
        rig.device->failNext(PortOperation::Write, 5);
        rig.button("BtnAuslesen")->click();
    } else {
        rig.device->failNext(PortOperation::Read, 19);
        rig.button("BtnKonfigurieren")->click();
    }
    QTRY_COMPARE(rig.messages, QStringList{message});
    verifyDisconnected(rig);
    if (when != QLatin1String("idle")) {
        // The window let go of the line: DTR dropped explicitly, then the port closed.
        const QStringList events = rig.device->lineEventTexts();
        QCOMPARE(events.mid(events.size() - 2), (QStringList{"dtr 0", "close"}));
    }

    // A new connect works at once.
    rig.messages.clear();
    rig.button("BtnVerbinden")->click();
    QCOMPARE(rig.messages, QStringList());
    QCOMPARE(rig.text("Edit_Caldata"), QStringLiteral("OK"));
    QVERIFY(rig.button("BtnTrennen")->isEnabled());
    QVERIFY(rig.tabVisible("Konfig_B"));
}

void TestLinkFailures::strayTypeLetterIsReportedAndForgotten()
{
    // Bytes 00 00 come in front of the type answer and are taken for it: 00 + 0x40 makes the
    // letter "@".
    EmulatorConfig config = bModule();
    WindowRig rig(config);
    rig.device->emulator().injectFault(reportBefore("B00001", "0000"));
    rig.form->setLanguageIndex(0);
    rig.connectModule();
    QCOMPARE(rig.text("Edit_SW_Typ"), QStringLiteral("@"));
    QCOMPARE(rig.messages,
             QStringList{QStringLiteral(
                 "Unbekannter Software-Typ \"@\"!\r\n(Modul wird nicht unterstützt)")});

    rig.messages.clear();
    rig.form->setLanguageIndex(1);
    rig.button("BtnKonfigurieren")->click();
    QCOMPARE(rig.messages,
             QStringList{QStringLiteral("Nothing to configure: unknown software type \"@\"!")});

    rig.messages.clear();
    rig.button("BtnTrennen")->click();
    QCOMPARE(rig.text("Edit_SW_Typ"), QString());

    // The next connect to the healthy module starts as after a fresh start.
    rig.button("BtnVerbinden")->click();
    QCOMPARE(rig.messages, QStringList());
    QCOMPARE(rig.text("Edit_SW_Typ"), QStringLiteral("B"));
    QCOMPARE(rig.text("EditModTyp"), QStringLiteral("Korvel868-10-B3"));
    QVERIFY(rig.tabVisible("Konfig_B"));
}

void TestLinkFailures::nextModuleIsReadWithItsOwnTypeLetter()
{
    // A C module, then a 433 MHz B module with automatic RSSI output: a field-strength report
    // comes before its type answer and before its band answer.
    WindowRig rig;
    rig.form->setLanguageIndex(1);
    rig.connectModule();
    QCOMPARE(rig.text("Edit_SW_Typ"), QStringLiteral("C"));
    press(rig, "BtnTrennen");
    EmulatorConfig config = bModule();
    config.band = 433;
    auto bModule433 = std::make_shared<ModuleEmulator>(config);
    bModule433->injectFault(reportBefore("B00001"));
    bModule433->injectFault(reportBefore("B00004"));
    rig.device->plugInto(bModule433);

    press(rig, "BtnVerbinden");
    QCOMPARE(rig.messages, QStringList());
    QCOMPARE(rig.text("Edit_SW_Typ"), QStringLiteral("B"));
    QCOMPARE(rig.text("Edit_Frq_Version"), QStringLiteral("433"));
    QCOMPARE(rig.text("EditModTyp"), QStringLiteral("Korvel433-10-B3"));
    QCOMPARE(rig.combo("CBox_Frq_RX_B")->currentText(), QStringLiteral("K070   433.9250"));
    // The report before the band answer was taken for what a B module means by it.
    QCOMPARE(rig.text("Edit_RSSI_MAX"), QStringLiteral("-87dBm"));
}

void TestLinkFailures::lateAnswerIsNotTakenForTheNextFrames()
{
    // A busy B module: every answer to the command-set query comes 30 ms after a report, which
    // makes the frame go out again; the answer to that second sending follows later.
    EmulatorConfig config = bModule();
    config.band = 433;
    config.processingDelayMs = 50;
    WindowRig rig(config);
    rig.device->emulator().injectFault(reportBefore("B00002", "30A9", 30, -1));
    QStringList hardwareShown, serialShown;
    QObject::connect(rig.find<QLineEdit>("Edit_HW_Version"), &QLineEdit::textChanged,
                     [&](const QString &text) { hardwareShown << text; });
    QObject::connect(rig.find<QLineEdit>("Edit_Ser_NR"), &QLineEdit::textChanged,
                     [&](const QString &text) { serialShown << text; });
    rig.choose("CBox_COM", QStringLiteral("COM3"));
    rig.choose("CBox_RS232_baud", QStringLiteral("19200"));
    press(rig, "BtnVerbinden");
    QCOMPARE(rig.messages, QStringList());
    QCOMPARE(hardwareShown, QStringList{"10"});
    QCOMPARE(serialShown, QStringList{"123456"});
    QCOMPARE(rig.text("Edit_Frq_Version"), QStringLiteral("433"));
}

QTEST_MAIN(TestLinkFailures)
#include "tst_linkfailures.moc"
