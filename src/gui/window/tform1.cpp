#include "window/tform1.h"

#include "common/settingsfile.h"
#include "link/catalogue.h"
#include "link/comport.h"
#include "link/exchangelog.h"
#include "link/linewait.h"
#include "link/simregistry.h"
#include "module/identification.h"
#include "module/itemcounts.h"
#include "module/moduledata.h"
#include "module/moduleidentity.h"
#include "moduletest/moduletests.h"
#include "monitor/monitorsweep.h"
#include "rf/carriertest.h"
#include "rf/linkcontrol.h"
#include "rf/linkrecorder.h"
#include "rf/sensitivityoption.h"
#include "texts/language.h"
#include "texts/languagechoice.h"
#include "texts/messages.h"
#include "widgets/accessiblenames.h"
#include "widgets/busycursor.h"
#include "widgets/pagescrollarea.h"
#include "widgets/portcombobox.h"
#include "widgets/taborder.h"
#include "window/aboutbox.h"
#include "window/datafolder.h"
#include "window/debugpanes.h"
#include "window/portlist.h"
#include "window/timeofday.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>

namespace
{

QStringList comboItems(const QComboBox *box)
{
    QStringList items;
    for (int i = 0; i < box->count(); ++i)
        items << box->itemText(i);
    return items;
}

} // namespace

TForm1::TForm1(const QString &programFolder, QWidget *parent)
    : QMainWindow(parent), m_programFolder(programFolder)
{
    setObjectName(QStringLiteral("Form1"));
    installAccessibleNames();
    if (m_programFolder.isEmpty())
        m_programFolder = programDataFolder();
    if (!m_programFolder.endsWith(QLatin1Char('/')))
        m_programFolder += QLatin1Char('/');

    m_port = std::make_unique<ComPort>();
    buildWindow();
    m_panes = std::make_unique<DebugPanes>(MemoTX, MemoRX);
    m_log = std::make_unique<ExchangeLog>(m_panes.get());
    DispatchHost &dispatchHost = *this;
    m_link = std::make_unique<ModuleLink>(*m_port, dispatchHost, *m_log);
    fillAppControls();
    ModuleHost &moduleHost = *this;
    m_module = std::make_unique<ModuleData>(*m_link, moduleHost, m_app, m_shared, m_activities);
    m_module->buildModulinfoPage(contentOf(Modulinfo));
    m_module->buildKonfigBPage(contentOf(Konfig_B));
    m_module->buildKonfigCPage(contentOf(Konfig_C));
    m_module->buildSaveGroup(GBox_Save_konfig);
    m_module->info.EditModTyp->installEventFilter(this);
    m_activities.setStartButtons(hfTest.BtnStartHF_Test, hfTest.BtnStartLinkControl,
                                 monitor.BtnMonitor_Start);
    m_carrier = std::make_unique<CarrierTest>(
        CarrierContext{hfTest, m_module->b, m_module->c, m_app, m_module->info.Edit_SW_Typ, *m_link,
                       moduleHost, m_shared, m_activities});
    buildMonitorHandlers();

    using Line = Activities::LineUser;
    onBusyClick(BtnVerbinden,
                [this] { onLine(BtnVerbinden, Line::ReadOut, [this] { BtnVerbindenClick(); }); });
    onClick(BtnTrennen, [this] { BtnTrennenClick(); });
    onClick(BtnDebugfenster, [this] { BtnDebugfensterClick(); });
    onClick(BtnClose, [this] { BtnCloseClick(); });
    onClick(BtnClear, [this] { BtnClearClick(); });
    onClick(BtnInfo, [this] { BtnInfoClick(); });
    onBusyClick(BtnAuslesen, [this] {
        onLine(BtnAuslesen, Line::ReadOut, [this] { m_module->BtnAuslesenClick(); });
    });
    onBusyClick(BtnKonfigurieren, [this] {
        onLine(BtnKonfigurieren, Line::Write,
               [this] { m_activities.setConfigurationWritten(m_module->BtnKonfigurierenClick()); });
    });
    onBusyClick(m_module->save.BtnSave, [this] { m_module->BtnSaveClick(); });
    onBusyClick(m_module->save.BtnLoad, [this] { m_module->BtnLoadClick(); });
    onBusyClick(hfTest.BtnLinkControl_konfig, [this] {
        onLine(hfTest.BtnLinkControl_konfig, Line::Wizard, [this] { runWizard(); });
    });
    buildTestPages();
    connectSelectors();
    connect(m_port.get(), &ComPort::bytesReceived, this,
            [this] { guarded([this] { m_link->receiveHandler(); }); });
    // The carrier test learns of the failure first, so that its loop ends without using the port;
    // then the user sees the failure once and the window disconnects.
    connect(m_port.get(), &ComPort::failed, m_carrier.get(), &CarrierTest::portFailed);
    connect(m_port.get(), &ComPort::failed, this, [this](const QString &text) {
        Messages::inform(this, text);
        disconnectAfterPortFailure();
    });
    // The carrier test runs until Stop, also when a read-out restarts it: the user's turn.
    onClick(hfTest.BtnStartHF_Test, [this] {
        const NormalCursor pointer;
        onLine(hfTest.BtnStartHF_Test, Line::Carrier,
               [this] { m_carrier->BtnStartHF_TestClick(); });
    });
    connect(hfTest.CBox_RX_TX_Switch_Test, &QComboBox::activated, m_carrier.get(),
            &CarrierTest::CBox_RX_TX_Switch_TestChange);
    connect(m_port.get(), &ComPort::outputEmpty, this,
            [this] { guarded([this] { m_carrier->ComPort1TxEmpty(); }); });

    finishLayout();
    buildPageKeys();
    // The controls are made page by page and group by group; Tab follows where they sit. The
    // monitor's slots run down the left column and then down the right one, as they are numbered.
    orderTabChain(centralWidget());
    for (int i = 1; i < MonitorControls::kSlots; ++i)
        setTabOrder(monitor.CBoxMonitor[i - 1], monitor.CBoxMonitor[i]);
    guarded([this] { formCreate(); });
    m_aboutBox = new TAboutBox(this);
}

TForm1::~TForm1()
{
    // The parts go before the widgets: nothing the port or the pages still send may reach them.
    m_port->disconnect();
    PageControl1->disconnect(this);
}

void TForm1::connectSelectors()
{
    // The selectors react to the user's choices only, never to the program's own changes.
    connect(CBox_COM, &QComboBox::activated, this,
            [this] { guarded([this] { CBox_COMChange(); }); });
    connect(CBox_COM->lineEdit(), &QLineEdit::textEdited, this,
            [this] { guarded([this] { CBox_COMChange(); }); });
    connect(CBox_COM, &PortComboBox::dropDown, this,
            [this] { guarded([this] { CBox_COMDropDown(); }); });
    connect(CBox_RS232_baud, &QComboBox::activated, this,
            [this] { guarded([this] { CBox_RS232_baudChange(); }); });
    connect(CBox_RS232_baud->lineEdit(), &QLineEdit::textEdited, this,
            [this] { guarded([this] { CBox_RS232_baudChange(); }); });
    connect(CBoxLanguage, &QComboBox::activated, this,
            [this] { guarded([this] { CBoxLanguageChange(); }); });
    connect(PageControl1, &QTabWidget::currentChanged, this, [this](int index) {
        if (m_pageRulesSuppressed != 0 || index == m_shownPage)
            return;
        // No key or gesture may bring up a hidden page; the shown one stays.
        if (index >= 0 && !PageControl1->isTabVisible(index)) {
            if (m_shownPage >= 0 && PageControl1->isTabVisible(m_shownPage))
                selectPage(m_shownPage);
            return;
        }
        guarded([this, index] { pageShown(index); });
    });
    PageControl1->tabBar()->installEventFilter(this);
    for (QWidget *field :
         {static_cast<QWidget *>(CBox_COM), static_cast<QWidget *>(CBox_RS232_baud),
          static_cast<QWidget *>(CBox_COM->lineEdit()),
          static_cast<QWidget *>(CBox_RS232_baud->lineEdit()),
          static_cast<QWidget *>(CheckBox_ComSave), static_cast<QWidget *>(BtnVerbinden)})
        field->installEventFilter(this);
}

template <typename Handler> void TForm1::onClick(QAbstractButton *button, Handler handler)
{
    connect(button, &QAbstractButton::clicked, this, [this, handler] { guarded(handler); });
}

template <typename Handler> void TForm1::onBusyClick(QAbstractButton *button, Handler handler)
{
    connect(button, &QAbstractButton::clicked, this, [this, handler] {
        const BusyCursor busy;
        guarded(handler);
    });
}

void TForm1::onLine(QAbstractButton *button, Activities::LineUser user,
                    const std::function<void()> &handler)
{
    const bool programClick = m_activities.takeProgramClick(button);
    // A start button that reads "Stop" stops its activity, whoever holds the line.
    if (button->text() == QLatin1String("Stop")) {
        handler();
        return;
    }
    const Activities::LineTurn turn = m_activities.requestLine(user, button, programClick);
    if (const MessageText *refusal = turn.refusal())
        showMessage(QString::fromUtf8(refusal->german), QString::fromUtf8(refusal->english));
    if (turn.granted())
        handler();
}

void TForm1::guarded(const std::function<void()> &handler)
{
    // The one place where failures of the serial port end a handler: the user sees the text and
    // the program goes on. Inside a performed click the failure is handed to the clicking handler.
    // Any other exception is a fault of the program, not of the port, and is not shown as one.
    // A loss of the port that the handler does not meet is reported when it has ended.
    const ComPort::Operation operation(*m_port);
    try {
        handler();
    } catch (const PortError &error) {
        if (m_clickDepth > 0) {
            if (!m_pendingError)
                m_pendingError = std::current_exception();
            return;
        }
        Messages::inform(this, error.text());
        if (error.operation() != PortOperation::ListPorts)
            disconnectAfterPortFailure();
    }
}

void TForm1::disconnectAfterPortFailure()
{
    // A failed port is no live connection: the window goes back to Disconnected, so that the
    // next connect starts afresh. The failure has been shown once; the port's further failures
    // while the window lets go of it are not.
    if (m_recoveringFromPortFailure)
        return;
    m_recoveringFromPortFailure = true;
    try {
        if (isDisconnected())
            m_port->close();
        else
            BtnTrennenClick();
    } catch (const PortError &) {
        m_port->close();
    }
    m_recoveringFromPortFailure = false;
}

void TForm1::performClick(QAbstractButton *button)
{
    ++m_clickDepth;
    m_activities.markProgramClick(button);
    emit button->clicked(false);
    m_activities.markProgramClick(nullptr);
    --m_clickDepth;
    if (m_pendingError)
        std::rethrow_exception(std::exchange(m_pendingError, nullptr));
}

void TForm1::buildMonitorHandlers()
{
    MonitorEnvironment env;
    env.link = m_link.get();
    env.host = this;
    env.shared = &m_shared;
    env.CBox_RS232_baud = CBox_RS232_baud;
    env.Edit_SW_Typ = m_module->info.Edit_SW_Typ;
    env.Edit_Frq_Version = m_module->info.Edit_Frq_Version;
    env.CBox_Frq_RX_B = m_module->b.CBox_Frq_RX_B;
    env.CBox_Frq_RX_C = m_module->c.CBox_Frq_RX_C;
    env.CBox_K_breite_B = m_module->b.CBox_K_breite_B;
    env.CBox_HFbaud_C = m_module->c.CBox_HFbaud_C;
    env.BtnVerbinden = BtnVerbinden;
    m_monitorHandlers = std::make_unique<MonitorHandlers>(
        monitor, env, m_activities, this,
        [this](const std::function<void()> &handler) { guarded(handler); },
        [this](const std::function<void()> &handler) {
            guarded(
                [&] { onLine(monitor.BtnMonitor_Start, Activities::LineUser::Monitor, handler); });
        });
}

void TForm1::BtnInfoClick()
{
    m_aboutBox->setDataFolder(dataFolder());
    m_aboutBox->fillTexts(languageIndex());
    m_aboutBox->exec();
}

bool TForm1::isDisconnected() const
{
    return BtnVerbinden->isEnabled();
}

QString TForm1::settingsPath() const
{
    return m_programFolder + QLatin1String(kSettingsFileName);
}

void TForm1::formCreate()
{
    fitToScreen();
    refreshPortList();
    CBox_COM->setCurrentIndex(-1);

    performClick(monitor.BtnMonitor_FrqClear);
    performClick(hfTest.BtnLinkControl_Clear);

    // A language the user chose before wins over the system's language, whether or not there
    // is a settings file (it holds no language). The choice made here is not written: only the
    // user's own switch is remembered.
    setLanguageIndex(readLanguageChoice(languagePath()).value_or(systemLanguageIndex()));
    const auto settings = readComSettings(settingsPath());
    if (!settings)
        return;
    CheckBox_ComSave->setChecked(settings->save);
    if (CheckBox_ComSave->isChecked()) {
        // The port by its name where the file keeps one: a typed path, or a list that the
        // system's ports have reordered, comes back as it was.
        m_settingsPortName = settings->portName;
        const QString name = portNameText(settings->portName);
        if (!name.isEmpty()) {
            const int named = CBox_COM->findText(name);
            CBox_COM->setCurrentIndex(named);
            if (named < 0)
                CBox_COM->setEditText(name);
        } else {
            CBox_COM->setCurrentIndex(settings->portIndex < CBox_COM->count() ? settings->portIndex
                                                                              : -1);
        }
        CBox_RS232_baud->setCurrentIndex(
            settings->baudIndex < CBox_RS232_baud->count() ? settings->baudIndex : -1);
        applyBaudSelection(true);
        CBox_COMChange();
    }
}

void TForm1::closeEvent(QCloseEvent *event)
{
    if (LineWait::active()) {
        // In the middle of an exchange: the window closes once the operation is over.
        event->ignore();
        LineWait::afterWait(this, [this] { close(); });
        return;
    }
    guarded([this] {
        if (m_activities.monitorStarted())
            performClick(monitor.BtnMonitor_Start);
        // A LinkControl run ends at once, without waiting for its cycle.
        if (m_activities.linkControlStarted())
            performClick(hfTest.BtnStartLinkControl);
        m_linkControl->endRunNow();
    });
    // A running carrier test ends with the window: its loop returns, the module goes back to
    // receive and the configuration is restored.
    guarded([this] {
        if (m_activities.carrierStarted())
            performClick(hfTest.BtnStartHF_Test);
    });
    if (CheckBox_ComSave->isChecked()) {
        ComSettings settings;
        settings.save = true;
        settings.portIndex =
            shownItemIndex(comboItems(CBox_COM), CBox_COM->currentIndex(), CBox_COM->currentText());
        settings.portName = portNameBytes(CBox_COM->currentText(), m_settingsPortName);
        settings.baudIndex =
            shownItemIndex(comboItems(CBox_RS232_baud), CBox_RS232_baud->currentIndex(),
                           CBox_RS232_baud->currentText());
        // A failed write leaves the old file as it was.
        const QString reason = writeComSettings(settingsPath(), settings);
        if (!reason.isEmpty())
            showMessage(QStringLiteral("INI-File konnte nicht geschrieben werden!\r\n%1\r\n%2")
                            .arg(settingsPath(), reason),
                        QStringLiteral("Could not write the INI file!\r\n%1\r\n%2")
                            .arg(settingsPath(), reason));
    } else {
        QFile::remove(settingsPath());
    }
    event->accept();
}

void TForm1::CBox_COMChange()
{
    if (isDisconnected()) {
        m_port->setPortName(CBox_COM->currentText());
        return;
    }
    CBox_COM->setCurrentIndex(-1);
    CBox_COM->setEditText(QString());
    showMessage(QString::fromUtf8(Messages::kDisconnectFirst.german),
                QString::fromUtf8(Messages::kDisconnectFirst.english));
}

void TForm1::CBox_COMDropDown()
{
    const QString text = CBox_COM->currentText();
    refreshPortList();
    CBox_COM->setCurrentIndex(CBox_COM->findText(text));
    CBox_COM->setEditText(text);
}

void TForm1::refreshPortList()
{
    const QStringList ports = m_port->listPorts();
    fillPortSelector(CBox_COM,
                     buildPortItems(ports, m_port->portDescriptions(), SimRegistry::running()));
}

void TForm1::CBox_RS232_baudChange()
{
    applyBaudSelection(false);
}

void TForm1::applyBaudSelection(bool forced)
{
    if (forced || isDisconnected()) {
        int index = CBox_RS232_baud->currentIndex();
        if (index < 0 || CBox_RS232_baud->itemText(index) != CBox_RS232_baud->currentText())
            index = CBox_RS232_baud->findText(CBox_RS232_baud->currentText());
        if (const auto baud = pcBaudRate(index))
            m_port->setBaudRate(*baud);
        return;
    }
    CBox_RS232_baud->setCurrentIndex(-1);
    CBox_RS232_baud->setEditText(QString());
    showMessage(QString::fromUtf8(Messages::kDisconnectFirst.german),
                QString::fromUtf8(Messages::kDisconnectFirst.english));
}

void TForm1::BtnVerbindenClick()
{
    // A click takes the focus first, and a selector makes its typed text the selection as the
    // focus leaves it, while the window is still disconnected. Return and Alt+V leave the focus in
    // the field, where that would come once connected and be refused: it moves the same way here.
    if (isConnectionField(focusWidget()))
        BtnVerbinden->setFocus(Qt::OtherFocusReason);
    if (CBox_COM->currentText().isEmpty() || CBox_RS232_baud->currentText().isEmpty()) {
        showMessage(QStringLiteral("zuerst COM-Port und/oder Baudrate wählen!"),
                    QStringLiteral("Choose COM-port and/or baudrate first!"));
        return;
    }
    if (CBox_COM->currentText() == QLatin1String("DEMO")) {
        startDemonstration();
        return;
    }
    powerUpModule(*m_port, *m_link, [this](int ms) { sleepMs(ms); });
    BtnVerbinden->setEnabled(false);
    if (!finishConnection(*m_port, *this)) {
        BtnTrennenClick();
        showCommunicationError();
        BtnAuslesen->hide();
        return;
    }
    BtnTrennen->setEnabled(true);
    Panel_keine_Verbindung->hide();
    Panel_keine_Verbindung2->hide();
    BtnKonfigurieren->setEnabled(true);
    BtnAuslesen->setEnabled(true);
    for (QWidget *page : {Modulinfo, Modultest, HF_Test, Monitor})
        setTabVisible(page, true);
    selectPage(0);
    m_module->readModule();
}

void TForm1::startDemonstration()
{
    BtnTrennen->setEnabled(true);
    for (QPushButton *button :
         {BtnVerbinden, modultest.BtnTemp, modultest.BtnVCC, modultest.BtnRSSI_Aktuell,
          modultest.BtnRSSI_MAX, modultest.BtnRecal, modultest.BtnSleep, hfTest.BtnStartHF_Test,
          hfTest.BtnStartLinkControl, hfTest.BtnLinkControl_konfig, monitor.BtnMonitor_Start})
        button->setEnabled(false);
    const bool cVersion = Messages::ask(
        this, Messages::choose(languageIndex(), QStringLiteral("Demo für C-Version starten?"),
                               QStringLiteral("Demo for C-Version?")));
    setTabVisible(cVersion ? Konfig_C : Konfig_B, true);
    m_module->info.Edit_SW_Typ->setText(cVersion ? QStringLiteral("C") : QStringLiteral("B"));
    for (QWidget *page : {Modulinfo, Modultest, Monitor, HF_Test})
        setTabVisible(page, true);
    selectPage(0);
    Panel_keine_Verbindung->hide();
    Panel_keine_Verbindung2->show();
}

void TForm1::BtnTrennenClick()
{
    if (m_activities.carrierStarted())
        performClick(hfTest.BtnStartHF_Test);
    if (m_activities.linkControlStarted())
        performClick(hfTest.BtnStartLinkControl);
    m_monitorHandlers->disconnected();
    selectPage(0);

    const QString placeholder =
        Messages::choose(languageIndex(), QStringLiteral("(wählen)"), QStringLiteral("(choose)"));
    m_moduleTests->disconnected(placeholder);
    m_carrier->disconnected(placeholder);
    m_linkControl->disconnected();
    BtnVerbinden->setEnabled(true);
    BtnTrennen->setEnabled(false);
    for (QPushButton *button : {BtnKonfigurieren, BtnAuslesen}) {
        button->setEnabled(false);
        button->hide();
    }

    for (QWidget *page : {Modultest, HF_Test, Monitor, Konfig_B, Konfig_C})
        setTabVisible(page, false);
    selectPage(0);
    setTabVisible(Modulinfo, false);

    m_port->close();
    m_port->setReadTimeout(1000);
    m_module->disconnected();
    Panel_keine_Verbindung->show();
    Panel_keine_Verbindung2->hide();
    m_activities.disconnected();
}

void TForm1::showCommunicationError()
{
    showMessage(QString::fromUtf8(Messages::kCommunicationError.german),
                QString::fromUtf8(Messages::kCommunicationError.english));
}

void TForm1::showMessage(const QString &german, const QString &english)
{
    Messages::inform(this, Messages::choose(languageIndex(), german, english));
}

void TForm1::sleepMs(int ms)
{
    LineWait::sleepMs(ms);
}

QString TForm1::softwareTypeLetter() const
{
    return m_module->info.Edit_SW_Typ->text();
}

void TForm1::setSoftwareTypeLetter(const QString &letter)
{
    m_module->info.Edit_SW_Typ->setText(letter);
}

QString TForm1::calibrationStatus() const
{
    return m_module->info.Edit_Caldata->text();
}

void TForm1::setCalibrationStatus(const QString &text)
{
    m_module->info.Edit_Caldata->setText(text);
}

void TForm1::showRecalibrationStatus(const QString &text)
{
    modultest.Edit_Recall_stat->setText(text);
    modultest.Label_last_cal_uhr->setText(timeOfDayText());
    modultest.Label_last_cal_uhr->show();
}

void TForm1::showMaximumRssi(int dbm)
{
    modultest.Edit_RSSI_MAX->setText(QString::number(dbm) + QStringLiteral("dBm"));
    modultest.Label_last_RSSI_MAX_Uhr->setText(timeOfDayText());
    modultest.Label_last_RSSI_MAX_Uhr->show();
}

void TForm1::moduleWokeUp(bool cModule)
{
    modultest.BtnWakeup->setEnabled(false);
    for (QPushButton *button : {modultest.BtnSleep, modultest.BtnRecal, modultest.BtnRSSI_MAX,
                                modultest.BtnRSSI_Aktuell, modultest.BtnTemp, modultest.BtnVCC,
                                BtnKonfigurieren, hfTest.BtnStartHF_Test, monitor.BtnMonitor_Start})
        button->setEnabled(true);
    if (cModule) {
        BtnAuslesen->setEnabled(true);
        hfTest.BtnLinkControl_konfig->setEnabled(true);
        hfTest.BtnStartLinkControl->setEnabled(true);
    } else if (firmwareType(softwareTypeLetter()) != FirmwareType::Calibration) {
        BtnAuslesen->setEnabled(true);
    }
}
