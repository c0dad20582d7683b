#include "support_window.h"

#include <QLabel>
#include <QRegularExpression>
#include <QTabWidget>

namespace
{

struct TestRig : WindowRig {
    explicit TestRig(char type) : WindowRig(configFor(type))
    {
        form->setLanguageIndex(1);
        connectModule();
        find<QTabWidget>("PageControl1")->setCurrentWidget(find<QWidget>("Modultest"));
        device->clearRecords();
    }
    static EmulatorConfig configFor(char type)
    {
        EmulatorConfig config;
        config.type = type;
        return config;
    }
    // What went over the line since the last clear, without the buffer purges.
    QStringList lineEvents() const
    {
        QStringList events = device->lineEventTexts();
        events.removeIf([](const QString &e) { return e.startsWith(QLatin1String("clear")); });
        return events;
    }
    bool timeShown(const char *label) const
    {
        const QLabel *l = find<QLabel>(label);
        return !l->isHidden() && QRegularExpression(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d$"))
                                     .match(l->text())
                                     .hasMatch();
    }
};

const char *const kSleepLocked[] = {"BtnSleep",
                                    "BtnRecal",
                                    "BtnRSSI_MAX",
                                    "BtnRSSI_Aktuell",
                                    "BtnTemp",
                                    "BtnVCC",
                                    "BtnKonfigurieren",
                                    "BtnAuslesen",
                                    "BtnStartHF_Test",
                                    "BtnLinkControl_konfig",
                                    "BtnStartLinkControl",
                                    "BtnMonitor_Start"};

} // namespace

class TestModuleTests : public QObject
{
    Q_OBJECT
private slots:
    void measurementsShowValueAndTime_data();
    void measurementsShowValueAndTime();
    void recalibrationReportsStartAndResult_data();
    void recalibrationReportsStartAndResult();
    void sleepAndWakeUp_data();
    void sleepAndWakeUp();
    void missingChoiceAndFailedTransmission();
};

void TestModuleTests::measurementsShowValueAndTime_data()
{
    QTest::addColumn<char>("type");
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("edit");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("frame");
    QTest::addColumn<QString>("shown");
    QTest::newRow("C temperature below zero") << 'C' << "BtnTemp" << -5 << "Edit_Temp"
                                              << "Label_Temp_Uhr"
                                              << "B0 01 02"
                                              << "-5°C";
    QTest::newRow("B temperature") << 'B' << "BtnTemp" << 23 << "Edit_Temp"
                                   << "Label_Temp_Uhr"
                                   << "B0 01 02"
                                   << "23°C";
    QTest::newRow("C current RSSI") << 'C' << "BtnRSSI_Aktuell" << -87 << "Edit_RSSI_Aktuell"
                                    << "Label_last_RSSI_Aktuell_Uhr"
                                    << "B0 01 00"
                                    << "-87dBm";
    QTest::newRow("calibration software maximum RSSI")
        << 'x' << "BtnRSSI_MAX" << -128 << "Edit_RSSI_MAX"
        << "Label_last_RSSI_MAX_Uhr"
        << "B0 01 01"
        << "-128dBm";
    QTest::newRow("C supply 3.3 V") << 'C' << "BtnVCC" << 33 << "Edit_VCC"
                                    << "Label_VCC_Uhr"
                                    << "B0 01 03"
                                    << "3.3V";
    QTest::newRow("C supply 25.5 V") << 'C' << "BtnVCC" << 255 << "Edit_VCC"
                                     << "Label_VCC_Uhr"
                                     << "B0 01 03"
                                     << "25.5V";
    QTest::newRow("C supply 3 V") << 'C' << "BtnVCC" << 30 << "Edit_VCC"
                                  << "Label_VCC_Uhr"
                                  << "B0 01 03"
                                  << "3V";
    QTest::newRow("C supply 0 V") << 'C' << "BtnVCC" << 0 << "Edit_VCC"
                                  << "Label_VCC_Uhr"
                                  << "B0 01 03"
                                  << "0V";
}

void TestModuleTests::measurementsShowValueAndTime()
{
    QFETCH(char, type);
    QFETCH(QString, button);
    QFETCH(int, value);
    QFETCH(QString, edit);
    QFETCH(QString, label);
    QFETCH(QString, frame);
    QFETCH(QString, shown);
    TestRig rig(type);
    EmulatorConfig &module = rig.device->emulator().config();
    module.temperatureC = module.rssiDbm = module.maxRssiDbm = module.supplyTenthsVolt = value;
    QVERIFY(!rig.timeShown(label.toLatin1()));

    rig.button(button.toLatin1())->click();
    QCOMPARE(rig.messages, QStringList());
    QCOMPARE(rig.text(edit.toLatin1()), shown);
    QVERIFY(rig.timeShown(label.toLatin1()));
    // A C module takes the command with RTS off and gets RTS back afterwards.
    const QStringList expected = type == 'C' ? QStringList{"rts 0", "write " + frame, "rts 1"}
                                             : QStringList{"write " + frame};
    QCOMPARE(rig.lineEvents(), expected);
}

void TestModuleTests::recalibrationReportsStartAndResult_data()
{
    QTest::addColumn<char>("type");
    QTest::addColumn<int>("result");
    QTest::addColumn<QString>("frame");
    QTest::addColumn<QString>("report");
    QTest::addColumn<bool>("answerLost");
    QTest::newRow("C successful") << 'C' << 1 << "B0 21 00"
                                  << "erfolgreich" << false;
    QTest::newRow("B not successful") << 'B' << 2 << "B0 22 00"
                                      << "nicht erfolgreich" << false;
    // The answer "started" is lost and the final report comes in its place, within the read
    // timeout: the recalibration has been done, and it is not started again.
    QTest::newRow("B, answer lost") << 'B' << 1 << "B0 22 00"
                                    << "erfolgreich" << true;
    QTest::newRow("C, answer lost") << 'C' << 2 << "B0 21 00"
                                    << "nicht erfolgreich" << true;
}

void TestModuleTests::recalibrationReportsStartAndResult()
{
    QFETCH(char, type);
    QFETCH(int, result);
    QFETCH(QString, frame);
    QFETCH(QString, report);
    QFETCH(bool, answerLost);
    TestRig rig(type);
    rig.device->emulator().config().recalibrationResult = quint8(result);
    if (answerLost) {
        EmulatorFault silence;
        silence.kind = FaultKind::Silent;
        silence.frame = QByteArray::fromHex(frame.toLatin1());
        silence.count = -1;
        rig.device->emulator().injectFault(silence);
    }

    rig.button("BtnRecal")->click();
    const bool cModule = type == 'C';
    if (!answerLost) {
        QCOMPARE(rig.text("Edit_Recall_stat"), QStringLiteral("gestartet"));
        QVERIFY(rig.timeShown("Label_last_cal_uhr"));
        // A C module recalibrates with RTS off; its final report brings RTS back.
        QCOMPARE(rig.form->port().rts(), !cModule);
    }
    QTRY_COMPARE(rig.text("Edit_Recall_stat"), report);
    QVERIFY(rig.timeShown("Label_last_cal_uhr"));
    QVERIFY(rig.form->port().rts());
    QCOMPARE(rig.messages, QStringList());
    QCOMPARE(rig.lineEvents().filter("write"), QStringList{"write " + frame});
    QVERIFY(!rig.button("BtnVerbinden")->isEnabled());
}

void TestModuleTests::sleepAndWakeUp_data()
{
    QTest::addColumn<char>("type");
    QTest::addColumn<int>("wakeupPin");
    QTest::addColumn<QString>("frame");
    QTest::addColumn<QStringList>("wakeEvents");
    QTest::addColumn<bool>("needsButton");
    // "Continue nach Wakeup" and "Restliche Pins Normal" in every row.
    QTest::newRow("C: short RTS pulse")
        << 'C' << 0 << "B0 20 21" << QStringList{"rts 1", "rts 0"} << false;
    QTest::newRow("B, pin 12: RTS off and on")
        << 'B' << 0 << "B0 21 21" << QStringList{"rts 0", "rts 1"} << false;
    QTest::newRow("B, pin 9: only the kit's button")
        << 'B' << 1 << "B0 21 31" << QStringList{} << true;
}

void TestModuleTests::sleepAndWakeUp()
{
    QFETCH(char, type);
    QFETCH(int, wakeupPin);
    QFETCH(QString, frame);
    QFETCH(QStringList, wakeEvents);
    QFETCH(bool, needsButton);
    TestRig rig(type);
    const bool cModule = type == 'C';
    QCOMPARE(rig.combo("CBox_sleep_4")->isEnabled(), !cModule);
    rig.choose("CBox_sleep_0", QStringLiteral("Continue after wakeup"));
    if (!cModule)
        rig.combo("CBox_sleep_4")->setCurrentIndex(wakeupPin);
    rig.choose("CBox_sleep_5", QStringLiteral("Other pins normal"));

    rig.button("BtnSleep")->click();
    QCOMPARE(rig.messages, QStringList());
    const QStringList sleepEvents =
        cModule ? QStringList{"rts 0", "write " + frame} : QStringList{"write " + frame};
    QCOMPARE(rig.lineEvents(), sleepEvents);
    QVERIFY(rig.device->emulator().isAsleep());
    QVERIFY(rig.button("BtnWakeup")->isEnabled());
    for (const char *name : kSleepLocked)
        QVERIFY2(!rig.button(name)->isEnabled(), name);
    QCOMPARE(rig.form->port().rts(), !cModule);

    rig.device->clearRecords();
    rig.button("BtnWakeup")->click();
    QCOMPARE(rig.lineEvents(), wakeEvents);
    if (needsButton) {
        QCOMPARE(rig.messages,
                 QStringList{"If \"Pin9 = wakeuppin\", wakeup only with  pushbutton  on the "
                             "EvalKit!"});
        QVERIFY(rig.device->emulator().isAsleep());
        rig.device->emulator().pressWakeButton(rig.device->nowMs());
    }
    // The module's wake-up report unlocks the buttons.
    QTRY_VERIFY(rig.button("BtnSleep")->isEnabled());
    QVERIFY(!rig.button("BtnWakeup")->isEnabled());
    for (const char *name : kSleepLocked) {
        const bool wizardOfB = !cModule && QByteArray(name).contains("LinkControl");
        QVERIFY2(rig.button(name)->isEnabled() != wizardOfB, name);
    }
    QVERIFY(rig.form->port().rts());
}

void TestModuleTests::missingChoiceAndFailedTransmission()
{
    TestRig rig('C');
    rig.choose("CBox_sleep_0", QStringLiteral("Reset after wakeup"));
    rig.button("BtnSleep")->click();
    QCOMPARE(rig.messages, QStringList{"Choose sleep configuration first"});
    QCOMPARE(rig.lineEvents(), QStringList());

    rig.messages.clear();
    rig.find<QLineEdit>("Edit_Temp")->setText(QStringLiteral("old"));
    EmulatorFault fault;
    fault.kind = FaultKind::Silent;
    fault.count = -1;
    rig.device->emulator().injectFault(fault);
    rig.button("BtnTemp")->click();
    QCOMPARE(rig.messages, QStringList{kTransmissionErrorEn});
    QCOMPARE(rig.lineEvents().filter("write").size(), 5);
    QVERIFY(rig.button("BtnVerbinden")->isEnabled());
    QCOMPARE(rig.text("Edit_Temp"), QString());
}

QTEST_MAIN(TestModuleTests)
#include "tst_moduletests.moc"
