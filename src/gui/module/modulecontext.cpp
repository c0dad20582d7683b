#include "module/modulecontext.h"
#include "texts/messages.h"

#include <QLineEdit>

QString ModuleContext::typeLetter() const
{
    return info.Edit_SW_Typ ? info.Edit_SW_Typ->text() : QString();
}

void ModuleContext::reportCommunicationError()
{
    host.disconnectModule();
    host.showMessage(QString::fromUtf8(Messages::kCommunicationError.german),
                     QString::fromUtf8(Messages::kCommunicationError.english));
}

void setButtonEnabled(QWidget *button, bool enabled)
{
    if (button)
        button->setEnabled(enabled);
}
