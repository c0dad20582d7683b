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
    const NormalCursor pointer;
    if (presenter())
        return presenter()(Kind::Question, text);
    return QMessageBox::question(parent, title(), text, QMessageBox::Yes | QMessageBox::No) ==
           QMessageBox::Yes;
}

bool confirm(QWidget *parent, const QString &text)
{
    const NormalCursor pointer;
    if (presenter())
        return presenter()(Kind::Confirmation, text);
    return QMessageBox::information(parent, title(), text, QMessageBox::Ok | QMessageBox::Cancel) ==
           QMessageBox::Ok;
}

} // namespace Messages
