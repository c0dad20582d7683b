#include "support_queuedinput.h"
#include "support_window.h"

#include "link/linewait.h"
#include "window/aboutbox.h"
#include "window/appidentity.h"

#include <QCheckBox>
#include <QCursor>
#include <QGroupBox>
#include <QGuiApplication>
#include <QSignalSpy>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QWheelEvent>

#include <optional>

namespace
{

// The pointer shape the application shows over its windows, or nothing when no operation has
// set one.
std::optional<Qt::CursorShape> pointerShape()
{
    const QCursor *cursor = QGuiApplication::overrideCursor();
    return cursor ? std::optional<Qt::CursorShape>(cursor->shape()) : std::nullopt;
}

// Every answer of the module is lost from now on.
EmulatorFault silentForever()
{
    EmulatorFault fault;
    fault.kind = FaultKind::Silent;
    fault.count = -1;
    return fault;
}

} // namespace

// How the window behaves around the module pages: keys and gestures, titles and icon, the busy
// pointer, and painting while an exchange waits.
class TestWindowBehaviour : public QObject
{
    Q_OBJECT
private slots:
    void pageKeysSkipHiddenPages_data();
    void pageKeysSkipHiddenPages();
    void returnInTheConnectionGroupConnects();
    void titlesAreTheCaptionsAndTheIconIsThePackages();
    void busyPointerDuringOperations_data();
    void busyPointerDuringOperations();
    void windowPaintsWhileASilentModuleIsRetriedButTakesNoInput();
    void portPulledDuringAReadOutIsReportedOnceAfterIt();
};

void TestWindowBehaviour::pageKeysSkipHiddenPages_data()
{
    // A C module shows Modulinfo (0), Konfig_C (2), Modultest (3), HF_Test (4), Monitor (5);
    // the B page (1) stays hidden.
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("key"); // 0: the wheel turned down on the tab bar
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<bool>("onTabBar");
    QTest::addColumn<int>("to");
    const int ctrl = Qt::ControlModifier;
    QTest::newRow("Ctrl+Tab from Modulinfo") << 0 << int(Qt::Key_Tab) << ctrl << false << 2;
    QTest::newRow("Ctrl+Shift+Tab from Konfig_C")
        << 2 << int(Qt::Key_Tab) << int(ctrl | Qt::ShiftModifier) << false << 0;
    QTest::newRow("Ctrl+Backtab from Konfig_C") << 2 << int(Qt::Key_Backtab) << ctrl << false << 0;
    QTest::newRow("Ctrl+PgDown from Modulinfo") << 0 << int(Qt::Key_PageDown) << ctrl << false << 2;
    QTest::newRow("Ctrl+PgUp from Konfig_C") << 2 << int(Qt::Key_PageUp) << ctrl << false << 0;
    QTest::newRow("Ctrl+PgUp from Modulinfo wraps")
        << 0 << int(Qt::Key_PageUp) << ctrl << false << 5;
    QTest::newRow("Ctrl+Tab from Monitor wraps") << 5 << int(Qt::Key_Tab) << ctrl << false << 0;
    QTest::newRow("right arrow on the tabs") << 0 << int(Qt::Key_Right) << 0 << true << 2;
    QTest::newRow("left arrow on the tabs") << 2 << int(Qt::Key_Left) << 0 << true << 0;
    QTest::newRow("wheel on the tabs") << 0 << 0 << 0 << true << 2;
}

void TestWindowBehaviour::pageKeysSkipHiddenPages()
{
    QFETCH(int, from);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(bool, onTabBar);
    QFETCH(int, to);
    WindowRig rig;
    rig.connectModule();
    // Keys reach the window that is active.
    rig.form->show();
    rig.form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(rig.form.get()));
    QVERIFY(!rig.tabVisible("Konfig_B"));
    auto *tabs = rig.find<QTabWidget>("PageControl1");
    tabs->setCurrentIndex(from);
    QSignalSpy changes(tabs, &QTabWidget::currentChanged);

    QWidget *target = onTabBar ? static_cast<QWidget *>(tabs->tabBar()) : tabs->widget(from);
    if (key == 0) {
        const QPointF at = target->rect().center();
        QWheelEvent wheel(at, target->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(target, &wheel);
    } else {
        QTest::keyClick(target, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    }

    QCOMPARE(tabs->currentIndex(), to);
    for (const QList<QVariant> &change : changes)
        QVERIFY2(change.at(0).toInt() != 1, "the hidden B page became current");
    // The buttons below the pages follow the page that is shown.
    const bool config = tabs->widget(to) == rig.find<QWidget>("Konfig_C");
    QCOMPARE(rig.button("BtnKonfigurieren")->isVisibleTo(rig.form.get()), config);
}

void TestWindowBehaviour::returnInTheConnectionGroupConnects()
{
    WindowRig rig;
    rig.choose("CBox_COM", QStringLiteral("COM3"));
    rig.choose("CBox_RS232_baud", QStringLiteral("19200"));
    QTest::keyClick(rig.combo("CBox_COM"), Qt::Key_Return);
    QVERIFY(rig.button("BtnTrennen")->isEnabled());
    QCOMPARE(rig.text("Edit_Caldata"), QStringLiteral("OK"));
    QVERIFY(rig.tabVisible("Konfig_C"));
    // Connected, the connect button is disabled: Return does nothing more.
    const int frames = int(rig.device->frames().size());
    QTest::keyClick(rig.combo("CBox_RS232_baud"), Qt::Key_Enter);
    QTest::keyClick(rig.find<QCheckBox>("CheckBox_ComSave"), Qt::Key_Return);
    QCOMPARE(int(rig.device->frames().size()), frames);
    QVERIFY(rig.messages.isEmpty());
    // The typed text is no new item of the list.
    QCOMPARE(rig.combo("CBox_COM")->findText(QStringLiteral("COM3")), 2);
    QCOMPARE(rig.combo("CBox_COM")->count(), 4);
}

void TestWindowBehaviour::titlesAreTheCaptionsAndTheIconIsThePackages()
{
    setUpApplicationIdentity();
    // The window system appends the display name to every title once one is set.
    QCOMPARE(QGuiApplication::applicationDisplayName(), QGuiApplication::applicationName());
    QCOMPARE(QGuiApplication::desktopFileName(), QStringLiteral("korvel-config"));
    const QIcon icon = QGuiApplication::windowIcon();
    for (int size : {16, 32, 48, 64, 128, 256}) {
        QVERIFY2(icon.availableSizes().contains(QSize(size, size)),
                 qPrintable(QString::number(size)));
        QCOMPARE(icon.pixmap(size).size(), QSize(size, size));
    }

    WindowRig rig;
    rig.form->setLanguageIndex(0);
    rig.form->show();
    QVERIFY(QTest::qWaitForWindowExposed(rig.form.get()));
    QCOMPARE(rig.form->windowTitle(), QStringLiteral("Konfigurationstool für Korvel433/868-xx-xx"));
    QCOMPARE(rig.form->windowHandle()->title(), rig.form->windowTitle());
    QCOMPARE(rig.form->windowIcon().cacheKey(), icon.cacheKey());
    auto *about = rig.form->findChild<TAboutBox *>();
    QVERIFY(about);
    about->fillTexts(0);
    QCOMPARE(about->windowTitle(), QStringLiteral("Infos zu Korvel-Config Version 2.1"));
}

void TestWindowBehaviour::busyPointerDuringOperations_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<bool>("fails");
    QTest::newRow("read-out") << "read-out" << false;
    QTest::newRow("read-out of a silent module") << "silent read-out" << true;
    QTest::newRow("configuration write") << "write" << false;
    QTest::newRow("temperature") << "temperature" << false;
    QTest::newRow("connect to a port that cannot be opened") << "unopenable" << true;
}

void TestWindowBehaviour::busyPointerDuringOperations()
{
    QFETCH(QString, operation);
    QFETCH(bool, fails);
    WindowRig rig;
    if (operation == QLatin1String("unopenable"))
        rig.device->setMissingPorts({QStringLiteral("COM3")});
    else
        rig.connectModule();
    QCOMPARE(pointerShape(), std::nullopt);

    // The pointer as the module sees each frame, and as the user sees each message box.
    QList<std::optional<Qt::CursorShape>> atFrames;
    QList<std::optional<Qt::CursorShape>> atMessages;
    rig.device->emulator().setLogCallback([&atFrames](const EmulatorLogEntry &entry) {
        if (entry.kind == EmulatorLogEntry::Frame)
            atFrames << pointerShape();
    });
    Messages::setPresenterForTest([&](Messages::Kind, const QString &text) {
        rig.messages << text;
        atMessages << pointerShape();
        return true;
    });
    if (operation == QLatin1String("silent read-out"))
        rig.device->emulator().injectFault(silentForever());

    if (operation == QLatin1String("unopenable"))
        rig.connectModule();
    else if (operation == QLatin1String("temperature"))
        rig.button("BtnTemp")->click();
    else if (operation == QLatin1String("write"))
        rig.button("BtnKonfigurieren")->click();
    else
        rig.button("BtnAuslesen")->click();

    QCOMPARE(rig.messages.isEmpty(), !fails);
    if (operation != QLatin1String("unopenable"))
        QVERIFY(!atFrames.isEmpty());
    for (const auto &shape : atFrames)
        QCOMPARE(shape, std::optional<Qt::CursorShape>(Qt::WaitCursor));
    // A message box waits for the user: the normal pointer over it.
    for (const auto &shape : atMessages)
        QCOMPARE(shape, std::optional<Qt::CursorShape>(Qt::ArrowCursor));
    QCOMPARE(pointerShape(), std::nullopt);
}

void TestWindowBehaviour::windowPaintsWhileASilentModuleIsRetriedButTakesNoInput()
{
    WindowRig rig;
    rig.form->show();
    QVERIFY(QTest::qWaitForWindowExposed(rig.form.get()));
    rig.connectModule();
    QVERIFY(rig.messages.isEmpty());
    rig.device->emulator().injectFault(silentForever());
    auto *debug = rig.find<QGroupBox>("GBox_Debugfenster");
    QVERIFY(debug->isHidden());

    // A timer stands for the window's painting; on its first turn the user clicks Debug, on
    // its second the window is asked to close.
    bool reading = false;
    int turnsWhileReading = 0;
    bool debugShownWhileReading = false;
    bool closedWhileReading = false;
    QTimer ticker;
    ticker.setInterval(10);
    connect(&ticker, &QTimer::timeout, [&] {
        if (!reading)
            return;
        if (turnsWhileReading == 0)
            queueClick(rig.form.get(), rig.button("BtnDebugfenster"));
        if (turnsWhileReading == 1)
            rig.form->close();
        ++turnsWhileReading;
        debugShownWhileReading = debugShownWhileReading || !debug->isHidden();
        closedWhileReading = closedWhileReading || !rig.form->isVisible();
    });
    ticker.start();
    reading = true;
    rig.button("BtnAuslesen")->click();
    reading = false;

    // Five passes of 500 ms each: the event loop came round many times meanwhile.
    QVERIFY2(turnsWhileReading >= 20, qPrintable(QString::number(turnsWhileReading)));
    QVERIFY(!debugShownWhileReading);
    QVERIFY(!closedWhileReading);
    QVERIFY(rig.messages.size() == 1 && (rig.messages.first() == kTransmissionErrorEn ||
                                         rig.messages.first() == kTransmissionErrorDe));
    QVERIFY(rig.form->isDisconnected());
    // The user's click was kept, not lost, and the window closes: both once the operation is
    // over.
    QTRY_VERIFY(!debug->isHidden());
    QTRY_VERIFY(!rig.form->isVisible());
}

void TestWindowBehaviour::portPulledDuringAReadOutIsReportedOnceAfterIt()
{
    // Turns of the event loop from the read-out's first frame: a C module's read-out waits while
    // the 33 channel lists are filled (turns 1 to 5) and in the pause that ends its pass (6).
    for (int turn : {1, 5, 6}) {
        WindowRig rig;
        rig.form->show();
        QVERIFY(QTest::qWaitForWindowExposed(rig.form.get()));
        rig.connectModule();
        rig.device->clearRecords();
        qsizetype framesAtPull = -1;
        std::function<void(int)> pullAt = [&](int left) {
            if (left > 0) {
                QMetaObject::invokeMethod(
                    rig.form.get(), [&pullAt, left] { pullAt(left - 1); }, Qt::QueuedConnection);
            } else if (LineWait::active()) {
                framesAtPull = rig.device->frames().size();
                rig.device->simulateLoss(PortOperation::AsyncStatus, 5);
            }
        };
        rig.device->emulator().setLogCallback([&](const EmulatorLogEntry &entry) {
            if (entry.kind == EmulatorLogEntry::Frame && rig.device->frames().size() == 1)
                pullAt(turn);
        });
        QList<bool> shownInWait;
        Messages::setPresenterForTest([&](Messages::Kind, const QString &text) {
            rig.messages << text;
            shownInWait << LineWait::active();
            return true;
        });
        queueClick(rig.form.get(), rig.button("BtnAuslesen"));
        QTRY_VERIFY(rig.form->isDisconnected());

        QVERIFY2(framesAtPull > 0, "pulled outside a wait");
        QCOMPARE(rig.messages, QStringList{QStringLiteral(
                                   "Unable to get async status (win error code: 5)\r\nInput/output "
                                   "error: the adapter was unplugged or the line failed; plug it "
                                   "in and connect again")});
        QCOMPARE(shownInWait, QList<bool>{false});
        QCOMPARE(rig.device->frames().size(), framesAtPull);
    }
}

QTEST_MAIN(TestWindowBehaviour)
#include "tst_windowbehaviour.moc"
