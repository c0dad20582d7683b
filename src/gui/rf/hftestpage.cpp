#include "rf/hftestpage.h"
#include "rf/linkcontrolgroup.h"
#include "widgets/accessiblenames.h"

#include <QApplication>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QVBoxLayout>

namespace
{

template <typename T> T *named(T *widget, const char *name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

QComboBox *choiceBox(QWidget *parent, const char *name, const QStringList &items)
{
    auto *box = named(new QComboBox(parent), name);
    box->addItems(items);
    box->setCurrentIndex(-1);
    box->setPlaceholderText(QStringLiteral("(wählen)"));
    return box;
}

} // namespace

void setTimeEditLook(QLineEdit *edit, bool active)
{
    // The colours of the palette in force (a dark one, too), not the style's own: the text
    // keeps the palette's colour.
    QPalette palette = edit->palette();
    const QPalette standard = QApplication::palette(edit);
    palette.setColor(QPalette::Base,
                     active ? standard.color(QPalette::Base) : standard.color(QPalette::Button));
    edit->setPalette(palette);
}

void buildHfTestPage(QWidget *page, HfTestControls &c)
{
    auto *layout = new QVBoxLayout(page);

    c.GroupBox_HF_Test =
        named(new QGroupBox(QStringLiteral("Träger senden"), page), "GroupBox_HF_Test");
    auto *carrier = new QGridLayout(c.GroupBox_HF_Test);
    c.Label_Mod_Test = named(new QLabel(QStringLiteral("Modulation:")), "Label_Mod_Test");
    c.CBox_Mod_Test = choiceBox(c.GroupBox_HF_Test, "CBox_Mod_Test",
                                {QStringLiteral("unmoduliert"), QStringLiteral("moduliert")});
    c.Label_RX_TX_Switch_Test =
        named(new QLabel(QStringLiteral("RX/TX Umschaltung:")), "Label_RX_TX_Switch_Test");
    c.CBox_RX_TX_Switch_Test = choiceBox(c.GroupBox_HF_Test, "CBox_RX_TX_Switch_Test",
                                         {QStringLiteral("nur TX"), QStringLiteral("RX und TX")});
    c.BtnStartHF_Test = named(new QPushButton(QStringLiteral("Start")), "BtnStartHF_Test");
    nameAfterGroup(c.BtnStartHF_Test);
    c.Label_TX_Time = named(new QLabel(QStringLiteral("Dauer senden:")), "Label_TX_Time");
    c.Edit_TX_Time = named(new QLineEdit(c.GroupBox_HF_Test), "Edit_TX_Time");
    c.Label_TX_Time_Einheit = named(new QLabel(QStringLiteral("ms")), "Label_TX_Time_Einheit");
    c.Label_RX_Time = named(new QLabel(QStringLiteral("Dauer empfangen:")), "Label_RX_Time");
    c.Edit_RX_Time = named(new QLineEdit(c.GroupBox_HF_Test), "Edit_RX_Time");
    c.Label_RX_Time_Einheit = named(new QLabel(QStringLiteral("ms")), "Label_RX_Time_Einheit");
    // The time fields look inactive until alternation is chosen.
    for (QLabel *label :
         {c.Label_TX_Time, c.Label_TX_Time_Einheit, c.Label_RX_Time, c.Label_RX_Time_Einheit})
        label->setEnabled(false);
    for (QLineEdit *edit : {c.Edit_TX_Time, c.Edit_RX_Time})
        setTimeEditLook(edit, false);
    carrier->addWidget(c.Label_Mod_Test, 0, 0);
    carrier->addWidget(c.CBox_Mod_Test, 0, 1);
    carrier->addWidget(c.Label_RX_TX_Switch_Test, 1, 0);
    carrier->addWidget(c.CBox_RX_TX_Switch_Test, 1, 1);
    carrier->addWidget(c.BtnStartHF_Test, 0, 2);
    carrier->addWidget(c.Label_TX_Time, 2, 0);
    carrier->addWidget(c.Edit_TX_Time, 2, 1);
    carrier->addWidget(c.Label_TX_Time_Einheit, 2, 2);
    carrier->addWidget(c.Label_RX_Time, 3, 0);
    carrier->addWidget(c.Edit_RX_Time, 3, 1);
    carrier->addWidget(c.Label_RX_Time_Einheit, 3, 2);
    layout->addWidget(c.GroupBox_HF_Test);

    layout->addWidget(buildLinkControlGroup(page, c));
    layout->addStretch(1);
}
