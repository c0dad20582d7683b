#include "monitor/monitorplan.h"

#include "module/identification.h"
#include "module/modulehost.h"
#include "module/tables.h"
#include "monitor/dlg_frq.h"
#include "monitor/frequencyplan.h"
#include "monitor/frequencyset.h"

#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QSlider>

MonitorPlan::MonitorPlan(MonitorControls &controls, const MonitorEnvironment &environment,
                         TDlg_frq *dialog, QObject *parent)
    : QObject(parent), c(controls), env(environment), m_dialog(dialog)
{
}

void MonitorPlan::message(const QString &german, const QString &english)
{
    env.host->showMessage(german, english);
}

void MonitorPlan::placePlan(const QList<int> &items, double spacing)
{
    const QList<int> slotItems = planSlotItems(items, c.CBoxMonitor[0]->count());
    for (int n = 0; n < slotItems.size(); ++n) {
        QComboBox *box = c.CBoxMonitor[n];
        if (slotItems[n] >= 0) {
            box->setCurrentIndex(slotItems[n]);
        } else {
            box->setCurrentIndex(-1);
            box->setEditText(QString());
        }
    }
    env.shared->monitorStep = 12.5 * spacing;
    c.LabelMonitor_RBW->setText(rbwLabelText(env.shared->RBW, env.shared->monitorStep));
}

void MonitorPlan::BtnMonitor_AutosetClick()
{
    const AutosetPlan plan = autosetPlan(env.Edit_Frq_Version->text());
    placePlan(placePlanItems(plan.first, plan.end, plan.spacing), plan.spacing);
    c.LabelMonitor_CenterFrq->setText(plan.centreText);
    c.LabelMonitor_Span->setText(plan.spanText);
    c.LabelMonitor_Status->setText(rbwStatusText(env.shared->RBW, env.shared->monitorStep));
    c.TBarMonitor_Tempo->setValue(10);
    c.TBarMonitor_Mittlung->setValue(0);
    c.TBarMonitor_peak->setValue(10);
}

void MonitorPlan::BtnMonitor_FrqClearClick()
{
    for (QComboBox *box : c.CBoxMonitor) {
        box->setCurrentIndex(-1);
        box->setEditText(QString());
    }
    for (QProgressBar *bar : c.GaugeMonitor_akt)
        setMonitorBar(bar, -128);
    env.host->performClick(c.BtnMonitor_peakReset);
    if (c.BtnMonitor_Start->text() == QLatin1String("Stop"))
        env.host->performClick(c.BtnMonitor_Start);
    c.LabelMonitor_CenterFrq->clear();
    c.LabelMonitor_Span->clear();
    c.LabelMonitor_Status->clear();
    c.EditMonitor_Peak->clear();
    c.EditMonitor_Momentan->clear();
}

void MonitorPlan::BtnMonitor_FrqSetClick()
{
    env.host->performClick(c.BtnMonitor_FrqClear);

    const int language = env.shared->languageIndex;
    m_dialog->applyLanguage(language);
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        m_dialog->move(screen->availableGeometry().center() - m_dialog->rect().center());
    if (m_dialog->exec() != QDialog::Accepted)
        return;

    FrequencySetRequest request;
    request.centreText = m_dialog->EditDlg_Frq_Center->text();
    request.spanText = m_dialog->EditDlg_Frq_Span->text();
    request.frqVersion = env.Edit_Frq_Version->text();
    request.typeLetter = env.Edit_SW_Typ->text();
    const bool cModule = firmwareType(request.typeLetter) == FirmwareType::C;
    request.spacingItem = (cModule ? env.CBox_HFbaud_C : env.CBox_K_breite_B)->currentIndex();
    const FrequencySetResult result = frequencySet(request);
    for (const PlanMessage &shown : result.messages)
        message(shown.german, shown.english);
    if (!result.placed())
        return;
    placePlan(result.items, result.spacing);
    c.LabelMonitor_CenterFrq->setText(result.centreLabel);
    c.LabelMonitor_Span->setText(result.spanLabel);
    c.LabelMonitor_Status->clear();
}
