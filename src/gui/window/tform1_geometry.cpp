#include "window/tform1.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QEvent>
#include <QGroupBox>
#include <QLayout>
#include <QScreen>

#include <algorithm>

namespace
{

// Title bar and borders that a window manager adds; unknown before the window is shown.
constexpr int kFrameAllowance = 48;

} // namespace

void TForm1::finishLayout()
{
    // A combo box is as wide as its longest item, in whichever language the items are.
    for (QComboBox *box : findChildren<QComboBox *>())
        box->setSizeAdjustPolicy(QComboBox::AdjustToContents);
}

void TForm1::fitToScreen()
{
    const QScreen *shown = screen();
    const QRect room = shown ? shown->availableGeometry() : QRect(0, 0, kWideWidth, kHeight);
    const int height = std::min(kHeight, room.height() - kFrameAllowance);
    resize(width(), height);
    fitWidth();
    move(room.x() + std::max(0, (room.width() - width()) / 2),
         room.y() + std::max(0, (room.height() - height - kFrameAllowance) / 2));
}

void TForm1::fitWidth()
{
    // The layouts learn of changed texts and shown or hidden groups through posted requests.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    // A window never shown yet does not pass its requests on: ask afresh.
    centralWidget()->layout()->invalidate();
    centralWidget()->updateGeometry();
    layout()->activate();
    resize(minimumSizeHint().width(), height());

    // An opened debug window that would leave the screen moves the window to the left; closed,
    // it puts the window back where it was.
    if (m_debugShift > 0 && GBox_Debugfenster->isHidden()) {
        move(x() + m_debugShift, y());
        m_debugShift = 0;
    }
    const QScreen *shown = screen();
    if (!shown)
        return;
    const QRect room = shown->availableGeometry();
    const int overflow = std::min(frameGeometry().right() - room.right(), x() - room.x());
    if (overflow > 0) {
        move(x() - overflow, y());
        m_debugShift += overflow;
    }
}
