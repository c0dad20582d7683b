#include "moduletest/moduletestpage.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace
{

template <typename T> T *named(T *widget, const char *name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

// One measurement row: a group with its button, a read-only result field, the caption of the
// time ("Letzte Auslesezeit:") and a time label that stays hidden until its value is first set.
QGroupBox *measurementGroup(QWidget *page, const char *groupName, const QString &caption,
                            const char *buttonName, const QString &buttonCaption,
                            const char *editName, const char *timeCaptionName,
                            const QString &timeCaption, const char *labelName, QPushButton *&button,
                            QLineEdit *&edit, QLabel *&label)
{
    auto *group = named(new QGroupBox(caption, page), groupName);
    auto *row = new QHBoxLayout(group);
    button = named(new QPushButton(buttonCaption, group), buttonName);
    edit = named(new QLineEdit(group), editName);
    edit->setReadOnly(true);
    label = named(new QLabel(QStringLiteral("00:00:00"), group), labelName);
    label->hide();
    row->addWidget(button);
    row->addWidget(edit, 1);
    row->addWidget(named(new QLabel(timeCaption, group), timeCaptionName));
    row->addWidget(label);
    return group;
}

QComboBox *choiceBox(QWidget *parent, const char *name, const QString &item0, const QString &item1)
{
    auto *box = named(new QComboBox(parent), name);
    box->addItems({item0, item1});
    box->setCurrentIndex(-1);
    box->setPlaceholderText(QStringLiteral("(wählen)"));
    return box;
}

} // namespace

void buildModultestPage(QWidget *page, ModultestControls &c)
{
    auto *layout = new QVBoxLayout(page);
    const QString read = QStringLiteral("auslesen");
    const QString readTime = QStringLiteral("Letzte Auslesezeit:");
    c.GBox_Temp = measurementGroup(page, "GBox_Temp", QStringLiteral("Temperatur"), "BtnTemp", read,
                                   "Edit_Temp", "Label_Temp", readTime, "Label_Temp_Uhr", c.BtnTemp,
                                   c.Edit_Temp, c.Label_Temp_Uhr);
    c.GBox_VCC = measurementGroup(page, "GBox_VCC", QStringLiteral("Speisespannung"), "BtnVCC",
                                  read, "Edit_VCC", "Label_VCC", readTime, "Label_VCC_Uhr",
                                  c.BtnVCC, c.Edit_VCC, c.Label_VCC_Uhr);
    c.GBox_RSSI_Aktuell = measurementGroup(
        page, "GBox_RSSI_Aktuell", QStringLiteral("RSSI-Aktuell"), "BtnRSSI_Aktuell", read,
        "Edit_RSSI_Aktuell", "Label_last_RSSI_aktuell", readTime, "Label_last_RSSI_Aktuell_Uhr",
        c.BtnRSSI_Aktuell, c.Edit_RSSI_Aktuell, c.Label_last_RSSI_Aktuell_Uhr);
    c.GBox_RSSI_MAX = measurementGroup(page, "GBox_RSSI_MAX", QStringLiteral("RSSI-Maximalwert"),
                                       "BtnRSSI_MAX", read, "Edit_RSSI_MAX", "Label_last_RSSI_MAX",
                                       readTime, "Label_last_RSSI_MAX_Uhr", c.BtnRSSI_MAX,
                                       c.Edit_RSSI_MAX, c.Label_last_RSSI_MAX_Uhr);
    c.GBox_Recal =
        measurementGroup(page, "GBox_Recal", QStringLiteral("Kalibration"), "BtnRecal",
                         QStringLiteral("kalibrieren"), "Edit_Recall_stat", "Label_last_recal",
                         QStringLiteral("Letzte Kalibration:"), "Label_last_cal_uhr", c.BtnRecal,
                         c.Edit_Recall_stat, c.Label_last_cal_uhr);
    for (QGroupBox *group :
         {c.GBox_Temp, c.GBox_VCC, c.GBox_RSSI_Aktuell, c.GBox_RSSI_MAX, c.GBox_Recal})
        layout->addWidget(group);

    c.GBox_Sleep = named(new QGroupBox(QStringLiteral("Sleep"), page), "GBox_Sleep");
    auto *grid = new QGridLayout(c.GBox_Sleep);
    c.Label_sleep_0 =
        named(new QLabel(QStringLiteral("nach Wakeup:"), c.GBox_Sleep), "Label_sleep_0");
    c.CBox_sleep_0 = choiceBox(c.GBox_Sleep, "CBox_sleep_0", QStringLiteral("Reset nach Wakeup"),
                               QStringLiteral("Continue nach Wakeup"));
    c.Label_sleep_4 =
        named(new QLabel(QStringLiteral("Wakeuppin:"), c.GBox_Sleep), "Label_sleep_4");
    c.CBox_sleep_4 = choiceBox(c.GBox_Sleep, "CBox_sleep_4", QStringLiteral("Pin 12 = Wakeuppin"),
                               QStringLiteral("Pin   9 = Wakeuppin"));
    c.Label_sleep_5 =
        named(new QLabel(QStringLiteral("andere Pin's"), c.GBox_Sleep), "Label_sleep_5");
    c.CBox_sleep_5 =
        choiceBox(c.GBox_Sleep, "CBox_sleep_5", QStringLiteral("Restliche Pins Output"),
                  QStringLiteral("Restliche Pins Normal"));
    c.BtnSleep = named(new QPushButton(QStringLiteral("Sleep"), c.GBox_Sleep), "BtnSleep");
    c.BtnWakeup = named(new QPushButton(QStringLiteral("Wakeup"), c.GBox_Sleep), "BtnWakeup");
    c.BtnWakeup->setEnabled(false);
    grid->addWidget(c.Label_sleep_0, 0, 0);
    grid->addWidget(c.CBox_sleep_0, 0, 1);
    grid->addWidget(c.Label_sleep_4, 1, 0);
    grid->addWidget(c.CBox_sleep_4, 1, 1);
    grid->addWidget(c.Label_sleep_5, 2, 0);
    grid->addWidget(c.CBox_sleep_5, 2, 1);
    grid->addWidget(c.BtnSleep, 0, 2);
    grid->addWidget(c.BtnWakeup, 1, 2);
    layout->addWidget(c.GBox_Sleep);
    layout->addStretch(1);
}
