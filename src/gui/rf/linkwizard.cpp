#include "rf/linkwizard.h"

#include "link/comport.h"
#include "module/identification.h"
#include "module/moduledata.h"
#include "texts/messages.h"
#include "texts/wizardtexts.h"
#include "window/activities.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>

namespace
{

const QString kTransferName = QStringLiteral("LinkControl");
constexpr int kRfTestsPage = 4;

class Wizard
{
public:
    explicit Wizard(const LinkWizardContext &context) : m_ctx(context), m_module(context.module) {}

    void run();

private:
    QString text(const MessageText &message) const
    {
        return QString::fromUtf8(m_ctx.shared.languageIndex == 0 ? message.german
                                                                 : message.english);
    }
    void inform(const MessageText &message) { Messages::inform(m_ctx.window, text(message)); }
    bool refused();
    void adjustModule1();
    // Clicks a button of another part as the user would. A port failure is reported by the port
    // and ends that part's handler; the wizard goes on with its next step.
    void click(QAbstractButton *button);
    // Clicks the configuration write. False when the module did not get the configuration (the
    // write was refused or failed, and said so): the wizard then ends without its success.
    bool write()
    {
        click(m_ctx.BtnKonfigurieren);
        return m_ctx.activities.configurationWritten();
    }
    void showRfTestsPage() { m_ctx.PageControl1->setCurrentIndex(kRfTestsPage); }
    // A C module read out on the open port just now: a connect that failed leaves the type
    // letter of the module before, so the letter is cleared before each connect.
    bool cModuleConnected() const
    {
        return m_ctx.port.isOpen() && !m_ctx.BtnVerbinden->isEnabled() &&
               firmwareType(m_module.info.Edit_SW_Typ->text()) == FirmwareType::C;
    }
    void connectModule2()
    {
        m_module.info.Edit_SW_Typ->clear();
        click(m_ctx.BtnVerbinden);
        showRfTestsPage();
    }
    // Puts a text into the location box: its item where one matches, else the typed text.
    void setLocation(const QString &location);
    // Location box back as it was, transfer copy gone.
    void cleanUp(const QString &rememberedLocation);

    const LinkWizardContext &m_ctx;
    ModuleData &m_module;
};

void Wizard::click(QAbstractButton *button)
{
    try {
        m_ctx.host.performClick(button);
    } catch (const PortError &error) {
        Messages::inform(m_ctx.window, error.text());
    }
}

bool Wizard::refused()
{
    using Kind = Activities::Kind;
    const MessageText *running =
        m_ctx.activities.startedOf({Kind::Carrier, Kind::Monitor, Kind::LinkControl});
    if (running)
        inform(*running);
    return running != nullptr;
}

void Wizard::adjustModule1()
{
    KonfigCControls &c = m_module.c;
    c.CheckBox_EEPROM_C->setChecked(true);
    c.CBox_Data_C3->setCurrentIndex(1); // "mit RSSI-TLG"
    c.CBox_Data_C4->setCurrentIndex(1); // "mit RSSI-RUHE"

    const int pcBaud = m_ctx.CBox_RS232_baud->currentIndex();
    if (c.CBox_RS232_baud_C->currentIndex() != pcBaud) {
        inform(kWizardBaudAdjusted);
    }
    c.CBox_RS232_baud_C->setCurrentIndex(pcBaud);

    const int transmit = c.CBox_Frq_TX_C->currentIndex();
    if (c.CBox_Frq_RX_C->currentIndex() != transmit) {
        inform(kWizardChannelAdjusted);
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
    QFile::remove(m_ctx.host.programFolder() + kTransferName + QStringLiteral(".txt"));
}

void Wizard::run()
{
    if (refused())
        return;
    if (!Messages::ask(m_ctx.window, text(kWizardStart)))
        return;

    adjustModule1();
    if (!write())
        return;

    const QString rememberedLocation = m_module.save.CBox_Speicher->currentText();
    setLocation(kTransferName);
    click(m_module.save.BtnSave);
    click(m_ctx.BtnTrennen);

    inform(kWizardSwapToModule2);
    connectModule2();

    // Until a C module answers. Cancel is the way out for a user without a second C module.
    while (!cModuleConnected()) {
        click(m_ctx.BtnTrennen);
        const bool retry = Messages::confirm(m_ctx.window, text(kWizardNeedsCModule));
        if (!retry) {
            cleanUp(rememberedLocation);
            return;
        }
        connectModule2();
    }

    setLocation(kTransferName);
    click(m_module.save.BtnLoad);
    if (!write()) {
        cleanUp(rememberedLocation);
        return;
    }
    click(m_ctx.BtnTrennen);

    inform(kWizardBackToModule1);
    inform(kWizardAssembleModule2);
    click(m_ctx.BtnVerbinden);
    showRfTestsPage();

    setLocation(rememberedLocation);
    inform(kWizardDone);
    cleanUp(rememberedLocation);
}

} // namespace

void runLinkControlWizard(const LinkWizardContext &context)
{
    Wizard(context).run();
}
