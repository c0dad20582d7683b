#include "module/modulecontext.h"

#include <QLineEdit>

QString ModuleContext::typeLetter() const
{
    return info.Edit_SW_Typ ? info.Edit_SW_Typ->text() : QString();
}

void ModuleContext::reportCommunicationError()
{
    host.disconnectModule();
    host.showMessage(QStringLiteral("Kommunikationsfehler!\r\n(COM und Baudrate überprüfen)"),
                     QStringLiteral("Transmission error!\r\n(Check COM und baudrate)"));
}

void setButtonEnabled(QWidget *button, bool enabled)
{
    if (button)
        button->setEnabled(enabled);
}
