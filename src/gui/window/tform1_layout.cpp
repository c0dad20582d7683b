#include "module/moduledata.h"
#include "module/tables.h"
#include "widgets/contrast.h"
#include "widgets/pagescrollarea.h"
#include "widgets/portcombobox.h"
#include "widgets/yieldingcolumn.h"
#include "window/tform1.h"

#include <QActionGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStackedLayout>
#include <QTabWidget>
#include <QVBoxLayout>

namespace
{

template <typename T> T *named(T *widget, const char *name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

QLabel *notConnectedPanel(const char *name, int pointSize)
{
    auto *panel = named(new QLabel(QStringLiteral("RS232 nicht verbunden!")), name);
    QFont font = panel->font();
    font.setBold(true);
    font.setPointSize(pointSize);
    panel->setFont(font);
    keepTextReadable(panel, [](const QPalette &) { return QColor(Qt::red); });
    panel->setAlignment(Qt::AlignCenter);
    return panel;
}

// The column of the connection and module groups: at least as wide as the window's design
// width, wider where its texts need more.
class DesignWidthColumn : public QWidget
{
public:
    explicit DesignWidthColumn(int designWidth, QWidget *parent)
        : QWidget(parent), m_designWidth(designWidth)
    {
    }
    QSize minimumSizeHint() const override
    {
        const QSize hint = QWidget::minimumSizeHint();
        return {std::max(hint.width(), m_designWidth), hint.height()};
    }
    QSize sizeHint() const override { return QWidget::sizeHint().expandedTo(minimumSizeHint()); }

private:
    int m_designWidth;
};

} // namespace

void TForm1::buildWindow()
{
    setWindowTitle(QStringLiteral("Konfigurationstool für Korvel433/868-xx-xx"));
    auto *central = new QWidget(this);
    auto *columns = new QHBoxLayout(central);
    columns->setContentsMargins(kWindowMargin, kWindowMargin, kWindowMargin, kWindowMargin);
    columns->setSpacing(kWindowMargin);
    auto *left = new DesignWidthColumn(kNarrowWidth - 2 * kWindowMargin, central);
    auto *leftLayout = new QVBoxLayout(left);
    leftLayout->setContentsMargins(0, 0, 0, 0);
    leftLayout->addWidget(buildConnectionGroup());
    leftLayout->addWidget(buildModuleGroup(), 1);
    // Where the window cannot grow for the debug window, the column gives it room.
    m_leftColumn = new YieldingColumn(left, central);
    columns->addWidget(m_leftColumn, 1);
    columns->addWidget(buildDebugGroup());
    setCentralWidget(central);
    resize(kNarrowWidth, kHeight);
}

QGroupBox *TForm1::buildConnectionGroup()
{
    RS232Einstellungen =
        named(new QGroupBox(QStringLiteral("RS232-Einstellungen PC ")), "RS232Einstellungen");
    auto *grid = new QGridLayout(RS232Einstellungen);

    Label_RS232_PC_1 = named(new QLabel(QStringLiteral("Verbindung über:")), "Label_RS232_PC_1");
    CBox_COM = named(new PortComboBox, "CBox_COM");
    CBox_COM->setEditable(true);
    CBox_COM->setInsertPolicy(QComboBox::NoInsert);
    CBox_COM->addItems({QStringLiteral("COM1"), QStringLiteral("COM2"), QStringLiteral("COM3"),
                        QStringLiteral("COM4"), QStringLiteral("COM5")});
    CBox_COM->setCurrentIndex(-1);
    CBox_COM->setMinimumWidth(100);
    Label_RS232_PC_2 = named(new QLabel(QStringLiteral("mit")), "Label_RS232_PC_2");
    CBox_RS232_baud = named(new QComboBox, "CBox_RS232_baud");
    CBox_RS232_baud->setEditable(true);
    CBox_RS232_baud->setInsertPolicy(QComboBox::NoInsert);
    CBox_RS232_baud->addItems({QStringLiteral("1200"), QStringLiteral("2400"),
                               QStringLiteral("4800"), QStringLiteral("9600"),
                               QStringLiteral("19200"), QStringLiteral("38400"),
                               QStringLiteral("57600"), QStringLiteral("115200")});
    CBox_RS232_baud->setCurrentIndex(-1);
    Label_RS232_PC_3 = named(new QLabel(QStringLiteral("baud")), "Label_RS232_PC_3");
    CheckBox_ComSave = named(
        new QCheckBox(QStringLiteral("Einstellung beim Beenden speichern (erzeugt INI-File)")),
        "CheckBox_ComSave");
    BtnVerbinden = named(new QPushButton(QStringLiteral("verbinden")), "BtnVerbinden");
    BtnTrennen = named(new QPushButton(QStringLiteral("trennen")), "BtnTrennen");
    BtnTrennen->setEnabled(false);
    BtnInfo = named(new QPushButton(QStringLiteral("Info")), "BtnInfo");
    BtnDebugfenster = named(new QPushButton(QStringLiteral("Debug")), "BtnDebugfenster");
    CBoxLanguage = named(new QComboBox(RS232Einstellungen), "CBoxLanguage");
    CBoxLanguage->addItems({QStringLiteral("Deutsch"), QStringLiteral("English")});
    CBoxLanguage->setCurrentIndex(-1);
    CBoxLanguage->hide();
    buildLanguageButton();

    grid->addWidget(Label_RS232_PC_1, 0, 0);
    grid->addWidget(CBox_COM, 0, 1);
    grid->addWidget(Label_RS232_PC_2, 0, 2);
    grid->addWidget(CBox_RS232_baud, 0, 3);
    grid->addWidget(Label_RS232_PC_3, 0, 4);
    grid->addWidget(BtnVerbinden, 0, 5);
    grid->addWidget(BtnTrennen, 0, 6);
    grid->addWidget(CheckBox_ComSave, 1, 0, 1, 5);
    grid->addWidget(BtnInfo, 1, 5);
    grid->addWidget(BtnDebugfenster, 1, 6);
    grid->addWidget(BtnLanguage, 2, 5, 1, 2);
    grid->setColumnStretch(4, 1);
    return RS232Einstellungen;
}

void TForm1::buildLanguageButton()
{
    // The language selector stays hidden; this button offers its two items in a menu, with the
    // current one checked, and runs its change handler.
    BtnLanguage = named(new QPushButton(QStringLiteral("Sprache / Language")), "BtnLanguage");
    auto *menu = new QMenu(BtnLanguage);
    auto *group = new QActionGroup(menu);
    for (int i = 0; i < CBoxLanguage->count(); ++i) {
        QAction *action = menu->addAction(CBoxLanguage->itemText(i));
        action->setCheckable(true);
        group->addAction(action);
        connect(action, &QAction::triggered, this, [this, i] {
            CBoxLanguage->setCurrentIndex(i);
            emit CBoxLanguage->activated(i);
        });
    }
    connect(menu, &QMenu::aboutToShow, this, [this, menu] {
        const QList<QAction *> actions = menu->actions();
        for (int i = 0; i < actions.size(); ++i)
            actions[i]->setChecked(i == CBoxLanguage->currentIndex());
    });
    BtnLanguage->setMenu(menu);
}

QGroupBox *TForm1::buildModuleGroup()
{
    ModulEinsetlllungen =
        named(new QGroupBox(QStringLiteral("Korvel433/868-xx-xx")), "ModulEinsetlllungen");
    auto *layout = new QVBoxLayout(ModulEinsetlllungen);
    layout->setContentsMargins(4, 4, 4, 4);

    Panel_keine_Verbindung2 = notConnectedPanel("Panel_keine_Verbindung2", 9);
    Panel_keine_Verbindung2->setAlignment(Qt::AlignRight);
    Panel_keine_Verbindung2->hide();
    layout->addWidget(Panel_keine_Verbindung2);

    // The large panel lies over the pages, centred, without taking their clicks.
    auto *stackHost = new QWidget;
    auto *stack = new QStackedLayout(stackHost);
    stack->setStackingMode(QStackedLayout::StackAll);
    PageControl1 = named(new QTabWidget, "PageControl1");
    const auto page = [this](const char *name, const char *caption) {
        auto *widget = named(new QWidget, name);
        PageControl1->addTab(widget, QString::fromUtf8(caption));
        // A page taller than the window scrolls.
        addScrolledContent(widget);
        return widget;
    };
    Modulinfo = page("Modulinfo", "Modulinfo");
    Konfig_B = page("Konfig_B", "Konfiguration");
    Konfig_C = page("Konfig_C", "Konfiguration");
    Modultest = page("Modultest", "Modultests");
    HF_Test = page("HF_Test", "HF-Tests");
    Monitor = page("Monitor", "Monitor");
    for (int i = 0; i < PageControl1->count(); ++i)
        PageControl1->setTabVisible(i, false);
    auto *overlay = new QWidget;
    overlay->setAttribute(Qt::WA_TransparentForMouseEvents);
    auto *overlayLayout = new QVBoxLayout(overlay);
    Panel_keine_Verbindung = notConnectedPanel("Panel_keine_Verbindung", 20);
    overlayLayout->addWidget(Panel_keine_Verbindung, 0, Qt::AlignCenter);
    stack->addWidget(PageControl1);
    stack->addWidget(overlay);
    stack->setCurrentWidget(overlay);
    layout->addWidget(stackHost, 1);

    auto *below = new QHBoxLayout;
    auto *buttons = new QVBoxLayout;
    BtnAuslesen = named(new QPushButton(QStringLiteral("auslesen")), "BtnAuslesen");
    BtnKonfigurieren = named(new QPushButton(QStringLiteral("konfigurieren")), "BtnKonfigurieren");
    for (QPushButton *button : {BtnAuslesen, BtnKonfigurieren}) {
        button->setEnabled(false);
        button->hide();
        buttons->addWidget(button);
    }
    buttons->addStretch(1);
    GBox_Save_konfig = named(new QGroupBox(QStringLiteral("Konfiguration speichern (auf PC)")),
                             "GBox_Save_konfig");
    GBox_Save_konfig->hide();
    below->addLayout(buttons);
    below->addStretch(1);
    below->addWidget(GBox_Save_konfig);
    layout->addLayout(below);

    buildModultestPage(contentOf(Modultest), modultest);
    buildHfTestPage(contentOf(HF_Test), hfTest);
    buildMonitorPage(contentOf(Monitor), monitor, designTimeChannelItems());
    return ModulEinsetlllungen;
}

QGroupBox *TForm1::buildDebugGroup()
{
    GBox_Debugfenster = named(new QGroupBox(QStringLiteral("Debugfenster")), "GBox_Debugfenster");
    auto *grid = new QGridLayout(GBox_Debugfenster);
    MemoTX = named(new QPlainTextEdit, "MemoTX");
    MemoRX = named(new QPlainTextEdit, "MemoRX");
    for (QPlainTextEdit *memo : {MemoTX, MemoRX}) {
        memo->setReadOnly(true);
        memo->setUndoRedoEnabled(false);
        memo->setLineWrapMode(QPlainTextEdit::NoWrap);
        memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        memo->setFont(QFont(QStringLiteral("monospace")));
    }
    BtnClose = named(new QPushButton(QStringLiteral("close")), "BtnClose");
    BtnClear = named(new QPushButton(QStringLiteral("clear")), "BtnClear");
    grid->addWidget(MemoTX, 0, 0);
    grid->addWidget(MemoRX, 0, 1);
    grid->addWidget(BtnClear, 1, 0);
    grid->addWidget(BtnClose, 1, 1);
    // The debug window adds its own width to the window's.
    GBox_Debugfenster->setFixedWidth(kWideWidth - kNarrowWidth - kWindowMargin);
    GBox_Debugfenster->hide();
    return GBox_Debugfenster;
}

void TForm1::fillAppControls()
{
    m_app.PageControl1 = PageControl1;
    m_app.Modulinfo = Modulinfo;
    m_app.Konfig_B = Konfig_B;
    m_app.Konfig_C = Konfig_C;
    m_app.Modultest = Modultest;
    m_app.HF_Test = HF_Test;
    m_app.Monitor = Monitor;
    m_app.BtnVerbinden = BtnVerbinden;
    m_app.BtnAuslesen = BtnAuslesen;
    m_app.BtnKonfigurieren = BtnKonfigurieren;
    m_app.CBox_RS232_baud = CBox_RS232_baud;
    m_app.GBox_VCC = modultest.GBox_VCC;
    m_app.CBox_sleep_4 = modultest.CBox_sleep_4;
    m_app.Label_sleep_4 = modultest.Label_sleep_4;
    m_app.BtnStartHF_Test = hfTest.BtnStartHF_Test;
    m_app.BtnStartLinkControl = hfTest.BtnStartLinkControl;
    m_app.BtnLinkControl_konfig = hfTest.BtnLinkControl_konfig;
    m_app.CBoxMonitor = monitor.CBoxMonitor;
    m_app.LabelMonitor_RBW = monitor.LabelMonitor_RBW;
    m_app.LabelMonitor_Status = monitor.LabelMonitor_Status;
}
