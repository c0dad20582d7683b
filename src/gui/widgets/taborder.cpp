#include "widgets/taborder.h"

#include <QGridLayout>
#include <QList>
#include <QScrollArea>
#include <QTabBar>
#include <QTabWidget>

#include <algorithm>
#include <vector>

namespace
{

struct Placed {
    int row;
    int column;
    QLayoutItem *item;
};

// Where the layout puts its item index: a row and a column that sort in reading order. A box or
// a stack holds its items in the order they are read.
Placed placeOf(QLayout *layout, int index)
{
    QLayoutItem *item = layout->itemAt(index);
    if (auto *grid = qobject_cast<QGridLayout *>(layout)) {
        int row = 0, column = 0, rowSpan = 0, columnSpan = 0;
        grid->getItemPosition(index, &row, &column, &rowSpan, &columnSpan);
        return {row, column, item};
    }
    return {0, index, item};
}

void appendLaidOut(QLayout *layout, QList<QWidget *> &widgets)
{
    std::vector<Placed> placed;
    for (int i = 0; i < layout->count(); ++i)
        placed.push_back(placeOf(layout, i));
    std::stable_sort(placed.begin(), placed.end(), [](const Placed &a, const Placed &b) {
        return a.row != b.row ? a.row < b.row : a.column < b.column;
    });
    for (const Placed &p : placed) {
        if (QWidget *widget = p.item->widget())
            widgets << widget;
        else if (QLayout *inner = p.item->layout())
            appendLaidOut(inner, widgets);
    }
}

// The children of a container in the order the user reads them.
QList<QWidget *> childrenInOrder(QWidget *container)
{
    QList<QWidget *> ordered;
    if (auto *tabs = qobject_cast<QTabWidget *>(container)) {
        ordered << tabs->tabBar();
        for (int i = 0; i < tabs->count(); ++i)
            ordered << tabs->widget(i);
        return ordered;
    }
    if (auto *area = qobject_cast<QScrollArea *>(container)) {
        if (area->widget())
            ordered << area->widget();
        return ordered;
    }
    if (container->layout())
        appendLaidOut(container->layout(), ordered);
    // Children that no layout places come last, in the order they were made.
    for (QWidget *child : container->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        if (!ordered.contains(child))
            ordered << child;
    }
    return ordered;
}

void collectStops(QWidget *widget, QList<QWidget *> &stops)
{
    if (widget->isWindow())
        return;
    // A part that hands its focus to the control around it (the edit field of a combo box) is
    // no stop of its own. A control that hands it to a part of its own (a tab widget to its tab
    // bar) keeps its place before that part: Qt's chain moves the two together.
    QWidget *proxy = widget->focusProxy();
    if ((widget->focusPolicy() & Qt::TabFocus) && (!proxy || widget->isAncestorOf(proxy)))
        stops << widget;
    for (QWidget *child : childrenInOrder(widget))
        collectStops(child, stops);
}

} // namespace

void orderTabChain(QWidget *root)
{
    QList<QWidget *> stops;
    for (QWidget *child : childrenInOrder(root))
        collectStops(child, stops);
    for (qsizetype i = 1; i < stops.size(); ++i)
        QWidget::setTabOrder(stops[i - 1], stops[i]);
}
