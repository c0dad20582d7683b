#pragma once

#include <QScrollArea>
#include <QWidget>
#include <QWindow>

#include <qpa/qwindowsysteminterface.h>

// Where a user clicks a control: its centre, scrolled into view on its page, in the window's
// coordinates. Taken while its page is in front; the page keeps its place when another is shown.
inline QPointF clickPoint(QWidget *window, QWidget *target)
{
    for (QWidget *w = target->parentWidget(); w; w = w->parentWidget()) {
        if (auto *area = qobject_cast<QScrollArea *>(w)) {
            area->ensureWidgetVisible(target, 0, 0);
            break;
        }
    }
    return target->mapTo(window, target->rect().center());
}

// A mouse click that comes from the window system's queue, as a real one does: it is delivered
// when the event loop takes user input, to whatever is at that point then.
inline void queueClickAt(QWidget *window, QPointF local)
{
    const QPointF global = window->mapToGlobal(local.toPoint());
    QWindow *handle = window->windowHandle();
    QWindowSystemInterface::handleMouseEvent(handle, local, global, Qt::LeftButton, Qt::LeftButton,
                                             QEvent::MouseButtonPress);
    QWindowSystemInterface::handleMouseEvent(handle, local, global, Qt::NoButton, Qt::LeftButton,
                                             QEvent::MouseButtonRelease);
}

inline void queueClick(QWidget *window, QWidget *target)
{
    queueClickAt(window, clickPoint(window, target));
}
