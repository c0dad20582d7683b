// Where the main window fits with the debug window open or closed, where it places itself and
// where the compositor places it (Wayland); and the column that gives the debug window room.
#include "widgets/yieldingcolumn.h"
#include "window/windowroom.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTest>

namespace
{

// The window without the debug window needs 575 pixels; the debug window adds 395. The frame
// adds 3 on each side and a 30-pixel title bar.
constexpr int kPages = 575;
constexpr int kLog = 395;
const QMargins kFrame(3, 30, 3, 3);
const QRect kLaptop(0, 0, 1366, 768);

} // namespace

Q_DECLARE_METATYPE(WindowRoom::Request)

class TestWindowRoom : public QObject
{
    Q_OBJECT
private slots:
    void fit_data();
    void fit();
    void clientHeight_data();
    void clientHeight();
    void yieldingColumnScrollsToTheFocus();
};

void TestWindowRoom::fit_data()
{
    QTest::addColumn<WindowRoom::Request>("request");
    QTest::addColumn<int>("width");
    QTest::addColumn<QPoint>("position");
    QTest::addColumn<int>("pagesYield");
    QTest::addColumn<int>("shift");

    const auto request = [](QRect screen, bool placesItself, QRect frame, int log, int shift) {
        return WindowRoom::Request{{screen, placesItself}, frame, kFrame, kPages, log, shift};
    };
    QTest::newRow("closed: as wide as the pages")
        << request(kLaptop, true, QRect(100, 50, 581, 705), 0, 0) << 575 << QPoint(100, 50) << 0
        << 0;
    QTest::newRow("opened with room on the right: grows to the right")
        << request(kLaptop, true, QRect(100, 50, 581, 705), kLog, 0) << 970 << QPoint(100, 50) << 0
        << 0;
    QTest::newRow("opened near the right edge: moves left as far as needed")
        << request(kLaptop, true, QRect(700, 50, 581, 705), kLog, 0) << 970 << QPoint(390, 50) << 0
        << 310;
    QTest::newRow("closed after moving left: goes back")
        << request(kLaptop, true, QRect(390, 50, 976, 705), 0, 310) << 575 << QPoint(700, 50) << 0
        << 0;
    QTest::newRow("opened on a narrow screen: screen-wide, the pages give the rest")
        << request(QRect(0, 0, 800, 600), true, QRect(100, 50, 581, 500), kLog, 0) << 794
        << QPoint(0, 50) << 176 << 100;
    QTest::newRow("opened on a second screen to the right: stays on it")
        << request(QRect(1366, 0, 1920, 1080), true, QRect(2800, 50, 581, 705), kLog, 0) << 970
        << QPoint(2310, 50) << 0 << 490;
    QTest::newRow("opened without a screen: grows")
        << request(QRect(), true, QRect(100, 50, 581, 705), kLog, 0) << 970 << QPoint(100, 50) << 0
        << 0;
    // Wayland: the position means nothing and moving the window does nothing.
    QTest::newRow("Wayland, opened: keeps its width, the pages give the room")
        << request(kLaptop, false, QRect(-3, -30, 581, 705), kLog, 0) << 575 << QPoint(-3, -30)
        << kLog << 0;
    QTest::newRow("Wayland, opened in a window the user widened: the pages give what is missing")
        << request(kLaptop, false, QRect(-3, -30, 806, 705), kLog, 0) << 800 << QPoint(-3, -30)
        << 170 << 0;
    QTest::newRow("Wayland, opened in a window wider than the log needs: nothing to give")
        << request(kLaptop, false, QRect(-3, -30, 1206, 705), kLog, 0) << 1200 << QPoint(-3, -30)
        << 0 << 0;
    QTest::newRow("Wayland, closed: as wide as the pages")
        << request(kLaptop, false, QRect(-3, -30, 806, 705), 0, 0) << 575 << QPoint(-3, -30) << 0
        << 0;
}

void TestWindowRoom::fit()
{
    QFETCH(WindowRoom::Request, request);
    const WindowRoom::Fit fit = WindowRoom::fit(request);
    QTEST(fit.width, "width");
    if (request.screen.placesItself)
        QTEST(fit.position, "position");
    QTEST(fit.pagesYield, "pagesYield");
    QTEST(fit.shift, "shift");
}

void TestWindowRoom::clientHeight_data()
{
    QTest::addColumn<QRect>("screen");
    QTest::addColumn<bool>("placesItself");
    QTest::addColumn<int>("height");
    // The design height 940, a frame allowance of 48.
    QTest::newRow("laptop, panels known") << kLaptop << true << 720;
    QTest::newRow("laptop, Wayland: room for a panel as well") << kLaptop << false << 672;
    QTest::newRow("tall screen: the design height") << QRect(0, 0, 1920, 1200) << true << 940;
    QTest::newRow("tall screen, Wayland: the design height")
        << QRect(0, 0, 1920, 1200) << false << 940;
    QTest::newRow("no screen: the design height") << QRect() << true << 940;
}

void TestWindowRoom::clientHeight()
{
    QFETCH(QRect, screen);
    QFETCH(bool, placesItself);
    QTEST(WindowRoom::clientHeight({screen, placesItself}, 940, 48), "height");
}

void TestWindowRoom::yieldingColumnScrollsToTheFocus()
{
    QWidget window;
    auto *row = new QWidget;
    auto *layout = new QHBoxLayout(row);
    auto *left = new QPushButton(QStringLiteral("left"));
    auto *right = new QPushButton(QStringLiteral("right"));
    for (QPushButton *button : {left, right}) {
        button->setFixedWidth(300);
        layout->addWidget(button);
    }
    auto *column = new YieldingColumn(row, &window);
    (new QHBoxLayout(&window))->addWidget(column);
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    const int full = column->fullWidth();
    QCOMPARE(column->minimumSizeHint().width(), full);

    column->setYield(250);
    QCOMPARE(column->minimumSizeHint().width(), full - 250);
    window.layout()->activate();
    window.resize(window.minimumSizeHint());
    QTRY_COMPARE(column->viewport()->width(), full - 250);
    const auto inView = [&](QWidget *w) {
        return column->viewport()->rect().contains(
            QRect(w->mapTo(column->viewport(), QPoint(0, 0)), w->size()));
    };
    QTRY_VERIFY(inView(left));
    QVERIFY(!inView(right));
    // A control beyond the visible part comes into view with the focus, as Tab takes it there.
    right->setFocus(Qt::TabFocusReason);
    QTRY_VERIFY(inView(right));
    left->setFocus(Qt::BacktabFocusReason);
    QTRY_VERIFY(inView(left));

    // Giving up more than everything leaves nothing, not less.
    column->setYield(full + 50);
    QCOMPARE(column->yield(), full);
    column->setYield(0);
    QCOMPARE(column->minimumSizeHint().width(), full);
}

QTEST_MAIN(TestWindowRoom)
#include "tst_windowroom.moc"
