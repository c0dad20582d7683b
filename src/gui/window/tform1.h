#pragma once

#include "link/modulelink.h"
#include "module/modulehost.h"
#include "moduletest/moduletestpage.h"
#include "monitor/monitorhandlers.h"
#include "monitor/monitorpage.h"
#include "rf/hftestpage.h"
#include "window/activities.h"
#include "window/unlocksequence.h"

#include <QMainWindow>

#include <exception>
#include <functional>
#include <memory>

class CarrierTest;
class ComPort;
class LinkControl;
class ModuleTests;
class SensitivityOption;
class LinkRecorder;
class TPasswordDlg;
class DebugPanes;
class ExchangeLog;
class ModuleData;
class PortComboBox;
class QAbstractButton;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;
class TAboutBox;
class YieldingColumn;

// The main window: connection group, the six pages, the debug window, and the connection
// lifecycle. The controls are the program's record of the module and its configuration.
class TForm1 : public QMainWindow, private DispatchHost, private ModuleHost
{
    Q_OBJECT
public:
    static constexpr int kNarrowWidth = 575;
    static constexpr int kWideWidth = 970;
    static constexpr int kHeight = 940;
    static constexpr int kWindowMargin = 4;

    // programFolder holds the settings file and the stored configurations; empty means the
    // program's data folder (programDataFolder()).
    explicit TForm1(const QString &programFolder = QString(), QWidget *parent = nullptr);
    ~TForm1() override;

    int languageIndex() const { return m_shared.languageIndex; }
    void setLanguageIndex(int index);
    bool isDisconnected() const;
    // The folder of the settings file and the stored configurations, with a trailing separator.
    QString dataFolder() const { return m_programFolder; }

    // Read-only views of the state that no control shows, for tests and benchmarks; the
    // controls themselves are found by their object names.
    const ComPort &port() const { return *m_port; }
    const Activities &activities() const { return m_activities; }
    const SharedState &shared() const { return m_shared; }
    const CarrierTest &carrier() const { return *m_carrier; }
    const LinkRecorder &linkRecorder() const { return *m_linkRecorder; }
    const MonitorHandlers &monitorHandlers() const { return *m_monitorHandlers; }
    // The receiver bandwidth that a read-out computes from the module's configuration.
    void setReceiverBandwidthForTest(double kHz) { m_shared.RBW = kHz; }

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Handlers named after their controls.
    void BtnVerbindenClick();
    void BtnTrennenClick(); // Disconnect
    void CBox_COMChange();
    void CBox_COMDropDown();
    void CBox_RS232_baudChange();
    void BtnDebugfensterClick();
    void BtnCloseClick();
    void BtnClearClick();
    void BtnInfoClick();
    void CBoxLanguageChange();

    // Layout
    void buildWindow();
    QGroupBox *buildConnectionGroup();
    QGroupBox *buildModuleGroup();
    QGroupBox *buildDebugGroup();
    void fillAppControls();
    // Geometry: the window's width follows its texts, its height the screen.
    void finishLayout();
    void fitToScreen();
    void fitWidth();
    // frame and client: the window's geometry before the changes that it now fits. A shown group
    // makes the window grow at once, where on Wayland it must not.
    void fitWidth(const QRect &frame, const QRect &client);
    void relayout();
    template <typename Handler> void onClick(QAbstractButton *button, Handler handler);
    // A click that starts an operation talking to the module: the pointer shows busy until it
    // ends.
    template <typename Handler> void onBusyClick(QAbstractButton *button, Handler handler);

    // Lifecycle
    void formCreate();
    void connectSelectors();
    void startDemonstration();
    void selectPage(int index);
    // Ctrl+PgDn, Ctrl+Tab and their reverses turn the page wherever the focus is.
    void buildPageKeys();
    // +1 or -1 for an arrow key or wheel event on the tab bar, 0 for any other event.
    int pageStepOf(QEvent *event) const;
    // The next page in that direction that is shown and enabled.
    void stepPage(int step);
    void refreshPortList();
    // The selectors, the save box and the connect button: Return there connects.
    bool isConnectionField(const QObject *object) const;
    void pageShown(int index);
    void setTabVisible(QWidget *page, bool visible);
    void setDebugWindowVisible(bool visible);
    void applyLanguage();
    void keepingRunningCaptions(const std::function<void()> &setTexts);
    void buildMonitorHandlers();
    void buildLanguageButton();
    void guarded(const std::function<void()> &handler);
    // A click that starts user on the line: handler runs when the turn is granted, the click
    // waits or is refused (with its message) while another activity holds the line.
    void onLine(QAbstractButton *button, Activities::LineUser user,
                const std::function<void()> &handler);
    void buildTestPages();
    void runWizard();
    // After the port's failure has been shown: Disconnect, unless the window is disconnected.
    void disconnectAfterPortFailure();
    void showCommunicationError();
    QString settingsPath() const;
    QString languagePath() const;

    // DispatchHost
    QString softwareTypeLetter() const override;
    void setSoftwareTypeLetter(const QString &letter) override;
    QString calibrationStatus() const override;
    void setCalibrationStatus(const QString &text) override;
    void showRecalibrationStatus(const QString &text) override;
    void showMaximumRssi(int dbm) override;
    void moduleWokeUp(bool cModule) override;
    bool linkControlRunning() const override { return m_activities.linkControlRunning(); }

    // ModuleHost
    void disconnectModule() override { BtnTrennenClick(); }
    void showMessage(const QString &german, const QString &english) override;
    void applyBaudSelection(bool forced) override;
    // Runs a click on a button as its handler would; a port error in it travels to the caller.
    void performClick(QAbstractButton *button) override;
    void sleepMs(int ms) override;
    QString programFolder() const override { return m_programFolder; }

    // Connection group
    QGroupBox *RS232Einstellungen = nullptr;
    QLabel *Label_RS232_PC_1 = nullptr;
    PortComboBox *CBox_COM = nullptr;
    QLabel *Label_RS232_PC_2 = nullptr;
    QComboBox *CBox_RS232_baud = nullptr;
    QLabel *Label_RS232_PC_3 = nullptr;
    QCheckBox *CheckBox_ComSave = nullptr;
    QPushButton *BtnVerbinden = nullptr;
    QPushButton *BtnTrennen = nullptr;
    QPushButton *BtnInfo = nullptr;
    QPushButton *BtnDebugfenster = nullptr;
    QComboBox *CBoxLanguage = nullptr;
    QPushButton *BtnLanguage = nullptr; // the visible way to CBoxLanguage

    // Module group
    QGroupBox *ModulEinsetlllungen = nullptr;
    QTabWidget *PageControl1 = nullptr;
    QWidget *Modulinfo = nullptr;
    QWidget *Konfig_B = nullptr;
    QWidget *Konfig_C = nullptr;
    QWidget *Modultest = nullptr;
    QWidget *HF_Test = nullptr;
    QWidget *Monitor = nullptr;
    QPushButton *BtnAuslesen = nullptr;
    QPushButton *BtnKonfigurieren = nullptr;
    QLabel *Panel_keine_Verbindung = nullptr;
    QLabel *Panel_keine_Verbindung2 = nullptr;
    QGroupBox *GBox_Save_konfig = nullptr;

    // The connection and module groups, which yield width to the debug window where the window
    // cannot grow for it.
    YieldingColumn *m_leftColumn = nullptr;

    // Debug window
    QGroupBox *GBox_Debugfenster = nullptr;
    QPlainTextEdit *MemoTX = nullptr;
    QPlainTextEdit *MemoRX = nullptr;
    QPushButton *BtnClose = nullptr;
    QPushButton *BtnClear = nullptr;

    ModultestControls modultest;
    HfTestControls hfTest;
    MonitorControls monitor;

    // The widgets, the dialogs among them, belong to the window as their Qt parent; the parts
    // without a widget are owned here and go before the widgets they work on.
    TAboutBox *m_aboutBox = nullptr;
    TPasswordDlg *m_passwordDlg = nullptr;
    QString m_programFolder;
    // The port's name as the settings file held it at the start, byte for byte.
    QByteArray m_settingsPortName;
    SharedState m_shared;
    AppControls m_app;
    Activities m_activities;
    std::unique_ptr<ComPort> m_port;
    std::unique_ptr<DebugPanes> m_panes;
    std::unique_ptr<ExchangeLog> m_log; // goes before the panes it writes to
    std::unique_ptr<ModuleLink> m_link;
    std::unique_ptr<ModuleData> m_module;
    std::unique_ptr<CarrierTest> m_carrier;
    std::unique_ptr<MonitorHandlers> m_monitorHandlers;
    std::unique_ptr<ModuleTests> m_moduleTests;
    std::unique_ptr<LinkControl> m_linkControl;
    std::unique_ptr<LinkRecorder> m_linkRecorder;
    std::unique_ptr<SensitivityOption> m_sensitivity;
    UnlockSequence m_unlock;
    int m_shownPage = -1;
    int m_debugShift = 0; // how far the opened debug window moved the window to the left
    bool m_fittedAtShow = false;
    int m_pageRulesSuppressed = 0;
    int m_clickDepth = 0;
    bool m_recoveringFromPortFailure = false;
    std::exception_ptr m_pendingError;
};
