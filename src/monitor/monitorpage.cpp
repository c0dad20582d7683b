#include "monitor/monitorpage.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStringList>
#include <QVBoxLayout>

namespace
{

template <typename T> T *named(T *widget, const QString &name)
{
    widget->setObjectName(name);
    return widget;
}

} // namespace

void buildMonitorPage(QWidget *page, MonitorControls &c, const QStringList &channelItems)
{
    auto *layout = new QVBoxLayout(page);
    auto *slotGrid = new QGridLayout;
    for (int i = 0; i < 30; ++i) {
        const QString n = QString::number(i + 1);
        c.LabelMonitor[i] =
            named(new QLabel(QStringLiteral("C") + n, page), QStringLiteral("LabelMonitor_C") + n);
        c.CBoxMonitor[i] = named(new QComboBox(page), QStringLiteral("CBoxMonitor_C") + n);
        c.CBoxMonitor[i]->setEditable(true);
        c.CBoxMonitor[i]->addItems(channelItems);
        c.CBoxMonitor[i]->setCurrentIndex(-1);
        c.CBoxMonitor[i]->setEditText(QString());
        const int row = i % 15;
        const int column = (i / 15) * 2;
        slotGrid->addWidget(c.LabelMonitor[i], row, column);
        slotGrid->addWidget(c.CBoxMonitor[i], row, column + 1);
    }
    layout->addLayout(slotGrid);

    c.GroupBoxFrqConfig = named(new QGroupBox(QStringLiteral("Frequenzeinstellung"), page),
                                QStringLiteral("GroupBoxFrqConfig"));
    auto *config = new QGridLayout(c.GroupBoxFrqConfig);
    c.LabelStepRBW =
        named(new QLabel(QStringLiteral("RBW / Step:")), QStringLiteral("LabelStepRBW"));
    c.LabelMonitor_RBW = named(new QLabel, QStringLiteral("LabelMonitor_RBW"));
    c.LabelMonitor_Status = named(new QLabel, QStringLiteral("LabelMonitor_Status"));
    c.LabelMonitor_Status->setStyleSheet(QStringLiteral("color: red;"));
    config->addWidget(c.LabelStepRBW, 0, 0);
    config->addWidget(c.LabelMonitor_RBW, 0, 1);
    config->addWidget(c.LabelMonitor_Status, 1, 0, 1, 2);
    layout->addWidget(c.GroupBoxFrqConfig);

    auto *buttons = new QHBoxLayout;
    const auto button = [page, buttons](const char *name, const char *caption) {
        auto *b =
            named(new QPushButton(QString::fromLatin1(caption), page), QString::fromLatin1(name));
        buttons->addWidget(b);
        return b;
    };
    c.BtnMonitor_peakReset = button("BtnMonitor_peakReset", "PeakReset");
    c.BtnMonitor_Autoset = button("BtnMonitor_Autoset", "Autoset");
    c.BtnMonitor_FrqSet = button("BtnMonitor_FrqSet", "FrqSet");
    c.BtnMonitor_FrqClear = button("BtnMonitor_FrqClear", "FrqClear");
    c.BtnMonitor_Start = button("BtnMonitor_Start", "Start");
    layout->addLayout(buttons);
    layout->addStretch(1);
}
