#include "window/portlist.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QFontMetrics>
#include <QStyle>

#include <algorithm>

QList<PortItem> buildPortItems(const QStringList &systemPorts,
                               const QHash<QString, QString> &descriptions,
                               const QList<SimRegistry::Instance> &sims)
{
    QList<PortItem> items;
    for (const QString &port : systemPorts)
        items.append(PortItem{port, descriptions.value(port)});
    for (const SimRegistry::Instance &sim : sims) {
        if (systemPorts.contains(sim.path))
            continue;
        items.append(
            PortItem{sim.path, QStringLiteral("korvel-sim (emulated module) on ") + sim.device});
    }
    items.append(PortItem{QStringLiteral("DEMO"), QString()});
    return items;
}

void fillPortSelector(QComboBox *box, const QList<PortItem> &items)
{
    box->clear();
    int widest = 0;
    const QFontMetrics metrics(box->view()->font());
    for (const PortItem &item : items) {
        box->addItem(item.text);
        if (!item.toolTip.isEmpty())
            box->setItemData(box->count() - 1, item.toolTip, Qt::ToolTipRole);
        widest = std::max(widest, metrics.horizontalAdvance(item.text));
    }
    // A path is read whole in the open list, however narrow the box.
    const int margins =
        4 * box->view()->frameWidth() + box->style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 16;
    box->view()->setMinimumWidth(widest + margins);
}
