#include "app/messages.h"

#include <QApplication>
#include <QMessageBox>

namespace Messages
{

namespace
{

Presenter &presenter()
{
    static Presenter instance;
    return instance;
}

QString title()
{
    return QApplication::applicationDisplayName();
}

} // namespace

void setPresenterForTest(Presenter p)
{
    presenter() = std::move(p);
}

void inform(QWidget *parent, const QString &text)
{
    if (presenter()) {
        presenter()(Kind::Information, text);
        return;
    }
    QMessageBox::information(parent, title(), text, QMessageBox::Ok);
}

void notify(QWidget *parent, const QString &text)
{
    if (presenter()) {
        presenter()(Kind::Information, text);
        return;
    }
    auto *box = new QMessageBox(QMessageBox::Information, title(), text, QMessageBox::Ok, parent);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

bool ask(QWidget *parent, const QString &text)
{
    if (presenter())
        return presenter()(Kind::Question, text);
    return QMessageBox::question(parent, title(), text, QMessageBox::Yes | QMessageBox::No) ==
           QMessageBox::Yes;
}

bool confirm(QWidget *parent, const QString &text)
{
    if (presenter())
        return presenter()(Kind::Confirmation, text);
    return QMessageBox::information(parent, title(), text, QMessageBox::Ok | QMessageBox::Cancel) ==
           QMessageBox::Ok;
}

} // namespace Messages
