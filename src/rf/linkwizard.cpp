#include "rf/linkwizard.h"

#include "app/messages.h"
#include "app/tform1.h"
#include "link/comport.h"
#include "module/moduledata.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>

namespace
{

const QString kStop = QStringLiteral("Stop");
const QString kTransferName = QStringLiteral("LinkControl");
constexpr int kRfTestsPage = 4;

class Wizard
{
public:
    explicit Wizard(TForm1 &form) : m_form(form), m_module(form.module()) {}

    void run();

private:
    QString text(const char *german, const char *english) const
    {
        return Messages::choose(m_form.languageIndex(), QString::fromUtf8(german),
                                QString::fromUtf8(english));
    }
    void inform(const char *german, const char *english)
    {
        Messages::inform(&m_form, text(german, english));
    }
    bool refused();
    void adjustModule1();
    // Clicks a button of another part as the user would. A port failure is reported by the port
    // and ends that part's handler; the wizard goes on with its next step.
    void click(QAbstractButton *button);
    void showRfTestsPage() { m_form.PageControl1->setCurrentIndex(kRfTestsPage); }
    bool cModuleConnected() const
    {
        return m_module.info.Edit_SW_Typ->text() == QLatin1String("C");
    }
    // Puts a text into the location box: its item where one matches, else the typed text.
    void setLocation(const QString &location);
    // Location box back as it was, transfer copy gone.
    void cleanUp(const QString &rememberedLocation);

    TForm1 &m_form;
    ModuleData &m_module;
};

void Wizard::click(QAbstractButton *button)
{
    try {
        m_form.performClick(button);
    } catch (const PortError &error) {
        Messages::inform(&m_form, error.text());
    }
}

bool Wizard::refused()
{
    if (m_form.hfTest.BtnStartHF_Test->text() == kStop) {
        inform("Träger wird ausgegeben, zuerst stoppen!", "Carrierout is running, stop first!");
        return true;
    }
    if (m_form.monitor.BtnMonitor_Start->text() == kStop) {
        inform("Monitor ist am laufen, zuerst ausschalten!", "Monitor is running, stop first!");
        return true;
    }
    if (m_form.hfTest.BtnStartLinkControl->text() == kStop) {
        inform("LinkControl ist am laufen, zuerst ausschalten!",
               "LinkControl is running, stop first!");
        return true;
    }
    return false;
}

void Wizard::adjustModule1()
{
    KonfigCControls &c = m_module.c;
    c.CheckBox_EEPROM_C->setChecked(true);
    c.CBox_Data_C3->setCurrentIndex(1); // "mit RSSI-TLG"
    c.CBox_Data_C4->setCurrentIndex(1); // "mit RSSI-RUHE"

    const int pcBaud = m_form.CBox_RS232_baud->currentIndex();
    if (c.CBox_RS232_baud_C->currentIndex() != pcBaud) {
        inform("RS232-Baudrate von PC und Modul müssen übereinstimmen\r\n"
               "RS232-Baudrate des Moduls wird auf die des PC gesetzt",
               "RS232 datarate of PC and module must be the same!\r\n"
               "RS232 datarate of module will be changed to datarate of PC");
    }
    c.CBox_RS232_baud_C->setCurrentIndex(pcBaud);

    const int transmit = c.CBox_Frq_TX_C->currentIndex();
    if (c.CBox_Frq_RX_C->currentIndex() != transmit) {
        inform("Sende- und Empfangsfrequenz müssen gleich sein,\r\n"
               "Empfangsfrequenz wird auf die Sendefrequenz gesetze",
               "Transmit and receive frequency must be equal.\r\n"
               "Receive frequency will be changed to transmit frequency");
    }
    c.CBox_Frq_RX_C->setCurrentIndex(transmit);
}

void Wizard::setLocation(const QString &location)
{
    QComboBox *box = m_module.save.CBox_Speicher;
    const int index = box->findText(location);
    box->setCurrentIndex(index);
    if (index < 0)
        box->setEditText(location);
}

void Wizard::cleanUp(const QString &rememberedLocation)
{
    setLocation(rememberedLocation);
    QFile::remove(m_form.programFolderPath() + kTransferName + QStringLiteral(".txt"));
}

void Wizard::run()
{
    if (refused())
        return;
    if (!Messages::ask(&m_form,
                       text("Die 2 für das Link Control benötigten Module werden in der folgenden "
                            "Menueführung konfiguriert.\r\n(=> Die Daten im EEPROM werden "
                            "verändert!)\r\n\r\nKonfiguration starten?",
                            "The wizard is configurating two modules for LinkControl.\r\n(=> "
                            "EEPROM values will be changed!)\r\n\r\nStart configuration?")))
        return;

    adjustModule1();
    click(m_form.BtnKonfigurieren);

    const QString rememberedLocation = m_module.save.CBox_Speicher->currentText();
    setLocation(kTransferName);
    click(m_module.save.BtnSave);
    click(m_form.BtnTrennen);

    inform("-> Modul-1 entfernen.\r\n-> Bei Modul-2 PWR-Jumper entfernen\r\n   und "
           "anschliessen.\r\n(anschliessend mit OK bestätigen)",
           "-> Disconnect module 1.\r\n-> Remove PWR-Jumper on module 2\r\n   and connect to "
           "PC.\r\n(then confirm with OK)");
    click(m_form.BtnVerbinden);
    showRfTestsPage();

    // Until a C module answers. Cancel is the way out for a user without a second C module.
    while (!cModuleConnected()) {
        click(m_form.BtnTrennen);
        const bool retry = Messages::confirm(
            &m_form, text("LinkControl nur mit C-Version möglich!\r\nModul mit C-Version "
                          "anschliessen.",
                          "LinkControl only works with transceiver version C!\r\nConnect "
                          "transceiver version C."));
        if (!retry) {
            cleanUp(rememberedLocation);
            return;
        }
        click(m_form.BtnVerbinden);
        showRfTestsPage();
    }

    setLocation(kTransferName);
    click(m_module.save.BtnLoad);
    click(m_form.BtnKonfigurieren);
    click(m_form.BtnTrennen);

    inform("Wieder Modul-1 anschliessen\r\n(anschliessend mit OK bestätigen)",
           "Reconnect module 1\r\n(then Confirm with OK)");
    inform("Bei Modul-2 PWR-Jumper und LinkControl-Stecker(DSUB) wieder stecken",
           "Assemble PWR-jumper and LinkControl-Connector(DSUB) on module 2.");
    click(m_form.BtnVerbinden);
    showRfTestsPage();

    setLocation(rememberedLocation);
    inform("Die beiden Module wurden erfolgreich für das LinkControl konfiguriert!\r\n"
           "LinkControl kann nun mit \"Start\" aktiviert werden.",
           "Configuration of module 1 and 2 successful!\r\nTo start LinkControl click the start "
           "button.");
    cleanUp(rememberedLocation);
}

} // namespace

void runLinkControlWizard(TForm1 &form)
{
    Wizard(form).run();
}
