#include "monitor/monitorplan.h"

#include "module/modulehost.h"
#include "module/tables.h"
#include "monitor/dlg_frq.h"
#include "monitor/frequencyplan.h"

#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QSlider>

#include <cmath>

MonitorPlan::MonitorPlan(MonitorControls &controls, const MonitorEnvironment &environment,
                         TDlg_frq *dialog, QObject *parent)
    : QObject(parent), c(controls), env(environment), m_dialog(dialog)
{
}

void MonitorPlan::message(const QString &german, const QString &english)
{
    env.host->showMessage(german, english);
}

QString MonitorPlan::numberText(double value) const
{
    QLocale locale;
    locale.setNumberOptions(locale.numberOptions() | QLocale::OmitGroupSeparator);
    return locale.toString(value, 'g', 15);
}

void MonitorPlan::placePlan(const QList<int> &items, double spacing)
{
    for (int n = 0; n < items.size() && n < MonitorControls::kSlots; ++n) {
        QComboBox *box = c.CBoxMonitor[n];
        // A plan of the other band can name items the box does not hold: that slot stays empty.
        if (items[n] >= 0 && items[n] < box->count()) {
            box->setCurrentIndex(items[n]);
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

    const QString centreText = m_dialog->EditDlg_Frq_Center->text();
    const QString spanText = m_dialog->EditDlg_Frq_Span->text();
    if (centreText.isEmpty() || spanText.isEmpty()) {
        message(QStringLiteral("Eingabe nicht korrekt!"), QStringLiteral("Invalid entry!"));
        return;
    }
    const PlanBand band = planBand(env.Edit_Frq_Version->text());

    // Numbers in the user's notation; a group separator would turn "433,9" into 4339 in an
    // English locale, so it is not accepted.
    QLocale locale;
    locale.setNumberOptions(locale.numberOptions() | QLocale::RejectGroupSeparator);
    bool centreOk = false;
    bool spanOk = false;
    const double centre = locale.toDouble(centreText.trimmed(), &centreOk);
    const double span = locale.toDouble(spanText.trimmed(), &spanOk);
    if (!centreOk || !spanOk || !std::isfinite(centre) || !std::isfinite(span)) {
        message(QStringLiteral("Eingabe nicht korrekt!\r\n(Center in MHz und Span in kHz als "
                               "Zahl eingeben)"),
                QStringLiteral("Invalid entry!\r\n(Enter the center in MHz and the span in kHz "
                               "as numbers)"));
        return;
    }
    if (span < 0) {
        message(QStringLiteral("Eingabe nicht korrekt!\r\n(Span darf nicht negativ sein)"),
                QStringLiteral("Invalid entry!\r\n(The span must not be negative)"));
        return;
    }

    const bool cModule = env.Edit_SW_Typ->text() == QLatin1String("C");
    QComboBox *source = cModule ? env.CBox_HFbaud_C : env.CBox_K_breite_B;
    const auto spacing = planSpacing(env.Edit_SW_Typ->text(), source->currentIndex());
    if (!spacing) {
        if (cModule)
            message(QStringLiteral("Für die eingestellte Funkdatenrate ist kein Monitor-Raster "
                                   "festgelegt!\r\n(Funkdatenrate bis 38400 wählen)"),
                    QStringLiteral("No monitor step for the configured radio datarate!\r\n"
                                   "(Choose a datarate up to 38400)"));
        else
            message(QStringLiteral("Keine Kanalbreite eingestellt!"),
                    QStringLiteral("No channel width configured!"));
        return;
    }

    const FrequencySetPlan plan = frequencySetPlan(centre, span, band, *spacing);
    switch (plan.outcome) {
    case FrequencySetPlan::OutOfRange:
        message(QStringLiteral("Center-Frequenz oder Span außerhalb des Bereichs!"),
                QStringLiteral("Center frequency or span out of range!"));
        return;
    case FrequencySetPlan::TooManyChannels:
        message(QStringLiteral("Span für eingestelltes RBW zu gross!\r\n(kleineren Span oder "
                               "höhere Funkdatenrate wählen)"),
                QStringLiteral("Span to small for actual RBW!\r\n(Reduce span or raise radio "
                               "datarate)"));
        return;
    case FrequencySetPlan::Placed:
        break;
    }
    if (plan.lowerCut)
        message(QStringLiteral("Tiefste einstellbare Frequenz = ") + numberText(band.lowestMHz) +
                    QStringLiteral("MHz\r\n=> Span zu gross, unterer Bereich wird abgeschnitten"),
                QStringLiteral("Lowest valid frequency = ") + numberText(band.lowestMHz) +
                    QStringLiteral("MHz\r\n=> Span to large, lower end is cut"));
    if (plan.upperCut)
        message(QStringLiteral("Höchste einstellbare Frequenz = ") + numberText(band.highestMHz) +
                    QStringLiteral("MHz\r\n=> Span zu groß, oberes Ende wird abgeschnitten"),
                QStringLiteral("Highest valid frequency = ") + numberText(band.highestMHz) +
                    QStringLiteral("MHz\r\n=> Span to large, higher end is cut"));
    placePlan(plan.items, *spacing);
    c.LabelMonitor_CenterFrq->setText(numberText(centre) + QStringLiteral("MHz"));
    c.LabelMonitor_Span->setText(numberText(span) + QStringLiteral("kHz"));
    c.LabelMonitor_Status->clear();
}
