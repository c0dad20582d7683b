#include "rf/linkcontrol.h"

#include "module/identification.h"
#include "module/modulehost.h"
#include "rf/hftestpage.h"
#include "rf/linkcontrolgroup.h"
#include "texts/messages.h"
#include "widgets/shapecircle.h"
#include "window/activities.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QScopeGuard>
#include <QSlider>

using namespace LinkFormulas;

namespace
{

const QColor kGood(0, 128, 0);
const QColor kBad(255, 0, 0);

bool isStop(const QPushButton *button)
{
    return button && button->text() == QLatin1String("Stop");
}

std::optional<int> wholeNumber(const QString &text)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    return ok ? std::optional<int>(value) : std::nullopt;
}

} // namespace

LinkControl::LinkControl(ComPort &port, ExchangeLog &log, HfTestControls &controls,
                         const LinkControlEnvironment &environment, const SharedState &shared,
                         Activities &activities, QObject *parent)
    : QObject(parent), c(controls), m_env(environment), m_shared(shared), m_activities(activities),
      m_run(port, log, activities.linkRunShared())
{
    m_run.setObserver(this);
    // The run reads both track bars at every update, so moving them acts during a run.
    m_run.setAveraging(c.TBar_LinkControl_Mittlung->value());
    m_run.setPeakPosition(c.TBarLinkControl_Peak->value());
    connect(c.TBar_LinkControl_Mittlung, &QSlider::valueChanged, this,
            [this](int value) { m_run.setAveraging(value); });
    connect(c.TBarLinkControl_Peak, &QSlider::valueChanged, this,
            [this](int value) { m_run.setPeakPosition(value); });
}

void LinkControl::showMessage(const QString &german, const QString &english) const
{
    Messages::inform(m_env.messageParent,
                     Messages::choose(m_shared.languageIndex, german, english));
}

bool LinkControl::ask(const QString &german, const QString &english) const
{
    return Messages::ask(m_env.messageParent,
                         Messages::choose(m_shared.languageIndex, german, english));
}

bool LinkControl::sensitive() const
{
    return c.CBoxLinkControl_Empf->isChecked();
}

std::optional<LinkRates> LinkControl::rates() const
{
    const auto hf = wholeNumber(m_env.CBox_HFbaud_C->currentText());
    const QString rsText = m_env.CBox_RS232_baud->currentText();
    const auto rs = wholeNumber(rsText);
    if (!hf || !rs || *hf <= 0 || *rs <= 0)
        return std::nullopt;
    int rsPosition = m_env.CBox_RS232_baud->findText(rsText.trimmed());
    if (rsPosition < 0)
        rsPosition = m_env.CBox_RS232_baud->currentIndex();
    return LinkRates{*hf, *rs, m_env.CBox_HFbaud_C->currentIndex(), rsPosition};
}

std::optional<int> LinkControl::computeMinLinkInterval() const
{
    const auto r = rates();
    if (!r)
        return std::nullopt;
    return LinkRun::minimumInterval(*r, sensitive());
}

bool LinkControl::refusedByOtherActivity() const
{
    using Kind = Activities::Kind;
    const MessageText *running = m_activities.startedOf({Kind::Monitor, Kind::Carrier});
    if (running)
        showMessage(QString::fromUtf8(running->german), QString::fromUtf8(running->english));
    return running != nullptr;
}

std::optional<qint64> LinkControl::readInterval() const
{
    // Any whole number below the minimum is put to the user, however far below.
    bool ok = false;
    const qint64 interval = c.EditLinkControl_Interval->text().trimmed().toLongLong(&ok);
    if (!ok) {
        showMessage(QStringLiteral("Interval [ms]: keine ganze Zahl!"),
                    QStringLiteral("Interval [ms]: not a whole number!"));
        return std::nullopt;
    }
    if (intervalTooLong(interval)) {
        showMessage(QStringLiteral("Interval [ms]: höchstens %1 erlaubt!").arg(kIntervalMaxMs),
                    QStringLiteral("Interval [ms]: at most %1 allowed!").arg(kIntervalMaxMs));
        return std::nullopt;
    }
    const auto hf = wholeNumber(m_env.CBox_HFbaud_C->currentText());
    if (!hf || *hf <= 0) {
        showMessage(QStringLiteral("Funkdatenrate: keine gültige Datenrate!"),
                    QStringLiteral("Radio datarate: not a valid datarate!"));
        return std::nullopt;
    }
    const auto rs = wholeNumber(m_env.CBox_RS232_baud->currentText());
    if (!rs || *rs <= 0) {
        showMessage(QStringLiteral("RS232-Baudrate: keine gültige Baudrate!"),
                    QStringLiteral("RS232 baudrate: not a valid baudrate!"));
        return std::nullopt;
    }
    return interval;
}

void LinkControl::BtnStartLinkControlClick()
{
    if (c.BtnStartLinkControl->text() != QLatin1String("Start")) {
        // The run notices the request at the end of its current cycle, which does not wait out
        // a long interval.
        c.BtnStartLinkControl->setText(QStringLiteral("Start"));
        c.TBarLinkControl_Peak->setEnabled(true);
        c.EditLinkControl_Interval->setEnabled(true);
        m_run.requestStop();
        return;
    }
    // A stopped run still finishing its last cycle: a second loop would run inside the first.
    if (m_run.running())
        return;
    if (refusedByOtherActivity())
        return;
    const auto interval = readInterval();
    if (!interval)
        return;
    const LinkRates r = *rates();
    const int minimum = LinkRun::minimumInterval(r, sensitive());
    bool raised = false;
    if (intervalBelowMinimum(*interval, minimum)) {
        const QString ms = QString::number(minimum);
        raised = ask(QStringLiteral("Das min. Interval für die gewählte Konfiguration beträgt ") +
                         ms + QStringLiteral(" ms.\r\nSoll das Interval erhöht werden?"),
                     QStringLiteral("The minimal interval for actual configuration is ") + ms +
                         QStringLiteral(" ms.\r\nRaise interval?"));
    }
    // The edit shows the interval the run uses: the minimum, or 1 ms for a smaller one kept.
    const int value = runInterval(*interval, minimum, raised);
    if (value != *interval)
        c.EditLinkControl_Interval->setText(QString::number(value));
    c.BtnStartLinkControl->setText(QStringLiteral("Stop"));
    c.TBarLinkControl_Peak->setEnabled(false);
    c.EditLinkControl_Interval->setEnabled(false);
    const auto stopped = qScopeGuard([this] { showStopped(); });
    m_run.run(value, r, sensitive());
}

void LinkControl::showStopped()
{
    // A run that ended by itself (a failed port) shows its end as Stop does.
    if (c.BtnStartLinkControl->text() != QLatin1String("Start")) {
        c.BtnStartLinkControl->setText(QStringLiteral("Start"));
        c.TBarLinkControl_Peak->setEnabled(true);
        c.EditLinkControl_Interval->setEnabled(true);
    }
}

bool LinkControl::runGoing() const
{
    return isStop(c.BtnStartLinkControl);
}

void LinkControl::endRunNow()
{
    m_run.endNow();
}

void LinkControl::cycleEnded(const LinkRun &run, const LinkCycle &cycle, const LinkSamples &samples)
{
    for (int ch = 0; ch < samples.channels; ++ch)
        showChannel(ch);
    if (samples.channels == 2)
        clearModule2Display();
    if (samples.channels > 0)
        showPeaks(samples.channels);

    if (cycle.received) {
        c.ShapeLinkControl->setBrushColor(kGood);
        c.EditLinkControl_rxStatistik->setText(QString::number(run.received()));
    } else {
        c.ShapeLinkControl->setBrushColor(kBad);
        c.EditLinkControl_nokStatistik->setText(QString::number(run.lost()));
    }
    c.EditLinkControl_txStatistik->setText(QString::number(run.sent()));
    c.EditLinkControl_rxProzent->setText(receivedPercentText(run.received(), run.sent()));
    c.EditLinkControl_nokProzent->setText(lostPercentText(run.lost(), run.sent()));
    showLateness(run.lateness());
    emit cycleFinished(cycle);
}

void LinkControl::showLateness(const LatenessTally &lateness)
{
    c.EditLinkControl_late->setText(Lateness::tallyText(lateness, QLocale()));
}

void LinkControl::showChannel(int channel)
{
    QLineEdit *const edits[] = {c.EditLinkControl_quality1, c.EditLinkControl_ruhe1,
                                c.EditLinkControl_quality2, c.EditLinkControl_ruhe2};
    QProgressBar *const gauges[] = {c.G_LinkControl_quality1, c.G_LinkControl_ruhe1,
                                    c.G_LinkControl_quality2, c.G_LinkControl_ruhe2};
    const int shown = m_run.shownAverage(channel);
    const bool ratio = channel % 2 == 0;
    edits[channel]->setText(QString::number(shown) +
                            (ratio ? QStringLiteral("dB") : QStringLiteral("dBm")));
    setGauge(gauges[channel], shown);
}

void LinkControl::clearModule2Display()
{
    c.EditLinkControl_ruhe2->clear();
    c.EditLinkControl_quality2->clear();
    setGauge(c.G_LinkControl_ruhe2, -128);
    setGauge(c.G_LinkControl_quality2, 0);
}

void LinkControl::showPeaks(int channels)
{
    QProgressBar *const gauges[] = {c.G_LinkControl_quality1_peak, c.G_LinkControl_ruhe1_peak,
                                    c.G_LinkControl_quality2_peak, c.G_LinkControl_ruhe2_peak};
    for (int ch = 0; ch < channels; ++ch)
        setGauge(gauges[ch], m_run.peak(ch));
    if (channels == 2) {
        setGauge(c.G_LinkControl_quality2_peak, 0);
        setGauge(c.G_LinkControl_ruhe2_peak, -128);
    }
}

void LinkControl::BtnLinkControl_ClearClick()
{
    if (c.BtnStartLinkControl->text() != QLatin1String("Stop"))
        m_run.clearStatistics();
    else
        m_run.requestClear();
}

void LinkControl::cleared(const LinkRun &)
{
    for (QLineEdit *counter : {c.EditLinkControl_txStatistik, c.EditLinkControl_rxStatistik,
                               c.EditLinkControl_nokStatistik})
        counter->setText(QStringLiteral("0"));
    c.EditLinkControl_rxProzent->setText(QStringLiteral("0.000%"));
    c.EditLinkControl_nokProzent->setText(QStringLiteral("0.000%"));
    showLateness(LatenessTally());
    for (QLineEdit *edit : {c.EditLinkControl_quality1, c.EditLinkControl_quality2,
                            c.EditLinkControl_ruhe1, c.EditLinkControl_ruhe2})
        edit->clear();
    setGauge(c.G_LinkControl_quality1, 0);
    setGauge(c.G_LinkControl_quality2, 0);
    setGauge(c.G_LinkControl_ruhe1, -128);
    setGauge(c.G_LinkControl_ruhe2, -128);
    showPeakReset();
    emit statisticsCleared();
}

void LinkControl::BtnLinkControl_PeakResetClick()
{
    m_run.peakReset();
    showPeakReset();
}

void LinkControl::showPeakReset()
{
    setGauge(c.G_LinkControl_quality1_peak, 0);
    setGauge(c.G_LinkControl_quality2_peak, 0);
    setGauge(c.G_LinkControl_ruhe1_peak, -128);
    setGauge(c.G_LinkControl_ruhe2_peak, -128);
}

void LinkControl::disconnected()
{
    for (QPushButton *button : {c.BtnLinkControl_konfig, c.BtnStartLinkControl})
        button->setEnabled(true);
}

void LinkControl::pageShown()
{
    if (m_env.CBox_COM->currentText() == QLatin1String("DEMO") ||
        firmwareType(m_env.Edit_SW_Typ->text()) != FirmwareType::C)
        return;
    if (const auto minimum = computeMinLinkInterval(); minimum && !runGoing())
        c.EditLinkControl_Interval->setText(QString::number(*minimum));
    c.LabelLinkControl_Frq->setText(m_env.CBox_Frq_RX_C->currentText() + QStringLiteral(" MHz"));
    c.LabelLinkControl_HFbaud->setText(m_env.CBox_HFbaud_C->currentText() +
                                       QStringLiteral(" Baud"));
    c.LabelLinkControl_RS232Baud->setText(m_env.CBox_RS232_baud->currentText() +
                                          QStringLiteral(" Baud"));
    c.LabelLinkControl_RBW->setText(
        QLocale().toString(m_shared.RBW, 'g', QLocale::FloatingPointShortest) +
        QStringLiteral(" kHz"));
}
