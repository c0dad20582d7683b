#include "widgets/yieldingcolumn.h"

#include <QApplication>
#include <QEvent>
#include <QScrollBar>

#include <algorithm>

YieldingColumn::YieldingColumn(QWidget *column, QWidget *parent) : QScrollArea(parent)
{
    setFrameShape(QFrame::NoFrame);
    setWidgetResizable(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Not a Tab stop of its own; a control that gets the focus is scrolled into view.
    setFocusPolicy(Qt::NoFocus);
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget *, QWidget *now) {
        if (m_yield > 0 && now && widget() && widget()->isAncestorOf(now))
            ensureWidgetVisible(now, 8, 0);
    });
    viewport()->setAutoFillBackground(false);
    setWidget(column);
}

int YieldingColumn::fullWidth() const
{
    return widget() ? widget()->minimumSizeHint().width() : 0;
}

void YieldingColumn::setYield(int pixels)
{
    pixels = std::clamp(pixels, 0, fullWidth());
    if (pixels == m_yield)
        return;
    m_yield = pixels;
    updateGeometry();
}

QSize YieldingColumn::sizeHint() const
{
    return minimumSizeHint();
}

QSize YieldingColumn::minimumSizeHint() const
{
    if (!widget())
        return QScrollArea::minimumSizeHint();
    // While it yields, the sideways scroll bar takes its height below the column.
    const int bar = m_yield > 0 ? horizontalScrollBar()->sizeHint().height() : 0;
    return {fullWidth() - m_yield, widget()->minimumSizeHint().height() + bar};
}

bool YieldingColumn::eventFilter(QObject *watched, QEvent *event)
{
    // A column that needs another size changes what the window around it needs.
    if (watched == widget() && event->type() == QEvent::LayoutRequest)
        updateGeometry();
    return QScrollArea::eventFilter(watched, event);
}
