#include "rf/passworddlg.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QProxyStyle>
#include <QPushButton>
#include <QStyleFactory>
#include <QVBoxLayout>

namespace
{

// The application's style, but every hidden character of a password shows as "*" (Fusion, for
// one, would show a dot).
class AsteriskPasswordStyle : public QProxyStyle
{
public:
    AsteriskPasswordStyle() : QProxyStyle(QStyleFactory::create(QApplication::style()->name())) {}
    int styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                  QStyleHintReturn *returnData) const override
    {
        if (hint == SH_LineEdit_PasswordCharacter)
            return '*';
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

} // namespace

TPasswordDlg::TPasswordDlg(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("PasswordDlg"));
    setModal(true);
    LabelText = new QLabel(this);
    LabelText->setObjectName(QStringLiteral("LabelText"));
    Password = new QLineEdit(this);
    Password->setObjectName(QStringLiteral("Password"));
    Password->setEchoMode(QLineEdit::Password);
    auto *asterisks = new AsteriskPasswordStyle;
    asterisks->setParent(Password);
    Password->setStyle(asterisks);
    OKBtn = new QPushButton(QStringLiteral("OK"), this);
    OKBtn->setObjectName(QStringLiteral("OKBtn"));
    OKBtn->setDefault(true);
    CancelBtn = new QPushButton(QStringLiteral("Abbrechen"), this);
    CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    // The prompt over the entry, the buttons below at the right; at least 252 wide, wider where
    // the prompt needs it.
    auto *layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->setSpacing(4);
    layout->addWidget(LabelText);
    layout->addWidget(Password);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(OKBtn);
    buttons->addWidget(CancelBtn);
    layout->addSpacing(4);
    layout->addLayout(buttons);
    Password->setMinimumWidth(233);
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
}

void TPasswordDlg::setTexts(const QString &caption, const QString &prompt)
{
    setWindowTitle(caption);
    LabelText->setText(prompt);
}

QString TPasswordDlg::password() const
{
    return Password->text();
}
