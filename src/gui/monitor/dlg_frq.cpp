#include "monitor/dlg_frq.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>

namespace
{

template <typename T> T *named(T *widget, const char *name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

} // namespace

TDlg_frq::TDlg_frq(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Dlg_frq"));
    setWindowTitle(QStringLiteral("Frequenzeinstellung"));
    setModal(true);

    Bevel1 = named(new QFrame(this), "Bevel1");
    Bevel1->setFrameStyle(QFrame::Box | QFrame::Sunken);
    LabelCenter = named(new QLabel(QStringLiteral("Center-Frequenz"), this), "LabelCenter");
    EditDlg_Frq_Center = named(new QLineEdit(this), "EditDlg_Frq_Center");
    Label3 = named(new QLabel(QStringLiteral("MHz"), this), "Label3");
    Label2 = named(new QLabel(QStringLiteral("Span"), this), "Label2");
    EditDlg_Frq_Span = named(new QLineEdit(this), "EditDlg_Frq_Span");
    Label4 = named(new QLabel(QStringLiteral("kHz"), this), "Label4");
    OKBtn = named(new QPushButton(QStringLiteral("OK"), this), "OKBtn");
    CancelBtn = named(new QPushButton(QStringLiteral("Abbrechen"), this), "CancelBtn");
    for (QLineEdit *edit : {EditDlg_Frq_Center, EditDlg_Frq_Span})
        edit->setMinimumWidth(std::max(
            121, edit->fontMetrics().horizontalAdvance(QStringLiteral("0000.00000")) + 14));

    // The fields lie on the bevel, which frames them; the buttons stand below it.
    auto *layout = new QGridLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->setContentsMargins(8, 8, 8, 8);
    auto *fields = new QGridLayout;
    fields->setContentsMargins(10, 24, 10, 24);
    fields->setVerticalSpacing(24);
    fields->addWidget(LabelCenter, 0, 0);
    fields->addWidget(EditDlg_Frq_Center, 0, 1);
    fields->addWidget(Label3, 0, 2);
    fields->addWidget(Label2, 1, 0);
    fields->addWidget(EditDlg_Frq_Span, 1, 1);
    fields->addWidget(Label4, 1, 2);
    layout->addWidget(Bevel1, 0, 0);
    layout->addLayout(fields, 0, 0);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(OKBtn);
    buttons->addWidget(CancelBtn);
    buttons->addStretch(1);
    layout->addLayout(buttons, 1, 0);

    OKBtn->setDefault(true);
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    // Escape rejects the dialog as the cancel button does.
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
}

void TDlg_frq::applyLanguage(int languageIndex)
{
    const bool german = languageIndex == 0;
    setWindowTitle(german ? QStringLiteral("Frequenzeinstellung")
                          : QStringLiteral("Set frequency"));
    LabelCenter->setText(german ? QStringLiteral("Center-Frequenz")
                                : QStringLiteral("Center frequency"));
}
