#include "support_window.h"

#include <QAccessible>
#include <QApplication>
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

} // namespace

// The keyboard in the main window: page keys wherever the focus is.
class TestKeyboard : public QObject
{
    Q_OBJECT
private slots:
    void pageKeysTurnThePageAndNoValue_data();
    void pageKeysTurnThePageAndNoValue();
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

QTEST_MAIN(TestKeyboard)
#include "tst_keyboard.moc"
