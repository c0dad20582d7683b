#include "widgets/yieldingcolumn.h"
#include "window/tform1.h"
#include "window/windowroom.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QEvent>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLayout>
#include <QScreen>
#include <QShowEvent>

#include <algorithm>

namespace
{

// Title bar and borders that a window manager adds; unknown before the window is shown.
constexpr int kFrameAllowance = 48;

WindowRoom::Screen screenRoom(const QScreen *screen)
{
    // A Wayland compositor places every window itself and tells no window where it is.
    const bool placesItself = !QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
    return {screen ? screen->availableGeometry() : QRect(), placesItself};
}

} // namespace

void TForm1::finishLayout()
{
    // A combo box is as wide as its longest item, in whichever language the items are.
    for (QComboBox *box : findChildren<QComboBox *>())
        box->setSizeAdjustPolicy(QComboBox::AdjustToContents);
}

void TForm1::fitToScreen()
{
    const WindowRoom::Screen room = screenRoom(screen());
    const int height = WindowRoom::clientHeight(room, kHeight, kFrameAllowance);
    resize(width(), height);
    fitWidth();
    if (!room.placesItself || room.available.isEmpty())
        return;
    move(room.available.x() + std::max(0, (room.available.width() - width()) / 2),
         room.available.y() +
             std::max(0, (room.available.height() - height - kFrameAllowance) / 2));
}

void TForm1::showEvent(QShowEvent *event)
{
    // The first showing polishes the controls, whose sizes then change. The window takes its
    // final width now, before the window system maps it: a Wayland compositor places it once, by
    // the size it first has.
    if (!event->spontaneous() && !m_fittedAtShow) {
        m_fittedAtShow = true;
        fitWidth();
    }
    QMainWindow::showEvent(event);
}

void TForm1::relayout()
{
    // The layouts learn of changed texts and shown or hidden groups through posted requests.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    // A window never shown yet does not pass its requests on: ask afresh.
    centralWidget()->layout()->invalidate();
    centralWidget()->updateGeometry();
    layout()->activate();
}

void TForm1::fitWidth()
{
    fitWidth(frameGeometry(), geometry());
}

void TForm1::fitWidth(const QRect &frame, const QRect &client)
{
    relayout();
    WindowRoom::Request request;
    request.screen = screenRoom(screen());
    request.frame = frame;
    request.frameMargins =
        QMargins(client.left() - frame.left(), client.top() - frame.top(),
                 frame.right() - client.right(), frame.bottom() - client.bottom());
    request.pagesWidth = m_leftColumn->fullWidth() + 2 * kWindowMargin;
    request.logWidth = GBox_Debugfenster->isHidden() ? 0 : kWideWidth - kNarrowWidth;
    request.shift = m_debugShift;
    const WindowRoom::Fit fit = WindowRoom::fit(request);

    m_leftColumn->setYield(fit.pagesYield);
    relayout();
    resize(fit.width, height());
    m_debugShift = fit.shift;
    if (request.screen.placesItself && fit.position != frame.topLeft())
        move(fit.position);
}
