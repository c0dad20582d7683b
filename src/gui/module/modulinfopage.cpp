#include "module/modulinfopage.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

namespace
{

QLineEdit *field(QWidget *page, QLineEdit *&member, const char *name)
{
    member = new QLineEdit(page);
    member->setObjectName(QString::fromLatin1(name));
    member->setReadOnly(true);
    QPalette palette = member->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Window));
    member->setPalette(palette);
    return member;
}

QLabel *caption(QWidget *page, QLabel *&member, const char *name, const QString &text)
{
    member = new QLabel(text, page);
    member->setObjectName(QString::fromLatin1(name));
    return member;
}

} // namespace

#define INFO_FIELD(member) field(page, info.member, #member)
#define INFO_LABEL(member, text) caption(page, info.member, #member, QStringLiteral(text))

void buildModulinfo(QWidget *page, ModulinfoControls &info)
{
    auto *grid = new QGridLayout(page);
    int row = 0;
    auto addRow = [&](QLabel *label, QLineEdit *value, QLineEdit *plainText = nullptr) {
        grid->addWidget(label, row, 0);
        grid->addWidget(value, row, 1);
        if (plainText)
            grid->addWidget(plainText, row, 2);
        ++row;
    };
    addRow(INFO_LABEL(Label_ModTyp, "Modultyp"), INFO_FIELD(EditModTyp));
    addRow(INFO_LABEL(Label_SW_Version, "Software-Version"), INFO_FIELD(Edit_SW_Version));
    addRow(INFO_LABEL(Label_SW_Speed, "Softwarespeed"), INFO_FIELD(Edit_SW_Speed));
    addRow(INFO_LABEL(Label_SW_Typ, "Software-Typ"), INFO_FIELD(Edit_SW_Typ),
           INFO_FIELD(Edit_SW_Typ_Klartext));
    addRow(INFO_LABEL(Label_Bef_Version, "Befehlssatz-Version"), INFO_FIELD(Edit_Bef_Version));
    addRow(INFO_LABEL(Label_HW_Version, "Hardware-Version"), INFO_FIELD(Edit_HW_Version),
           INFO_FIELD(Edit_HW_Version_Klartext));
    addRow(INFO_LABEL(Label_Frq_Version, "Frequenz-Version"), INFO_FIELD(Edit_Frq_Version));
    addRow(INFO_LABEL(Label_Ser_NR, "Serie-Nummer"), INFO_FIELD(Edit_Ser_NR));
    // The status may be a sentence ("??? (Sleep nach Powerup eingestellt!)"): the whole width.
    grid->addWidget(INFO_LABEL(Label_Caldata, "Status Kalibration"), row, 0);
    grid->addWidget(INFO_FIELD(Edit_Caldata), row++, 1, 1, 2);
    grid->setColumnStretch(2, 1);
    grid->setRowStretch(row, 1);
}
