#include "support_window.h"

#include "texts/languagechoice.h"

#include <QCheckBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTabWidget>

namespace
{

EmulatorConfig moduleOfType(char type)
{
    EmulatorConfig config;
    config.type = type;
    return config;
}

QByteArray frame(int code, int param)
{
    QByteArray bytes(3, char(0xB0));
    bytes[1] = char(code);
    bytes[2] = char(param);
    return bytes;
}

} // namespace

class TestConnection : public QObject
{
    Q_OBJECT
private slots:
    void startsDisconnected();
    void connectIdentifiesTheModule_data();
    void connectIdentifiesTheModule();
    void connectSequenceOnTheLine();
    void moduleWithoutStartupReportIsRefused();
    void silentModuleEndsInTransmissionError();
    void readOutRepeatsAFailedPass();
    void unopenablePortReportsTheSystemError();
    void disconnectRestoresTheStartState();
    void demonstrationMode_data();
    void demonstrationMode();
    void demonstrationNeedsABaudText();
    void pageRulesSteerTheButtonsBelowThePages();
    void selectorsRefuseChangesWhileConnected();
    void settingsFileIsWrittenReadAndDeleted();
    void unlockWordOpensTheDebugWindow();
    void debugButtonsToggleTheWindow();
};

void TestConnection::startsDisconnected()
{
    WindowRig rig;
    // The design width, or wider where the texts at the desktop's font need it.
    QVERIFY(rig.form->width() >= 575);
    QStringList items;
    for (int i = 0; i < rig.combo("CBox_COM")->count(); ++i)
        items << rig.combo("CBox_COM")->itemText(i);
    QCOMPARE(items, (QStringList{"COM1", "COM10", "COM3", "DEMO"}));
    QVERIFY(rig.button("BtnVerbinden")->isEnabled());
    QVERIFY(!rig.button("BtnTrennen")->isEnabled());
    QVERIFY(rig.find<QLabel>("Panel_keine_Verbindung")->isVisibleTo(rig.form.get()));
    QVERIFY(!rig.find<QLabel>("Panel_keine_Verbindung2")->isVisibleTo(rig.form.get()));
    for (const char *page :
         {"Modulinfo", "Konfig_B", "Konfig_C", "Modultest", "HF_Test", "Monitor"})
        QVERIFY2(!rig.tabVisible(page), page);
    QVERIFY(!rig.button("BtnAuslesen")->isVisibleTo(rig.form.get()));
    QVERIFY(!rig.find<QGroupBox>("GBox_Debugfenster")->isVisibleTo(rig.form.get()));
    // Without a settings file the language is chosen: 0 or 1, never left open.
    QVERIFY(rig.form->languageIndex() == 0 || rig.form->languageIndex() == 1);
}

void TestConnection::connectIdentifiesTheModule_data()
{
    QTest::addColumn<char>("type");
    QTest::addColumn<int>("hardware");
    QTest::addColumn<QString>("modTyp");
    QTest::addColumn<QString>("speed");
    QTest::addColumn<QString>("configPage");
    QTest::addColumn<QString>("plainHardware");
    QTest::newRow("C module") << 'C' << 10 << "Korvel868-10-C3"
                              << "16MHz"
                              << "Konfig_C"
                              << "16MHz resonator/3.3V regulator/19.2k loopfilter";
    QTest::newRow("B module") << 'B' << 11 << "Korvel868-11-B3"
                              << "8MHz"
                              << "Konfig_B"
                              << "8MHz resonator/3.0V regulator/19.2k loopfilter";
    QTest::newRow("calibration software") << 'x' << 12 << "Korvel868-12-x3"
                                          << "16MHz"
                                          << "Konfig_B"
                                          << "16MHz resonator/without regulator/19.2k loopfilter";
}

void TestConnection::connectIdentifiesTheModule()
{
    QFETCH(char, type);
    QFETCH(int, hardware);
    QFETCH(QString, modTyp);
    QFETCH(QString, speed);
    QFETCH(QString, configPage);
    QFETCH(QString, plainHardware);
    EmulatorConfig config = moduleOfType(type);
    config.hardware = hardware;
    config.speedMHz = hardware == 11 ? 8 : 16;
    config.serial = 2147483649u;
    WindowRig rig(config);
    rig.form->setLanguageIndex(1);
    rig.connectModule();

    QCOMPARE(rig.messages, QStringList());
    QCOMPARE(rig.text("Edit_Caldata"), QStringLiteral("OK"));
    QCOMPARE(rig.text("EditModTyp"), modTyp);
    QCOMPARE(rig.text("Edit_SW_Version"), QStringLiteral("1/4/12"));
    QCOMPARE(rig.text("Edit_SW_Speed"), speed);
    QCOMPARE(rig.text("Edit_Frq_Version"), QStringLiteral("868"));
    QCOMPARE(rig.text("Edit_Ser_NR"), QStringLiteral("2147483649"));
    QCOMPARE(rig.text("Edit_HW_Version_Klartext"), plainHardware);
    QCOMPARE(rig.text("Edit_SW_Typ"), QString(QChar(type)));

    QVERIFY(!rig.button("BtnVerbinden")->isEnabled());
    QVERIFY(rig.button("BtnTrennen")->isEnabled());
    QVERIFY(!rig.find<QLabel>("Panel_keine_Verbindung")->isVisibleTo(rig.form.get()));
    QVERIFY(!rig.find<QLabel>("Panel_keine_Verbindung2")->isVisibleTo(rig.form.get()));
    for (const char *page : {"Modulinfo", "Modultest", "HF_Test", "Monitor"})
        QVERIFY2(rig.tabVisible(page), page);
    QVERIFY(rig.tabVisible(configPage.toLatin1().constData()));
    QVERIFY(!rig.tabVisible(configPage == QLatin1String("Konfig_B") ? "Konfig_C" : "Konfig_B"));
    QCOMPARE(rig.find<QTabWidget>("PageControl1")->currentIndex(), 0);
    QVERIFY(rig.button("BtnAuslesen")->isVisibleTo(rig.form.get()));
    QVERIFY(!rig.button("BtnKonfigurieren")->isVisibleTo(rig.form.get()));
    QCOMPARE(rig.form->port().readTimeout(), 500);
    QVERIFY(rig.form->port().rts());
}

void TestConnection::connectSequenceOnTheLine()
{
    WindowRig rig(moduleOfType('C'));
    rig.connectModule(QStringLiteral("COM10"), QStringLiteral("19200"));
    QCOMPARE(rig.messages, QStringList());
    const QStringList events = rig.device->lineEventTexts();
    // RTS is off when the line opens; the first frame goes out directly, then the line is
    // reopened and cleared before the start-up report is read.
    const QStringList start = events.mid(0, 12);
    QVERIFY2(start.indexOf(QStringLiteral("open COM10")) >= 0, qPrintable(start.join('|')));
    const int firstOpen = events.indexOf(QStringLiteral("open COM10"));
    const int firstWrite = events.indexOf(QStringLiteral("write B0 00 00"));
    const int close = events.indexOf(QStringLiteral("close"));
    const int reopen = events.indexOf(QStringLiteral("open COM10"), close);
    QVERIFY(firstOpen < firstWrite && firstWrite < close && close < reopen);
    QVERIFY(events.mid(firstOpen, firstWrite - firstOpen).contains(QStringLiteral("baud 19200")));
    QVERIFY(!events.mid(0, firstWrite).contains(QStringLiteral("rts 1")));
    const int clearAfterReopen = int(events.indexOf(QStringLiteral("clear in out"), reopen));
    QVERIFY2(clearAfterReopen > reopen, qPrintable(events.join('|')));
    QCOMPARE(events.at(clearAfterReopen), QStringLiteral("clear in out"));
    QVERIFY(!events.mid(reopen, clearAfterReopen - reopen).join('|').contains("write"));
    // The direct frame is not in the TX log; the read-out's queries are.
    auto *tx = rig.find<QPlainTextEdit>("MemoTX");
    QTRY_VERIFY(tx->toPlainText().startsWith(QStringLiteral("\nB0,00,01,")) ||
                tx->toPlainText().startsWith(QStringLiteral("B0,00,01,")));
    // The C module's read-out runs with RTS off until its end.
    const int typeQuery = events.indexOf(QStringLiteral("write B0 00 01"));
    int lastRead = -1;
    for (int i = 0; i < events.size(); ++i)
        if (events.at(i).startsWith(QLatin1String("write B0 02")))
            lastRead = i;
    QVERIFY(typeQuery > reopen && lastRead > typeQuery);
    QVERIFY(!events.mid(typeQuery, lastRead - typeQuery).contains(QStringLiteral("rts 1")));
    QVERIFY(events.mid(lastRead).contains(QStringLiteral("rts 1")));
}

void TestConnection::moduleWithoutStartupReportIsRefused()
{
    EmulatorConfig config = moduleOfType('C');
    config.sendStartupReport = false;
    WindowRig rig(config);
    rig.form->setLanguageIndex(1);
    QElapsedTimer timer;
    timer.start();
    rig.connectModule();
    QVERIFY(timer.elapsed() >= 1000);
    QCOMPARE(rig.messages, QStringList{kTransmissionErrorEn});
    QVERIFY(rig.button("BtnVerbinden")->isEnabled());
    QVERIFY(!rig.button("BtnAuslesen")->isVisibleTo(rig.form.get()));
    QVERIFY(!rig.tabVisible("Modulinfo"));
    QVERIFY(!rig.form->port().isOpen());
    QCOMPARE(rig.form->port().readTimeout(), 1000);
}

void TestConnection::silentModuleEndsInTransmissionError()
{
    WindowRig rig(moduleOfType('B'));
    rig.form->setLanguageIndex(0);
    EmulatorFault fault;
    fault.kind = FaultKind::Silent;
    fault.count = -1;
    rig.device->emulator().injectFault(fault);
    rig.connectModule();
    QCOMPARE(rig.messages, QStringList{kTransmissionErrorDe});
    QVERIFY(rig.button("BtnVerbinden")->isEnabled());
    QVERIFY(!rig.tabVisible("Modulinfo"));
    // The type query fails once by itself, then five passes fail at their first frame.
    QTRY_COMPARE(rig.find<QPlainTextEdit>("MemoRX")->toPlainText().count(QStringLiteral("E4 ")), 6);
    QCOMPARE(rig.device->frames().count(frame(0x00, 0x00)), 1 + 5);
}

void TestConnection::readOutRepeatsAFailedPass()
{
    WindowRig rig(moduleOfType('B'));
    EmulatorFault fault;
    fault.kind = FaultKind::Silent;
    fault.frame = frame(0x00, 0x00);
    fault.count = 2; // the connect sequence's frame, whose answer is lost anyway, and the pass's
    rig.device->emulator().injectFault(fault);
    rig.connectModule();
    QCOMPARE(rig.messages, QStringList());
    QCOMPARE(rig.text("EditModTyp"), QStringLiteral("Korvel868-10-B3"));
    QList<QByteArray> queries;
    for (const QByteArray &written : rig.device->frames())
        if (written.size() == 3 && written[1] == 0)
            queries << written;
    // B0 00 00 of the connect sequence, the type query, a failed pass, then a whole pass again.
    const QList<QByteArray> expected{frame(0, 0), frame(0, 1), frame(0, 0), frame(0, 0),
                                     frame(0, 2), frame(0, 3), frame(0, 4), frame(0, 5)};
    QCOMPARE(queries, expected);
}

void TestConnection::unopenablePortReportsTheSystemError()
{
    WindowRig rig;
    rig.device->setMissingPorts({QStringLiteral("COM7")});
    rig.connectModule(QStringLiteral("COM7"));
    QCOMPARE(rig.messages,
             QStringList{"Unable to open com port (win error code: 2)\r\nNo such file or "
                         "directory: check the port name; the list shows the ports present"});
    QVERIFY(rig.button("BtnVerbinden")->isEnabled());
    QVERIFY(!rig.button("BtnTrennen")->isEnabled());
    QVERIFY(!rig.form->port().isOpen());
}

void TestConnection::disconnectRestoresTheStartState()
{
    WindowRig rig(moduleOfType('C'));
    rig.form->setLanguageIndex(1);
    rig.connectModule();
    QCOMPARE(rig.text("Edit_Caldata"), QStringLiteral("OK"));
    rig.combo("CBox_sleep_0")->setCurrentIndex(1);
    rig.button("BtnTrennen")->click();

    QVERIFY(rig.button("BtnVerbinden")->isEnabled());
    QVERIFY(!rig.button("BtnTrennen")->isEnabled());
    QVERIFY(!rig.form->port().isOpen());
    QCOMPARE(rig.form->port().readTimeout(), 1000);
    QCOMPARE(rig.text("Edit_Caldata"), QString());
    QCOMPARE(rig.text("Edit_SW_Typ"), QStringLiteral("C"));
    QCOMPARE(rig.text("EditModTyp"), QStringLiteral("Korvel868-10-C3"));
    QCOMPARE(rig.combo("CBox_sleep_0")->currentIndex(), -1);
    QCOMPARE(rig.combo("CBox_sleep_0")->placeholderText(), QStringLiteral("(choose)"));
    for (const char *page :
         {"Modulinfo", "Konfig_B", "Konfig_C", "Modultest", "HF_Test", "Monitor"})
        QVERIFY2(!rig.tabVisible(page), page);
    QVERIFY(!rig.button("BtnAuslesen")->isVisibleTo(rig.form.get()));
    QVERIFY(!rig.button("BtnKonfigurieren")->isEnabled());
    QVERIFY(!rig.button("BtnWakeup")->isEnabled());
    QVERIFY(rig.find<QLabel>("Panel_keine_Verbindung")->isVisibleTo(rig.form.get()));
    QVERIFY(!rig.find<QLabel>("Panel_keine_Verbindung2")->isVisibleTo(rig.form.get()));

    // The next connection starts with the old letter steering the first query, and works.
    rig.connectModule();
    QCOMPARE(rig.text("Edit_Caldata"), QStringLiteral("OK"));
    QCOMPARE(rig.messages, QStringList());
}

void TestConnection::demonstrationMode_data()
{
    QTest::addColumn<bool>("yes");
    QTest::addColumn<QString>("letter");
    QTest::addColumn<QString>("page");
    QTest::newRow("C version") << true << "C"
                               << "Konfig_C";
    QTest::newRow("B version") << false << "B"
                               << "Konfig_B";
}

void TestConnection::demonstrationMode()
{
    QFETCH(bool, yes);
    QFETCH(QString, letter);
    QFETCH(QString, page);
    WindowRig rig;
    rig.form->setLanguageIndex(0);
    rig.answerYes = yes;
    rig.connectModule(QStringLiteral("DEMO"));
    QCOMPARE(rig.messages, QStringList{"Demo für C-Version starten?"});
    QCOMPARE(rig.text("Edit_SW_Typ"), letter);
    QVERIFY(rig.tabVisible(page.toLatin1().constData()));
    for (const char *shown : {"Modulinfo", "Modultest", "HF_Test", "Monitor"})
        QVERIFY2(rig.tabVisible(shown), shown);
    QVERIFY(!rig.form->port().isOpen());
    QVERIFY(rig.device->lineEvents().isEmpty());
    QVERIFY(!rig.find<QLabel>("Panel_keine_Verbindung")->isVisibleTo(rig.form.get()));
    QVERIFY(rig.find<QLabel>("Panel_keine_Verbindung2")->isVisibleTo(rig.form.get()));
    for (const char *name : {"BtnVerbinden", "BtnTemp", "BtnVCC", "BtnRSSI_Aktuell", "BtnRSSI_MAX",
                             "BtnRecal", "BtnSleep", "BtnStartHF_Test", "BtnStartLinkControl",
                             "BtnLinkControl_konfig", "BtnMonitor_Start"})
        QVERIFY2(!rig.button(name)->isEnabled(), name);

    rig.button("BtnTrennen")->click();
    QVERIFY(rig.button("BtnVerbinden")->isEnabled());
    QVERIFY(rig.button("BtnTemp")->isEnabled());
    QVERIFY(!rig.tabVisible("Modulinfo"));
    QCOMPARE(rig.messages.size(), 1);
}

void TestConnection::demonstrationNeedsABaudText()
{
    WindowRig rig;
    rig.form->setLanguageIndex(1);
    rig.choose("CBox_COM", QStringLiteral("DEMO"));
    rig.button("BtnVerbinden")->click();
    QCOMPARE(rig.messages, QStringList{"Choose COM-port and/or baudrate first!"});
    QVERIFY(rig.button("BtnVerbinden")->isEnabled());
}

void TestConnection::pageRulesSteerTheButtonsBelowThePages()
{
    WindowRig rig(moduleOfType('C'));
    rig.connectModule();
    auto *tabs = rig.find<QTabWidget>("PageControl1");
    const auto shows = [&](const char *name) {
        return rig.find<QWidget>(name)->isVisibleTo(rig.form.get());
    };
    struct Row {
        int page;
        bool configure, read, save;
    };
    for (const Row &row :
         {Row{2, true, true, true}, Row{3, false, false, false}, Row{0, false, true, false},
          Row{5, false, false, false}, Row{4, false, false, false}}) {
        tabs->setCurrentIndex(row.page);
        QCOMPARE(shows("BtnKonfigurieren"), row.configure);
        QCOMPARE(shows("BtnAuslesen"), row.read);
        QCOMPARE(shows("GBox_Save_konfig"), row.save);
    }
}

void TestConnection::selectorsRefuseChangesWhileConnected()
{
    WindowRig rig(moduleOfType('C'));
    rig.form->setLanguageIndex(1);
    rig.connectModule();
    rig.choose("CBox_COM", QStringLiteral("COM1"));
    QCOMPARE(rig.messages, QStringList{"Disconnect first!"});
    QCOMPARE(rig.combo("CBox_COM")->currentText(), QString());
    QCOMPARE(rig.form->port().portName(), QStringLiteral("COM3"));
    rig.choose("CBox_RS232_baud", QStringLiteral("1200"));
    QCOMPARE(rig.combo("CBox_RS232_baud")->currentText(), QString());
    QCOMPARE(rig.form->port().baudRate(), 19200);
    QVERIFY(rig.form->port().isOpen());

    rig.button("BtnTrennen")->click();
    rig.messages.clear();
    rig.button("BtnVerbinden")->click();
    QCOMPARE(rig.messages, QStringList{"Choose COM-port and/or baudrate first!"});
}

void TestConnection::settingsFileIsWrittenReadAndDeleted()
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("Korvel_ComSetting.ini"));
    {
        WindowRig rig({}, folder.path());
        rig.choose("CBox_COM", QStringLiteral("COM3"));
        rig.choose("CBox_RS232_baud", QStringLiteral("57600"));
        rig.find<QCheckBox>("CheckBox_ComSave")->setChecked(true);
        rig.form->close();
    }
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    // The port's name follows the three lines.
    QCOMPARE(file.readAll(), QByteArray("-1\r\n2\r\n6\r\nCOM3\r\n"));
    file.close();
    {
        WindowRig rig({}, folder.path());
        QVERIFY(rig.find<QCheckBox>("CheckBox_ComSave")->isChecked());
        QCOMPARE(rig.combo("CBox_COM")->currentText(), QStringLiteral("COM3"));
        QCOMPARE(rig.combo("CBox_RS232_baud")->currentText(), QStringLiteral("57600"));
        QCOMPARE(rig.form->port().portName(), QStringLiteral("COM3"));
        QCOMPARE(rig.form->port().baudRate(), 57600);
        // The settings file holds no language: the system's applies, as without the file.
        QCOMPARE(rig.form->languageIndex(), systemLanguageIndex());
        rig.find<QCheckBox>("CheckBox_ComSave")->setChecked(false);
        rig.form->close();
    }
    QVERIFY(!QFile::exists(path));

    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("0\r\n2\r\n6\r\n");
    file.close();
    {
        WindowRig rig({}, folder.path());
        QVERIFY(!rig.find<QCheckBox>("CheckBox_ComSave")->isChecked());
        QCOMPARE(rig.combo("CBox_COM")->currentText(), QString());
        QCOMPARE(rig.combo("CBox_RS232_baud")->currentText(), QString());
    }
    // A file of an older version has no name: its index holds. Where the name and the index
    // disagree (the system's ports came back in another order), the name holds.
    for (const auto &[content, port] :
         {std::pair{QByteArray("-1\r\n1\r\n6\r\n"), QStringLiteral("COM10")},
          std::pair{QByteArray("-1\r\n0\tCOM3\r\n6\r\n"), QStringLiteral("COM3")},
          std::pair{QByteArray("-1\r\n0\r\n6\r\nCOM3\r\n"), QStringLiteral("COM3")}}) {
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(content);
        file.close();
        WindowRig rig({}, folder.path());
        QCOMPARE(rig.combo("CBox_COM")->currentText(), port);
        QCOMPARE(rig.form->port().portName(), port);
    }
}

namespace
{

// The width of the window with the debug window open: 970 - 575 wider, but no wider than the
// screen (the offscreen platform's is 800 pixels wide), where the pages make room instead.
int widened(const TForm1 &form, int narrow)
{
    return std::min(narrow + 970 - 575, form.screen()->availableGeometry().width());
}

} // namespace

void TestConnection::unlockWordOpensTheDebugWindow()
{
    WindowRig rig;
    auto *field = rig.find<QLineEdit>("EditModTyp");
    auto *debug = rig.find<QGroupBox>("GBox_Debugfenster");
    QTest::keyClicks(field, QStringLiteral("KORVXLLOG"));
    QVERIFY(!debug->isVisibleTo(rig.form.get()));
    // A wrong key that is the word's first letter does not begin the next attempt.
    QTest::keyClicks(field, QStringLiteral("KORK"));
    QTest::keyClicks(field, QStringLiteral("ORVELLOG"));
    QVERIFY(!debug->isVisibleTo(rig.form.get()));
    // Shift is a key of its own and breaks the word; letters match with or without it.
    QTest::keyClicks(field, QStringLiteral("KORV"));
    QTest::keyClick(field, Qt::Key_Shift);
    QTest::keyClicks(field, QStringLiteral("ELLOG"));
    QVERIFY(!debug->isVisibleTo(rig.form.get()));
    const int narrow = rig.form->width();
    QTest::keyClicks(field, QStringLiteral("korvelLog"));
    QVERIFY(debug->isVisibleTo(rig.form.get()));
    QCOMPARE(rig.form->width(), widened(*rig.form, narrow));
}

void TestConnection::debugButtonsToggleTheWindow()
{
    WindowRig rig(moduleOfType('C'));
    auto *debug = rig.find<QGroupBox>("GBox_Debugfenster");
    const int narrow = rig.form->width();
    rig.button("BtnDebugfenster")->click();
    QVERIFY(debug->isVisibleTo(rig.form.get()));
    QCOMPARE(rig.form->width(), widened(*rig.form, narrow));
    rig.button("BtnDebugfenster")->click();
    QVERIFY(!debug->isVisibleTo(rig.form.get()));
    QCOMPARE(rig.form->width(), narrow);
    rig.button("BtnDebugfenster")->click();
    rig.connectModule();
    QTRY_VERIFY(!rig.find<QPlainTextEdit>("MemoRX")->toPlainText().isEmpty());
    rig.button("BtnClear")->click();
    QVERIFY(rig.find<QPlainTextEdit>("MemoRX")->toPlainText().isEmpty());
    QVERIFY(rig.find<QPlainTextEdit>("MemoTX")->toPlainText().isEmpty());
    rig.button("BtnClose")->click();
    QVERIFY(!debug->isVisibleTo(rig.form.get()));
    QCOMPARE(rig.form->width(), narrow);
}

QTEST_MAIN(TestConnection)
#include "tst_connection.moc"
