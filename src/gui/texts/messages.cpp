#include "texts/messages.h"

#include "widgets/busycursor.h"

#include <QApplication>
#include <QMessageBox>

namespace Messages
{

// clang-format off
const MessageText kCommunicationError = {
    "Kommunikationsfehler!\r\n(COM und Baudrate überprüfen)",
    "Transmission error!\r\n(Check COM und baudrate)"};
const MessageText kDisconnectFirst = {"Zuerst Verbindung trennen!", "Disconnect first!"};
const MessageText kMonitorRunning = {
    "Monitor ist am laufen, zuerst ausschalten!",
    "Monitor is running, stop first!"};
const MessageText kLinkControlRunning = {
    "LinkControl ist am laufen, zuerst ausschalten!",
    "LinkControl is running, stop first!"};
const MessageText kCarrierRunning = {
    "Träger wird ausgegeben, zuerst stoppen!",
    "Carrierout is running, stop first!"};
const MessageText kLinkControlStopping = {
    "LinkControl wird beendet, bitte gleich noch einmal versuchen!",
    "LinkControl is stopping, please try again in a moment!"};
const MessageText kMonitorStopping = {
    "Monitor wird noch beendet, bitte erneut starten!",
    "Monitor is still stopping, please start again!"};
const MessageText kCarrierStopping = {
    "Träger wird noch beendet, bitte gleich noch einmal versuchen!",
    "Carrierout is still stopping, please try again in a moment!"};
const MessageText kExportNotCreated = {
    "Export-Datei konnte nicht angelegt werden!\r\n",
    "Could not create the export file!\r\n"};
const MessageText kExportNotWritten = {
    "Export-Datei konnte nicht geschrieben werden!\r\n",
    "Could not write the export file!\r\n"};
// clang-format on

namespace
{

Presenter &presenter()
{
    static Presenter instance;
    return instance;
}

QString title()
{
    return QStringLiteral("Korvel-Config");
}

// The window a box belongs to: the one the user is looking at, that is the program's modal
// dialog or active window (the spectrum or the LinkControl history when one of them is in
// front), else the caller's window. A box that belongs to a window behind the active one may
// open behind it too, and then blocks the program with nothing the user can see to click.
QWidget *boxParent(QWidget *caller)
{
    for (QWidget *shown : {QApplication::activeModalWidget(), QApplication::activeWindow()}) {
        if (shown && shown->isVisible())
            return shown;
    }
    return caller ? caller->window() : nullptr;
}

} // namespace

void setPresenterForTest(Presenter p)
{
    presenter() = std::move(p);
}

void inform(QWidget *parent, const QString &text)
{
    // The user's turn: the pointer over the box is the normal one even inside an operation.
    const NormalCursor pointer;
    if (presenter()) {
        presenter()(Kind::Information, text);
        return;
    }
    QMessageBox::information(boxParent(parent), title(), text, QMessageBox::Ok);
}

void notify(QWidget *parent, const QString &text)
{
    if (presenter()) {
        presenter()(Kind::Information, text);
        return;
    }
    auto *box = new QMessageBox(QMessageBox::Information, title(), text, QMessageBox::Ok,
                                boxParent(parent));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

bool ask(QWidget *parent, const QString &text)
{
    const NormalCursor pointer;
    if (presenter())
        return presenter()(Kind::Question, text);
    return QMessageBox::question(boxParent(parent), title(), text,
                                 QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

bool confirm(QWidget *parent, const QString &text)
{
    const NormalCursor pointer;
    if (presenter())
        return presenter()(Kind::Confirmation, text);
    return QMessageBox::information(boxParent(parent), title(), text,
                                    QMessageBox::Ok | QMessageBox::Cancel) == QMessageBox::Ok;
}

} // namespace Messages
