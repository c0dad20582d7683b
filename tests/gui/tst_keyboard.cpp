#include "support_window.h"

#include <QAccessible>
#include <QApplication>
#include <QGroupBox>
#include <QKeySequence>
#include <QScrollArea>
#include <QScrollBar>
#include <QTabWidget>

#include <qpa/qwindowsysteminterface.h>

namespace
{

// A key as the keyboard sends it: through the window system's queue, where the window's
// shortcuts see it before the focused control does.
void queueKey(QWidget *window, int key, int modifiers = Qt::NoModifier)
{
    for (const QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease})
        QWindowSystemInterface::handleKeyEvent(window->windowHandle(), type, key,
                                               Qt::KeyboardModifiers(modifiers));
    QCoreApplication::processEvents();
}

bool showActive(QWidget *window)
{
    window->show();
    window->activateWindow();
    return QTest::qWaitFor([window] { return window->isActiveWindow(); });
}

// What a screen reader says of a control: its name (a caption as shown) or its value.
QString spoken(QWidget *w, QAccessible::Text what)
{
    return QAccessible::queryAccessibleInterface(w)->text(what);
}

// The stops of the Tab cycle from start back to it; faults: stops that a screen reader does not
// name as a control (a "Client" is read as "filler") or that are out of sight with the focus.
QList<QWidget *> walkCycle(QWidget *window, QWidget *start, int key, QStringList &faults)
{
    QList<QWidget *> stops;
    start->setFocus();
    for (QWidget *at = start; at && stops.size() < 200; at = QApplication::focusWidget()) {
        if (at == start && !stops.isEmpty())
            return stops;
        stops << at;
        const QAccessible::Role role = QAccessible::queryAccessibleInterface(at)->role();
        if (role == QAccessible::Client || role == QAccessible::Pane ||
            role == QAccessible::Grouping || at->visibleRegion().isEmpty())
            faults << at->metaObject()->className() + (QLatin1Char(' ') + at->objectName());
        queueKey(window, key);
    }
    faults << QStringLiteral("the cycle does not come back");
    return stops;
}

} // namespace

// The keyboard in the main window: page keys wherever the focus is, the Tab cycle of each page,
// the main buttons' mnemonics and connecting by key.
class TestKeyboard : public QObject
{
    Q_OBJECT
private slots:
    void pageKeysTurnThePageAndNoValue_data();
    void pageKeysTurnThePageAndNoValue();
    void tabCycleFollowsThePage_data();
    void tabCycleFollowsThePage();
    void mainButtonsHaveMnemonicsOfTheirOwn_data();
    void mainButtonsHaveMnemonicsOfTheirOwn();
    void connectingByKeyKeepsTheTypedRate_data();
    void connectingByKeyKeepsTheTypedRate();
};

void TestKeyboard::pageKeysTurnThePageAndNoValue_data()
{
    // A C module shows Modulinfo, Konfig_C, Modultest, HF_Test and Monitor.
    QTest::addColumn<QString>("control");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QString>("page");
    const int ctrl = Qt::ControlModifier;
    const int down = Qt::Key_PageDown;
    const int up = Qt::Key_PageUp;
    QTest::newRow("combo box, Ctrl+PgDn") << "CBox_Frq_RX_C" << down << ctrl << "Modultest";
    QTest::newRow("combo box, Ctrl+PgUp") << "CBox_Frq_RX_C" << up << ctrl << "Modulinfo";
    QTest::newRow("combo box, Ctrl+Tab")
        << "CBox_Frq_RX_C" << int(Qt::Key_Tab) << ctrl << "Modultest";
    QTest::newRow("combo box, Ctrl+Shift+Tab")
        << "CBox_Frq_RX_C" << int(Qt::Key_Backtab) << int(ctrl | Qt::ShiftModifier) << "Modulinfo";
    QTest::newRow("baud selector") << "CBox_RS232_baud" << down << ctrl << "Konfig_C";
    QTest::newRow("edit field") << "EditLinkControl_Interval" << up << ctrl << "Modultest";
    QTest::newRow("track bar") << "TBarMonitor_Tempo" << down << ctrl << "Modulinfo";
}

void TestKeyboard::pageKeysTurnThePageAndNoValue()
{
    QFETCH(QString, control);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(QString, page);
    WindowRig rig;
    rig.connectModule();
    QVERIFY(showActive(rig.form.get()));
    auto *tabs = rig.find<QTabWidget>("PageControl1");
    QWidget *focused = rig.find<QWidget>(control.toLatin1().constData());
    for (int i = tabs->count() - 1; i >= 0; --i) {
        if (i == 0 || tabs->widget(i)->isAncestorOf(focused)) {
            tabs->setCurrentIndex(i);
            break;
        }
    }
    focused->setFocus();
    const QString value = spoken(focused, QAccessible::Value);
    QVERIFY(!value.isEmpty());

    queueKey(rig.form.get(), key, modifiers);
    QCOMPARE(tabs->currentWidget()->objectName(), page);
    QCOMPARE(spoken(focused, QAccessible::Value), value);
    QCOMPARE(rig.messages, QStringList());
}

void TestKeyboard::tabCycleFollowsThePage_data()
{
    QTest::addColumn<int>("language");
    QTest::addColumn<char>("module");
    QTest::newRow("German, C module") << 0 << 'C';
    QTest::newRow("English, B module") << 1 << 'B';
}

void TestKeyboard::tabCycleFollowsThePage()
{
    QFETCH(int, language);
    QFETCH(char, module);
    EmulatorConfig config;
    config.type = module;
    WindowRig rig(config);
    rig.form->setLanguageIndex(language);
    rig.connectModule();
    rig.button("BtnDebugfenster")->click();
    QWidget *window = rig.form.get();
    QVERIFY(showActive(window));
    auto *tabs = rig.find<QTabWidget>("PageControl1");
    for (int p = 0; p < tabs->count(); ++p) {
        if (!tabs->isTabVisible(p))
            continue;
        tabs->setCurrentIndex(p);
        QWidget *page = tabs->widget(p);
        QStringList faults;
        const QList<QWidget *> stops =
            walkCycle(window, rig.combo("CBox_COM"), Qt::Key_Tab, faults);
        // Shift+Tab goes the same way back, into the page from below while it shows its top.
        page->findChild<QScrollArea *>()->verticalScrollBar()->setValue(0);
        QList<QWidget *> back = walkCycle(window, rig.combo("CBox_COM"), Qt::Key_Backtab, faults);
        std::reverse(back.begin() + 1, back.end());
        QVERIFY2(faults.isEmpty(), qPrintable(page->objectName() + faults.join(", ")));
        QCOMPARE(back, stops);

        // Each step goes on to the right or downwards, never back up and to the left: compared
        // between the two controls' groups in the group that holds both.
        qsizetype lastField = -1;
        for (qsizetype i = 1; i < stops.size(); ++i) {
            QWidget *a = stops[i - 1];
            QWidget *b = stops[i];
            while (!a->parentWidget()->isAncestorOf(stops[i]))
                a = a->parentWidget();
            while (b->parentWidget() != a->parentWidget())
                b = b->parentWidget();
            const bool backwards =
                b->y() < a->geometry().center().y() && b->x() < a->geometry().center().x();
            QVERIFY2(!backwards,
                     qPrintable(page->objectName() + QStringLiteral(": ") +
                                stops[i - 1]->objectName() + " -> " + stops[i]->objectName()));
            lastField = page->isAncestorOf(stops[i]) ? i : lastField;
        }
        // The buttons below the pages come after the page's fields.
        QVERIFY(lastField > 0);
        for (const char *below : {"BtnAuslesen", "BtnKonfigurieren", "BtnSave"})
            QVERIFY(stops.indexOf(rig.button(below)) < 0 ||
                    stops.indexOf(rig.button(below)) > lastField);
    }
}

void TestKeyboard::mainButtonsHaveMnemonicsOfTheirOwn_data()
{
    // The main buttons' captions as the user sees them, and Alt with the letter for Debug.
    QTest::addColumn<int>("language");
    QTest::addColumn<QString>("captions");
    QTest::addColumn<int>("debugKey");
    QTest::newRow("German") << 0
                            << "verbinden|trennen|Info|Debug|auslesen|konfigurieren|speichern|"
                               "laden|clear|close|Sprache / Language"
                            << int(Qt::Key_D);
    QTest::newRow("English") << 1
                             << "Connect|Disconnect|Info|Debug|Read|Configurate|Save|Load|clear|"
                                "close|Sprache / Language"
                             << int(Qt::Key_B);
}

void TestKeyboard::mainButtonsHaveMnemonicsOfTheirOwn()
{
    QFETCH(int, language);
    QFETCH(QString, captions);
    QFETCH(int, debugKey);
    WindowRig rig;
    rig.form->setLanguageIndex(language);
    rig.connectModule();
    rig.button("BtnDebugfenster")->click();
    QVERIFY(showActive(rig.form.get()));
    const char *main[] = {"BtnVerbinden", "BtnTrennen",       "BtnInfo",    "BtnDebugfenster",
                          "BtnAuslesen",  "BtnKonfigurieren", "BtnSave",    "BtnLoad",
                          "BtnClear",     "BtnClose",         "BtnLanguage"};
    for (std::size_t i = 0; i < std::size(main); ++i)
        QCOMPARE(spoken(rig.button(main[i]), QAccessible::Name),
                 captions.split(QLatin1Char('|')).at(qsizetype(i)));

    auto *tabs = rig.find<QTabWidget>("PageControl1");
    for (int p = 0; p < tabs->count(); ++p) {
        if (!tabs->isTabVisible(p))
            continue;
        tabs->setCurrentIndex(p);
        QMap<QString, QString> pressedBy; // Alt+letter: the button it presses
        for (QAbstractButton *button : rig.form->findChildren<QAbstractButton *>()) {
            const QString keys = QKeySequence::mnemonic(button->text()).toString();
            if (!button->isVisible() || button->window() != rig.form.get() || keys.isEmpty())
                continue;
            QVERIFY2(!pressedBy.contains(keys), qPrintable(pressedBy[keys] + " and " + keys));
            pressedBy[keys] = button->objectName();
        }
        for (const char *name : main)
            QVERIFY2(!rig.button(name)->isVisible() || pressedBy.values().contains(name), name);
    }

    auto *debug = rig.find<QGroupBox>("GBox_Debugfenster");
    QVERIFY(debug->isVisible());
    queueKey(rig.form.get(), debugKey, Qt::AltModifier);
    QTRY_VERIFY(debug->isHidden()); // Qt shows the button pressed for a moment first
}

void TestKeyboard::connectingByKeyKeepsTheTypedRate_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::newRow("Return in the field") << int(Qt::Key_Return) << int(Qt::NoModifier);
    QTest::newRow("Alt+V") << int(Qt::Key_V) << int(Qt::AltModifier);
}

void TestKeyboard::connectingByKeyKeepsTheTypedRate()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    WindowRig rig;
    rig.form->setLanguageIndex(0);
    QVERIFY(showActive(rig.form.get()));
    rig.choose("CBox_COM", QStringLiteral("DEMO"));
    QComboBox *baud = rig.combo("CBox_RS232_baud");
    baud->setFocus();
    QTest::keyClicks(baud->lineEdit(), QStringLiteral("9600"));

    queueKey(rig.form.get(), key, modifiers);
    QTRY_VERIFY(rig.button("BtnTrennen")->isEnabled());
    // The user goes on elsewhere; the typed rate is no late choice, refused while connected.
    rig.button("BtnInfo")->setFocus();
    QCOMPARE(rig.messages, QStringList{QStringLiteral("Demo für C-Version starten?")});
    QCOMPARE(baud->currentText(), QStringLiteral("9600"));
    QCOMPARE(rig.form->port().baudRate(), 9600);
}

QTEST_MAIN(TestKeyboard)
#include "tst_keyboard.moc"
