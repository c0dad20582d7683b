// The window on a Wayland compositor, which places every window itself and tells no window where:
// a headless weston of the test's own, whose account of its scene (weston-debug) says where the
// window and its dialogs really are. The window, connected to the in-process emulator, must stay
// whole in the screen's work area (the screen without weston's panel) on every page with the
// debug window open, and every dialog must be a transient child of the window, shown over it.
#include "gui/support_window.h"
#include "support_weston.h"

#include "widgets/yieldingcolumn.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QGroupBox>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QScreen>
#include <QScrollBar>
#include <QTabWidget>
#include <QTimer>
#include <QWindow>

#include <memory>

namespace
{

constexpr QSize kScreen(1366, 768);
constexpr int kShownTimeoutMs = 10000;

Weston *weston = nullptr;
QString westonFailure;

QString describe(const QRect &r)
{
    return QStringLiteral("(%1, %2) %3 x %4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

// The compositor's view of a window of this process, once it shows the window at the size it
// has now; an empty view when it does not within the time.
SceneView shownView(const QWidget *window, Scene *scene = nullptr)
{
    SceneView found;
    const bool shown = QTest::qWaitFor(
        [&] {
            const Scene now = weston->scene();
            for (const SceneView &view : now.toplevels(QCoreApplication::applicationPid())) {
                if (view.title == window->windowTitle() &&
                    view.rect.size() == window->frameGeometry().size()) {
                    found = view;
                    if (scene)
                        *scene = now;
                    return true;
                }
            }
            return false;
        },
        kShownTimeoutMs);
    return shown ? found : SceneView();
}

// The window whole in the work area, as the compositor shows it.
bool isWhollyShown(const QWidget *window, const QString &when)
{
    Scene scene;
    const SceneView view = shownView(window, &scene);
    if (view.rect.isNull()) {
        qWarning("%s: weston does not show the window at its size %dx%d", qPrintable(when),
                 window->frameGeometry().width(), window->frameGeometry().height());
        return false;
    }
    if (scene.workArea().contains(view.rect))
        return true;
    qWarning("%s: the window at %s leaves the work area %s", qPrintable(when),
             qPrintable(describe(view.rect)), qPrintable(describe(scene.workArea())));
    return false;
}

// Until the compositor has shown what the window painted last, for a screenshot: the frame
// that the window asks for comes once the compositor has presented the one before.
void waitForPresented(QWidget *window)
{
    struct FrameWatch : QObject {
        bool presented = false;
        bool eventFilter(QObject *, QEvent *event) override
        {
            presented = presented || event->type() == QEvent::UpdateRequest;
            return false;
        }
    } watch;
    window->repaint();
    window->windowHandle()->installEventFilter(&watch);
    window->windowHandle()->requestUpdate();
    if (!QTest::qWaitFor([&] { return watch.presented; }, kShownTimeoutMs))
        qWarning("weston presented no new frame of the window");
    window->windowHandle()->removeEventFilter(&watch);
}

// Every dialog that opens while it watches: its transient parent, and where the compositor shows
// it. Then it closes the dialog with No or Cancel.
class DialogWatch : public QObject
{
public:
    struct Seen {
        QString name;
        QString title;
        bool childOfWindow = false;
        bool shown = false;
    };

    explicit DialogWatch(QWidget *window) : m_window(window) { qApp->installEventFilter(this); }
    ~DialogWatch() override { qApp->removeEventFilter(this); }

    QList<Seen> seen;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        auto *dialog = qobject_cast<QDialog *>(watched);
        if (event->type() == QEvent::Show && dialog && dialog->isWindow())
            QTimer::singleShot(0, this, [this, dialog = QPointer<QDialog>(dialog)] {
                if (dialog)
                    inspect(dialog);
            });
        return false;
    }

private:
    void inspect(QDialog *dialog)
    {
        Seen s;
        s.name = dialog->objectName().isEmpty()
                     ? QString::fromLatin1(dialog->metaObject()->className())
                     : dialog->objectName();
        s.title = dialog->windowTitle();
        const QWindow *handle = dialog->windowHandle();
        s.childOfWindow = handle && handle->transientParent() == m_window->windowHandle();
        s.shown = !shownView(dialog).rect.isNull();
        seen << s;
        auto *box = qobject_cast<QMessageBox *>(dialog);
        if (box && box->button(QMessageBox::No))
            box->button(QMessageBox::No)->click();
        else
            dialog->reject();
    }

    QWidget *m_window;
};

} // namespace

class TestWayland : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void debugWindowStaysOnScreen();
    void dialogsOpenOverTheWindow();
};

void TestWayland::initTestCase()
{
    if (!Weston::installed())
        QSKIP("weston is not installed: this test runs the window on a headless weston "
              "(apt-get install weston qt6-wayland)");
    if (!westonFailure.isEmpty())
        QFAIL(qPrintable(westonFailure));
    QCOMPARE(QGuiApplication::platformName(), QStringLiteral("wayland"));
    // The shell's panel comes up after weston itself; weston places windows beside it only once
    // it is there.
    QVERIFY(QTest::qWaitFor([] { return weston->scene().hasPanel(); }, kShownTimeoutMs));
}

void TestWayland::debugWindowStaysOnScreen()
{
    WindowRig rig;
    TForm1 &form = *rig.form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QVERIFY(isWhollyShown(&form, QStringLiteral("shown")));
    rig.connectModule();
    QTRY_VERIFY(rig.tabVisible("Monitor"));
    const QSize placed = form.frameGeometry().size();

    auto *debug = rig.find<QGroupBox>("GBox_Debugfenster");
    rig.button("BtnDebugfenster")->click();
    QVERIFY(debug->isVisible());
    // Wherever the compositor put the window, a wider one could leave the screen: the debug
    // window takes its room inside, at its full width.
    QCOMPARE(form.frameGeometry().size(), placed);
    QCOMPARE(debug->width(), TForm1::kWideWidth - TForm1::kNarrowWidth - TForm1::kWindowMargin);
    QVERIFY(form.rect().contains(QRect(debug->mapTo(&form, QPoint(0, 0)), debug->size())));
    QVERIFY(!rig.find<QPlainTextEdit>("MemoTX")->toPlainText().isEmpty());
    QVERIFY(!rig.find<QPlainTextEdit>("MemoRX")->toPlainText().isEmpty());

    // The pages give the room and scroll sideways.
    auto *column = form.findChild<YieldingColumn *>();
    QVERIFY(column);
    QCOMPARE(column->yield(), debug->width() + TForm1::kWindowMargin);

    auto *tabs = rig.find<QTabWidget>("PageControl1");
    for (int i = 0; i < tabs->count(); ++i) {
        if (!tabs->isTabVisible(i))
            continue;
        tabs->setCurrentIndex(i);
        QCOMPARE(form.frameGeometry().size(), placed);
        QVERIFY(
            isWhollyShown(&form, tabs->widget(i)->objectName() + QStringLiteral(" with debug")));
    }
    // The other language's texts have other widths; the window keeps its own.
    rig.choose("CBoxLanguage",
               form.languageIndex() == 0 ? QStringLiteral("English") : QStringLiteral("Deutsch"));
    QCOMPARE(form.frameGeometry().size(), placed);
    QVERIFY(isWhollyShown(&form, QStringLiteral("other language with debug")));

    const QString shots = qEnvironmentVariable("KORVEL_SHOT_DIR");
    if (!shots.isEmpty()) {
        tabs->setCurrentIndex(0);
        waitForPresented(&form);
        if (!weston->screenshot(shots + QStringLiteral("/wayland-debug.png")))
            qWarning("weston-screenshooter took no screenshot");
        form.grab().save(shots + QStringLiteral("/wayland-debug-window.png"));
    }

    rig.button("BtnClose")->click();
    QVERIFY(!debug->isVisible());
    QCOMPARE(column->yield(), 0);
    QVERIFY(isWhollyShown(&form, QStringLiteral("debug closed")));
}

void TestWayland::dialogsOpenOverTheWindow()
{
    // What the window tells the compositor, from before it shows.
    QTemporaryDir logFolder;
    const QString logPath = logFolder.filePath(QStringLiteral("proto.log"));
    std::unique_ptr<QProcess> protocol = weston->follow(QStringLiteral("proto"), logPath);
    WindowRig rig;
    TForm1 &form = *rig.form;
    rig.form->setLanguageIndex(1);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QVERIFY(isWhollyShown(&form, QStringLiteral("shown")));
    // The real boxes, not the recorded texts.
    Messages::setPresenterForTest({});
    auto watch = std::make_unique<DialogWatch>(&form);

    rig.button("BtnVerbinden")->click(); // no port chosen
    rig.button("BtnInfo")->click();
    rig.choose("CBox_COM", QStringLiteral("DEMO"));
    rig.choose("CBox_RS232_baud", QStringLiteral("19200"));
    rig.button("BtnVerbinden")->click(); // "Demo for C-Version?"
    rig.button("BtnTrennen")->click();
    rig.connectModule();
    QTRY_VERIFY(rig.tabVisible("HF_Test"));
    rig.choose("CBox_COM", QStringLiteral("COM4")); // "Disconnect first!"
    auto *tabs = rig.find<QTabWidget>("PageControl1");
    tabs->setCurrentWidget(rig.find<QWidget>("HF_Test"));
    rig.find<QCheckBox>("CBoxLinkControl_Empf")->click();
    rig.button("BtnLinkControl_konfig")->click(); // the wizard asks first
    rig.button("BtnLinkControl_Export")->click();
    QTRY_COMPARE(watch->seen.size(), 7);
    tabs->setCurrentWidget(rig.find<QWidget>("Monitor"));
    rig.button("BtnMonitor_FrqSet")->click();
    QCOMPARE(watch->seen.size(), 8);

    protocol->terminate();
    QVERIFY(protocol->waitForFinished());

    QFile log(logPath);
    QVERIFY(log.open(QIODevice::ReadOnly));
    const QList<AnnouncedToplevel> toplevels = parseToplevels(QString::fromUtf8(log.readAll()));
    const auto window = std::find_if(toplevels.crbegin(), toplevels.crend(),
                                     [&](const auto &t) { return t.title == form.windowTitle(); });
    QVERIFY2(window != toplevels.crend(), "the window never announced its title");
    QStringList names;
    for (const DialogWatch::Seen &s : watch->seen) {
        names << s.name;
        QVERIFY2(s.childOfWindow, qPrintable(s.name + QStringLiteral(": not the window's child")));
        QVERIFY2(s.shown, qPrintable(s.name + QStringLiteral(": weston does not show it")));
    }
    QCOMPARE(names, QStringList({"QMessageBox", "AboutBox", "QMessageBox", "QMessageBox",
                                 "PasswordDlg", "QMessageBox", "QFileDialog", "Dlg_frq"}));
    // Every other top-level window of the program is the window's transient child to the
    // compositor, which places it by that.
    int dialogs = 0;
    for (const AnnouncedToplevel &t : toplevels) {
        if (t.client != window->client || t.id == window->id)
            continue;
        ++dialogs;
        QVERIFY2(
            t.parent == window->id,
            qPrintable(QStringLiteral("\"%1\" is no transient child of the window").arg(t.title)));
    }
    QCOMPARE(dialogs, watch->seen.size());
}

int main(int argc, char **argv)
{
    // The compositor first, so that the application connects to it; it ends after the
    // application has left it.
    std::unique_ptr<Weston> compositor;
    if (Weston::installed()) {
        compositor = std::make_unique<Weston>();
        if (compositor->start(kScreen.width(), kScreen.height(), &westonFailure)) {
            weston = compositor.get();
            qputenv("QT_QPA_PLATFORM", "wayland");
            qputenv("XDG_RUNTIME_DIR", QFile::encodeName(compositor->runtimeDir()));
            qputenv("WAYLAND_DISPLAY", compositor->socketName().toUtf8());
        }
    }
    int status = 0;
    {
        QApplication app(argc, argv);
        TestWayland test;
        status = QTest::qExec(&test, argc, argv);
    }
    return status;
}

#include "tst_wayland.moc"
