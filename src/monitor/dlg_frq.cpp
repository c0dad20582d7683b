#include "monitor/dlg_frq.h"

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace
{

template <typename T>
T *place(T *widget, const char *name, int left, int top, int width = -1, int height = -1)
{
    widget->setObjectName(QLatin1String(name));
    const QSize hint = widget->sizeHint();
    widget->setGeometry(left, top, width > 0 ? width : hint.width(),
                        height > 0 ? height : hint.height());
    return widget;
}

} // namespace

TDlg_frq::TDlg_frq(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Dlg_frq"));
    setWindowTitle(QStringLiteral("Frequenzeinstellung"));
    setFixedSize(286, 181);
    setModal(true);

    Bevel1 = place(new QFrame(this), "Bevel1", 8, 8, 273, 129);
    Bevel1->setFrameStyle(QFrame::Box | QFrame::Sunken);
    LabelCenter = place(new QLabel(QStringLiteral("Center-Frequenz"), this), "LabelCenter", 18, 43);
    EditDlg_Frq_Center = place(new QLineEdit(this), "EditDlg_Frq_Center", 104, 40, 121, 21);
    Label3 = place(new QLabel(QStringLiteral("MHz"), this), "Label3", 234, 43);
    Label2 = place(new QLabel(QStringLiteral("Span"), this), "Label2", 18, 91);
    EditDlg_Frq_Span = place(new QLineEdit(this), "EditDlg_Frq_Span", 104, 88, 121, 21);
    Label4 = place(new QLabel(QStringLiteral("kHz"), this), "Label4", 234, 91);
    OKBtn = place(new QPushButton(QStringLiteral("OK"), this), "OKBtn", 63, 148, 75, 25);
    CancelBtn =
        place(new QPushButton(QStringLiteral("Abbrechen"), this), "CancelBtn", 151, 148, 75, 25);
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
    LabelCenter->adjustSize();
}
