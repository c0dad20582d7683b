#pragma once

#include "link/simregistry.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

class QComboBox;

// One entry of the port selector: the name that opens the port, and what the user learns about
// it when pointing at it.
struct PortItem {
    QString text;
    QString toolTip;

    bool operator==(const PortItem &) const = default;
};

// The port selector's list: the system's serial ports in their order, each with the system's
// description; the running korvel-sim instances; "DEMO" last.
QList<PortItem> buildPortItems(const QStringList &systemPorts,
                               const QHash<QString, QString> &descriptions,
                               const QList<SimRegistry::Instance> &sims);

// Replaces the selector's items, the tooltips included.
void fillPortSelector(QComboBox *box, const QList<PortItem> &items);
