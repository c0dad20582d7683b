#include "support_window.h"

#include "texts/language.h"
#include "texts/languagechoice.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QSignalSpy>
#include <QTabWidget>

#include <sys/stat.h>

namespace
{

// Every control a language table names, with the row's kind.
QList<std::pair<QString, TextKind>> tableControls()
{
    QList<std::pair<QString, TextKind>> names;
    for (const auto &table : languageTables())
        for (const UiText &row : table)
            names.append({QString::fromLatin1(row.control), row.kind});
    return names;
}

QWidget *control(const TForm1 &form, const QString &name)
{
    if (form.objectName() == name)
        return const_cast<TForm1 *>(&form);
    return form.findChild<QWidget *>(name);
}

QStringList itemsOf(const QComboBox *box)
{
    QStringList items;
    for (int i = 0; i < box->count(); ++i)
        items << box->itemText(i);
    return items;
}

// What the user sees of every table control: its caption, or its items and placeholder.
QStringList shownTexts(const TForm1 &form)
{
    QStringList shown;
    for (const auto &[name, kind] : tableControls()) {
        QWidget *widget = control(form, name);
        if (!widget)
            continue;
        if (kind == TextKind::AccessibleName)
            shown << name + QStringLiteral(" named ") + widget->accessibleName();
        else if (auto *box = qobject_cast<QComboBox *>(widget))
            shown << name + QLatin1Char('=') + itemsOf(box).join(QLatin1Char('|')) +
                         QLatin1Char('/') + box->placeholderText() + QLatin1Char('/') +
                         QString::number(box->currentIndex());
        else
            shown << name + QLatin1Char('=') + captionOf(widget);
    }
    return shown;
}

void writeFile(const QString &path, const QByteArray &content)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void chooseLanguageFromMenu(WindowRig &rig, int index)
{
    QMenu *menu = rig.button("BtnLanguage")->menu();
    QVERIFY(menu);
    emit menu->aboutToShow();
    menu->actions().at(index)->trigger();
}

} // namespace

class TestLanguage : public QObject
{
    Q_OBJECT
private slots:
    void everyTableControlFollowsTheLanguage();
    void sampleTexts_data();
    void sampleTexts();
    void placeholdersOfTheFiveChoiceBoxes();
    void startLanguage_data();
    void startLanguage();
    void switchWhileRunningKeepsSelections();
    void standardButtonsFollowTheLanguage();
    void choiceThatCannotBeSavedIsReported();
};

void TestLanguage::everyTableControlFollowsTheLanguage()
{
    WindowRig rig;
    const TForm1 &form = *rig.form;

    // Each named control that exists is of a kind its row can set.
    int present = 0;
    for (const auto &[name, kind] : tableControls()) {
        QWidget *widget = control(form, name);
        if (!widget)
            continue;
        ++present;
        const QByteArray what = name.toUtf8();
        if (kind == TextKind::Caption)
            QVERIFY2(!qobject_cast<QComboBox *>(widget) && !captionOf(widget).isNull(), what);
        else if (kind != TextKind::AccessibleName)
            QVERIFY2(qobject_cast<QComboBox *>(widget), what);
    }
    QVERIFY(present >= 60);

    // Both languages give every control a text; item lists of both languages are parallel, of
    // trimmed, non-empty items, and nothing stays selected.
    QHash<QString, int> itemCount;
    for (int language : {0, 1, 0}) {
        rig.form->setLanguageIndex(language);
        for (const auto &[name, kind] : tableControls()) {
            QWidget *widget = control(form, name);
            if (!widget)
                continue;
            const QByteArray what = name.toUtf8() + " language " + QByteArray::number(language);
            if (kind == TextKind::AccessibleName) {
                QVERIFY2(!widget->accessibleName().isEmpty(), what);
            } else if (auto *box = qobject_cast<QComboBox *>(widget)) {
                QCOMPARE(box->currentIndex(), -1);
                QVERIFY2(box->count() >= 2, what);
                if (itemCount.contains(name))
                    QVERIFY2(itemCount[name] == box->count(), what);
                itemCount[name] = box->count();
                for (const QString &item : itemsOf(box))
                    QVERIFY2(!item.isEmpty() && item.trimmed() == item, what);
            } else {
                QVERIFY2(!captionOf(widget).isEmpty(), what);
            }
        }
    }

    // Applying is complete: a window switched back and forth shows exactly what a window shows
    // that only ever had the one language.
    for (int language : {0, 1}) {
        WindowRig fresh;
        fresh.form->setLanguageIndex(language);
        rig.form->setLanguageIndex(1 - language);
        rig.form->setLanguageIndex(language);
        QCOMPARE(shownTexts(*rig.form), shownTexts(*fresh.form));
    }
    QVERIFY(shownTexts(*rig.form) != [] {
        WindowRig german;
        german.form->setLanguageIndex(0);
        return shownTexts(*german.form);
    }());

    // Index -1 changes nothing.
    const QStringList before = shownTexts(form);
    rig.form->setLanguageIndex(-1);
    QCOMPARE(shownTexts(form), before);
}

void TestLanguage::sampleTexts_data()
{
    // Captions, or items joined by '|'. Representative rows of every group.
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("german");
    QTest::addColumn<QString>("english");
    const auto row = [](const char *name, const char *german, const char *english) {
        QTest::newRow(name) << QString::fromUtf8(name) << QString::fromUtf8(german)
                            << QString::fromUtf8(english);
    };
    row("Form1", "Konfigurationstool für Korvel433/868-xx-xx",
        "Configtool for Korvel433/868-xx-xx");
    row("RS232Einstellungen", "RS232-Einstellungen PC", "RS232-configurations PC");
    row("BtnTrennen", "trennen", "Disconnect");
    row("CheckBox_ComSave", "Einstellung beim Beenden speichern (erzeugt INI-File)",
        "Save configuration when close (generate INI-File)");
    row("Panel_keine_Verbindung2", "RS232 nicht verbunden!", "RS232 not connected!");
    row("BtnKonfigurieren", "konfigurieren", "Configurate");
    row("GBox_Save_konfig", "Konfiguration auf PC speichern", "Save configuration to PC");
    row("Modulinfo", "Modulinfo", "Module info");
    row("Label_Bef_Version", "Befehlssatz-Version", "Instruction set version");
    row("Konfig_B", "Konfiguration", "Configuration");
    row("Label_E_Config_baud_B", "baud", "Baud");
    row("Label_Code_B", "Datencodierung", "Data codeing");
    row("Label_K_breite_B", "Kanalbandbreite", "Channel bandwith");
    row("CBox_Recal_B", "aus|bei dT > 20°C|alle 5 bis 150 min.",
        "off|if dT > 20°C|every 5 to 150 min.");
    row("CBox_pwrup_mode_B4", "Pin 12 = Wakeuppin|Pin   9 = Wakeuppin",
        "Pin 12 = wakeuppin|Pin   9 = wakeuppin");
    row("CBox_pwrup_mode_B2", "Sleep nach PWR-up|Run nach PWR-up",
        "sleep after powerup|run after Powerup");
    row("Konfig_C", "Konfiguration", "Configuration");
    row("Label_Data_format_C", "Daten-Format", "Data format");
    row("CBox_pwrup_mode_C0", "Reset nach Wakeup|Continue nach Wakeup",
        "reset after wakeup|continue after wakeup");
    row("CBox_Data_C4", "ohne RSSI-RUHE|mit RSSI-RUHE", "without RSSI-Noise|with RSSI-Noise");
    row("Modultest", "Modultests", "Module tests");
    row("GBox_VCC", "Betriebsspannung", "Operating voltage");
    row("Label_sleep_5", "andere Pins", "Other Pins");
    row("Label_last_RSSI_MAX", "Letzte Auslesezeit:", "Last read time:");
    row("CBox_sleep_5", "Restliche Pins Output|Restliche Pins Normal",
        "Other pins output|Other pins normal");
    row("HF_Test", "HF-Tests", "Radio tests");
    row("GroupBox_HF_Test", "Träger senden", "Carrierout");
    row("CBox_RX_TX_Switch_Test", "nur TX|RX und TX", "Only TX|RX and TX");
    row("Label_RX_Time", "Dauer empfangen:", "Receive time:");
    row("BtnLinkControl_Clear", "Clear Statisik", "Clear statistics");
    row("BtnLinkControl_konfig", "Start Wizard", "Start wizard");
    row("CBoxLinkControl_Empf", "Empfindlichkeitsmessung", "Sensitivity measurement");
    row("LabelRCV_Quality", "Verbindungsqualität:", "Connection quality:");
    row("GroupBoxFrqConfig", "Frequenzeinstellung", "Frequency configuration");
    row("BtnMonitor_FrqClear", "FrqClear", "FrqClear");
    row("CBoxMonitor_noPeakReset", "Peakwert stehen lassen", "Don´t clear peak value");
    row("RadioGroupMessArt", "Messart", "Measurement mode");
    row("RButtonMonitor_momentan", "Momentanwert", "Instantaneous value");
}

void TestLanguage::sampleTexts()
{
    QFETCH(QString, name);
    QFETCH(QString, german);
    QFETCH(QString, english);
    WindowRig rig;
    QWidget *widget = control(*rig.form, name);
    QVERIFY2(widget, qPrintable(QStringLiteral("no control named ") + name));
    const auto shown = [widget] {
        if (auto *box = qobject_cast<QComboBox *>(widget))
            return itemsOf(box).join(QLatin1Char('|'));
        return captionOf(widget);
    };
    rig.form->setLanguageIndex(0);
    QCOMPARE(shown(), german);
    rig.form->setLanguageIndex(1);
    QCOMPARE(shown(), english);
    rig.form->setLanguageIndex(0);
    QCOMPARE(shown(), german);
}

void TestLanguage::placeholdersOfTheFiveChoiceBoxes()
{
    WindowRig rig;
    const char *boxes[] = {"CBox_sleep_0", "CBox_sleep_4", "CBox_sleep_5", "CBox_Mod_Test",
                           "CBox_RX_TX_Switch_Test"};
    rig.form->setLanguageIndex(1);
    for (const char *name : boxes) {
        QCOMPARE(rig.combo(name)->currentIndex(), -1);
        QCOMPARE(rig.combo(name)->placeholderText(), QStringLiteral("(choose)"));
    }
    // The German texts set no placeholder: back in German the boxes are empty.
    rig.form->setLanguageIndex(0);
    for (const char *name : boxes) {
        QCOMPARE(rig.combo(name)->currentIndex(), -1);
        QCOMPARE(rig.combo(name)->placeholderText(), QString());
    }
    // A disconnect clears the choices and shows "(wählen)".
    rig.connectModule();
    rig.button("BtnTrennen")->click();
    for (const char *name : boxes)
        QCOMPARE(rig.combo(name)->placeholderText(), QStringLiteral("(wählen)"));
    // A configuration box has no placeholder in either language.
    rig.form->setLanguageIndex(1);
    QCOMPARE(rig.combo("CBox_Recal_B")->placeholderText(), QString());
}

void TestLanguage::startLanguage_data()
{
    QTest::addColumn<QByteArray>("settingsFile"); // empty: none
    QTest::addColumn<QByteArray>("languageFile"); // empty: none
    QTest::addColumn<int>("index");               // -2: the system's language
    QTest::newRow("no files: the system's language") << QByteArray() << QByteArray() << -2;
    QTest::newRow("settings file only: the system's language")
        << QByteArray("-1\r\n2\r\n4\r\n") << QByteArray() << -2;
    QTest::newRow("remembered German without settings") << QByteArray() << QByteArray("0\r\n") << 0;
    QTest::newRow("remembered English without settings")
        << QByteArray() << QByteArray("1\r\n") << 1;
    QTest::newRow("remembered German with settings")
        << QByteArray("-1\r\n2\r\n4\r\n") << QByteArray("0\r\n") << 0;
    QTest::newRow("unreadable choice: the system's language")
        << QByteArray() << QByteArray("German\r\n") << -2;
    // A FIFO is not waited on: the start goes on at once.
    QTest::newRow("FIFO as the choice, with settings: the system's language")
        << QByteArray("-1\r\n2\r\n4\r\n") << QByteArray("FIFO") << -2;
}

void TestLanguage::startLanguage()
{
    QFETCH(QByteArray, settingsFile);
    QFETCH(QByteArray, languageFile);
    QFETCH(int, index);
    QTemporaryDir folder;
    if (!settingsFile.isEmpty())
        writeFile(folder.filePath(QStringLiteral("Korvel_ComSetting.ini")), settingsFile);
    const QString languagePath = folder.filePath(QStringLiteral("Korvel_Language.ini"));
    if (languageFile == "FIFO")
        QCOMPARE(::mkfifo(QFile::encodeName(languagePath).constData(), 0600), 0);
    else if (!languageFile.isEmpty())
        writeFile(languagePath, languageFile);
    WindowRig rig({}, folder.path());
    // The language chosen at start is no choice of the user's: it is not remembered.
    if (languageFile.isEmpty())
        QVERIFY(!QFile::exists(languagePath));

    const int expected = index == -2 ? systemLanguageIndex() : index;
    QCOMPARE(rig.form->languageIndex(), expected);
    QCOMPARE(rig.combo("CBoxLanguage")->currentIndex(), expected);
    QVERIFY(!rig.combo("CBoxLanguage")->isVisibleTo(rig.form.get()));
    QVERIFY(rig.button("BtnLanguage")->isVisibleTo(rig.form.get()));
    QCOMPARE(rig.form->windowTitle(), expected == 1
                                          ? QStringLiteral("Configtool for Korvel433/868-xx-xx")
                                          : QStringLiteral("Konfigurationstool für "
                                                           "Korvel433/868-xx-xx"));
    rig.choose("CBox_COM", QString());
    rig.button("BtnVerbinden")->click();
    QCOMPARE(rig.messages,
             QStringList{expected == 0 ? QStringLiteral("zuerst COM-Port und/oder Baudrate "
                                                        "wählen!")
                                       : QStringLiteral("Choose COM-port and/or baudrate "
                                                        "first!")});
}

void TestLanguage::switchWhileRunningKeepsSelections()
{
    EmulatorConfig config;
    config.type = 'B';
    WindowRig rig(config);
    rig.form->setLanguageIndex(0);
    rig.connectModule();
    QCOMPARE(rig.messages, QStringList());
    rig.choose("CBox_Recal_B", QStringLiteral("alle 5 bis 150 min."));
    rig.choose("CBox_pwrup_mode_B4", QStringLiteral("Pin   9 = Wakeuppin"));
    rig.choose("CBox_sleep_5", QStringLiteral("Restliche Pins Normal"));
    // A list that has grown since it was set does not get its old index back.
    rig.choose("CBox_pwr_cont_B1", QStringLiteral("HF halb"));
    const int channel = rig.combo("CBox_Frq_TX_B")->currentIndex();
    QVERIFY(channel >= 0);
    QSignalSpy changes(rig.combo("CBox_Recal_B"), &QComboBox::currentIndexChanged);

    chooseLanguageFromMenu(rig, 1);
    QCOMPARE(rig.form->languageIndex(), 1);
    QCOMPARE(rig.combo("CBoxLanguage")->currentIndex(), 1);
    QCOMPARE(rig.combo("CBox_Recal_B")->currentText(), QStringLiteral("every 5 to 150 min."));
    QCOMPARE(rig.combo("CBox_pwrup_mode_B4")->currentText(), QStringLiteral("Pin   9 = wakeuppin"));
    QCOMPARE(rig.combo("CBox_sleep_5")->currentText(), QStringLiteral("Other pins normal"));
    QCOMPARE(rig.combo("CBox_sleep_0")->placeholderText(), QStringLiteral("(choose)"));
    QCOMPARE(rig.combo("CBox_sleep_0")->currentIndex(), -1);
    QCOMPARE(rig.combo("CBox_pwr_cont_B1")->currentIndex(), -1);
    QCOMPARE(rig.combo("CBox_Frq_TX_B")->currentIndex(), channel);
    QVERIFY(!rig.find<QLineEdit>("Edit_Recal_B")->isHidden());
    QCOMPARE(changes.count(), 0); // the program's own change is no user choice
    QCOMPARE(captionOf(rig.button("BtnTrennen")), QStringLiteral("Disconnect"));

    // Back to German, and the choice is kept for the next start; the settings file keeps its
    // three lines.
    chooseLanguageFromMenu(rig, 0);
    QCOMPARE(rig.combo("CBox_Recal_B")->currentText(), QStringLiteral("alle 5 bis 150 min."));
    QCOMPARE(rig.combo("CBox_sleep_5")->currentText(), QStringLiteral("Restliche Pins Normal"));
    QCOMPARE(rig.messages, QStringList());
    const QString languageFile = rig.programFolder + QStringLiteral("/Korvel_Language.ini");
    QCOMPARE(readFile(languageFile), QByteArray("0\r\n"));
    chooseLanguageFromMenu(rig, 1);
    QCOMPARE(readFile(languageFile), QByteArray("1\r\n"));
    rig.button("BtnTrennen")->click();
    rig.find<QCheckBox>("CheckBox_ComSave")->setChecked(true);
    rig.form->close();
    QCOMPARE(readFile(rig.programFolder + QStringLiteral("/Korvel_ComSetting.ini")),
             QByteArray("-1\r\n2\r\n4\r\nCOM3\r\n"));

    WindowRig next({}, rig.programFolder);
    QCOMPARE(next.form->languageIndex(), 1);
    QCOMPARE(captionOf(next.button("BtnVerbinden")), QStringLiteral("Connect"));
}

void TestLanguage::standardButtonsFollowTheLanguage()
{
    WindowRig rig;
    const auto yesText = [] {
        QMessageBox box;
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        return box.button(QMessageBox::Yes)->text().remove(QLatin1Char('&'));
    };
    chooseLanguageFromMenu(rig, 0);
    QCOMPARE(yesText(), QStringLiteral("Ja"));
    chooseLanguageFromMenu(rig, 1);
    QCOMPARE(yesText(), QStringLiteral("Yes"));
    rig.form->setLanguageIndex(0);
    QCOMPARE(yesText(), QStringLiteral("Ja"));
    rig.form->setLanguageIndex(1);
}

void TestLanguage::choiceThatCannotBeSavedIsReported()
{
    WindowRig rig;
    rig.form->setLanguageIndex(0);
    // Something that is no file stands where the choice goes: it is left alone, and the user
    // learns why the choice was not kept.
    QVERIFY(QDir(rig.programFolder).mkdir(QStringLiteral("Korvel_Language.ini")));
    chooseLanguageFromMenu(rig, 1);
    QCOMPARE(rig.form->languageIndex(), 1);
    QCOMPARE(rig.messages.size(), 1);
    const QStringList lines = rig.messages.first().split(QStringLiteral("\r\n"));
    QCOMPARE(lines.size(), 2);
    QCOMPARE(lines[0], QStringLiteral("Could not save the language choice!"));
    QVERIFY2(lines[1].endsWith(QLatin1String("not a regular file")), qPrintable(lines[1]));
    QVERIFY(QFileInfo(rig.programFolder + QStringLiteral("/Korvel_Language.ini")).isDir());
}

QTEST_MAIN(TestLanguage)
#include "tst_language.moc"
