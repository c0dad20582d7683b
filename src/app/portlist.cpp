#include "app/portlist.h"

#include <QComboBox>

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
    for (const PortItem &item : items) {
        box->addItem(item.text);
        if (!item.toolTip.isEmpty())
            box->setItemData(box->count() - 1, item.toolTip, Qt::ToolTipRole);
    }
}
