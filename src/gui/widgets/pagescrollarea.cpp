#include "widgets/pagescrollarea.h"

#include <QApplication>
#include <QEvent>
#include <QScrollBar>
#include <QVBoxLayout>

#include <algorithm>

PageScrollArea::PageScrollArea(QWidget *parent) : QScrollArea(parent)
{
    setFrameShape(QFrame::NoFrame);
    setWidgetResizable(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    // No Tab stop of its own: it holds controls and is none. Whichever way the focus comes to
    // one of its controls (Tab into the page from outside, too), that control is scrolled into
    // view.
    setFocusPolicy(Qt::NoFocus);
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget *, QWidget *now) {
        if (now && widget() && widget()->isAncestorOf(now))
            ensureWidgetVisible(now);
    });
    // The page's own background shows through.
    viewport()->setAutoFillBackground(false);
}

QSize PageScrollArea::sizeHint() const
{
    const QWidget *content = widget();
    if (!content)
        return QScrollArea::sizeHint();
    const QSize hint = content->sizeHint().expandedTo(content->minimumSizeHint());
    return {hint.width() + verticalScrollBar()->sizeHint().width(), hint.height()};
}

QSize PageScrollArea::minimumSizeHint() const
{
    // The full width, with room for the vertical scroll bar, so that the page never scrolls
    // sideways; the height is the window's to choose.
    const QWidget *content = widget();
    if (!content)
        return QScrollArea::minimumSizeHint();
    const int lines = 6 * fontMetrics().height();
    return {content->minimumSizeHint().width() + verticalScrollBar()->sizeHint().width(),
            std::min(lines, content->minimumSizeHint().height())};
}

bool PageScrollArea::eventFilter(QObject *watched, QEvent *event)
{
    // A content that needs another size changes what the window around it needs.
    if (watched == widget() && event->type() == QEvent::LayoutRequest)
        updateGeometry();
    return QScrollArea::eventFilter(watched, event);
}

QWidget *addScrolledContent(QWidget *page)
{
    auto *layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    auto *area = new PageScrollArea(page);
    auto *content = new QWidget;
    content->setAutoFillBackground(false);
    area->setWidget(content);
    layout->addWidget(area);
    return content;
}

QWidget *contentOf(QWidget *page)
{
    auto *area = page->findChild<PageScrollArea *>(QString(), Qt::FindDirectChildrenOnly);
    return area ? area->widget() : page;
}
