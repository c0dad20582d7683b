#include "monitor/monitorhandlers.h"

#include "module/modulehost.h"
#include "monitor/dlg_frq.h"
#include "monitor/monitorplan.h"
#include "monitor/monitorsweep.h"
#include "monitor/spectrumview.h"
#include "texts/messages.h"

#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>

namespace
{

MonitorHandlers::FileChooser &fileChooser()
{
    static MonitorHandlers::FileChooser chooser;
    return chooser;
}

} // namespace

MonitorHandlers::MonitorHandlers(MonitorControls &controls, const MonitorEnvironment &environment,
                                 Activities &activities, QWidget *window, const Guard &guard,
                                 const Guard &startGuard)
    : c(controls), env(environment), m_window(window)
{
    m_dialog = new TDlg_frq(window);
    m_sweep = new MonitorSweep(c, env, activities, this);
    m_plan = new MonitorPlan(c, env, m_dialog, this);

    const auto onClick = [this, guard](QPushButton *button, auto handler) {
        connect(button, &QPushButton::clicked, this, [guard, handler] { guard(handler); });
    };
    connect(c.BtnMonitor_Start, &QPushButton::clicked, this,
            [this, startGuard] { startGuard([this] { m_sweep->BtnMonitor_StartClick(); }); });
    onClick(c.BtnMonitor_peakReset, [this] { m_sweep->BtnMonitor_peakResetClick(); });
    onClick(c.BtnMonitor_Autoset, [this] { m_plan->BtnMonitor_AutosetClick(); });
    onClick(c.BtnMonitor_FrqSet, [this] { m_plan->BtnMonitor_FrqSetClick(); });
    onClick(c.BtnMonitor_FrqClear, [this] { m_plan->BtnMonitor_FrqClearClick(); });
    onClick(c.BtnMonitor_Export, [this] { BtnMonitor_ExportClick(); });
    onClick(c.BtnMonitor_Spektrum, [this] { BtnMonitor_SpektrumClick(); });
    connect(c.CBoxMonitor_Messung, &QComboBox::currentIndexChanged, this,
            [this] { m_sweep->CBoxMonitor_MessungChange(); });
    connect(c.CBoxMonitor_Messung->lineEdit(), &QLineEdit::textEdited, this,
            [this] { m_sweep->CBoxMonitor_MessungChange(); });
    connect(m_sweep, &MonitorSweep::sweepCompleted, this, &MonitorHandlers::sweepCompleted);
}

MonitorHandlers::~MonitorHandlers() = default;

void MonitorHandlers::setExportFileChooserForTest(FileChooser chooser)
{
    fileChooser() = std::move(chooser);
}

void MonitorHandlers::applyLanguage(int languageIndex, bool sweepRunning)
{
    if (sweepRunning)
        c.BtnMonitor_Start->setText(QStringLiteral("Stop"));
    if (languageIndex != 0 && languageIndex != 1)
        return;
    showExportCaption();
    c.BtnMonitor_Spektrum->setText(languageIndex == 0 ? QStringLiteral("Spektrum")
                                                      : QStringLiteral("Spectrum"));
    if (m_spectrum)
        m_spectrum->applyLanguage(languageIndex);
}

void MonitorHandlers::disconnected()
{
    env.host->performClick(c.BtnMonitor_FrqClear);
    c.BtnMonitor_Start->setEnabled(true);
}

QList<SlotReading> MonitorHandlers::activeReadings() const
{
    QList<SlotReading> readings;
    for (int n = 0; n < MonitorControls::kSlots; ++n) {
        const int item = c.CBoxMonitor[n]->currentIndex();
        if (item < 0)
            continue;
        readings << m_sweep->core().reading(n, item, c.CBoxMonitor[n]->itemText(item));
    }
    return readings;
}

void MonitorHandlers::sweepCompleted()
{
    if (!m_csv.isOpen() && !(m_spectrum && m_spectrum->isVisible()))
        return;
    const QList<SlotReading> readings = activeReadings();
    if (m_csv.isOpen() && !m_csv.writeSweep(QDateTime::currentDateTimeUtc(), readings)) {
        const QString reason = m_csv.errorString();
        stopExport();
        env.host->showMessage(QString::fromUtf8(Messages::kExportNotWritten.german) + reason,
                              QString::fromUtf8(Messages::kExportNotWritten.english) + reason);
    }
    if (m_spectrum && m_spectrum->isVisible())
        m_spectrum->showReadings(readings);
}

void MonitorHandlers::showExportCaption()
{
    const bool german = env.shared->languageIndex == 0;
    if (m_csv.isOpen())
        c.BtnMonitor_Export->setText(german ? QStringLiteral("Export beenden")
                                            : QStringLiteral("Stop export"));
    else
        c.BtnMonitor_Export->setText(QStringLiteral("Export CSV"));
}

void MonitorHandlers::stopExport()
{
    m_csv.close();
    showExportCaption();
}

void MonitorHandlers::BtnMonitor_ExportClick()
{
    if (m_csv.isOpen()) {
        stopExport();
        return;
    }
    const bool german = env.shared->languageIndex == 0;
    QString path;
    if (fileChooser())
        path = fileChooser()();
    else
        path = QFileDialog::getSaveFileName(
            m_window, german ? QStringLiteral("Export CSV") : QStringLiteral("Export CSV"),
            QStringLiteral("monitor.csv"),
            german ? QStringLiteral("CSV-Dateien (*.csv)") : QStringLiteral("CSV files (*.csv)"));
    if (path.isEmpty())
        return;
    if (!m_csv.open(path)) {
        env.host->showMessage(
            QString::fromUtf8(Messages::kExportNotCreated.german) + m_csv.errorString(),
            QString::fromUtf8(Messages::kExportNotCreated.english) + m_csv.errorString());
        return;
    }
    showExportCaption();
}

void MonitorHandlers::BtnMonitor_SpektrumClick()
{
    if (!m_spectrum) {
        m_spectrum = new SpectrumView(m_window);
        m_spectrum->applyLanguage(env.shared->languageIndex);
    }
    m_spectrum->showReadings(activeReadings());
    m_spectrum->show();
    m_spectrum->raise();
}
