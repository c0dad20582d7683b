#include "rf/linkcontrol.h"

#include "app/messages.h"
#include "link/comport.h"
#include "link/exchangelog.h"
#include "rf/hftestpage.h"
#include "rf/linkcontrolgroup.h"
#include "rf/shapecircle.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDateTime>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>

#include <algorithm>
#include <utility>

using namespace LinkFormulas;

namespace
{

// More than the longest answer, so that one read takes whatever has come.
constexpr int kAnswerReadLength = 64;
constexpr int kSettleMs = 10;
constexpr int kRtsPulseMs = 1;
// Far longer than any exchange takes (the longest minimum interval is 324 ms).
constexpr int kStopReadMs = 1000;
constexpr int kIdleReadTimeoutMs = 500;
constexpr int kRunReadTimeoutMs = 1;
const QColor kGood(0, 128, 0);
const QColor kBad(255, 0, 0);

void addOne(QLineEdit *counter)
{
    counter->setText(QString::number(counter->text().toLongLong() + 1));
}

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
                         const LinkControlEnvironment &environment, QObject *parent)
    : QObject(parent), m_port(port), m_log(log), c(controls), m_env(environment)
{
}

void LinkControl::showMessage(const QString &german, const QString &english) const
{
    Messages::inform(m_env.messageParent, Messages::choose(*m_env.languageIndex, german, english));
}

bool LinkControl::ask(const QString &german, const QString &english) const
{
    return Messages::ask(m_env.messageParent,
                         Messages::choose(*m_env.languageIndex, german, english));
}

bool LinkControl::sensitive() const
{
    return c.CBoxLinkControl_Empf->isChecked();
}

std::optional<LinkControl::Rates> LinkControl::rates() const
{
    const auto hf = wholeNumber(m_env.CBox_HFbaud_C->currentText());
    const QString rsText = m_env.CBox_RS232_baud->currentText();
    const auto rs = wholeNumber(rsText);
    if (!hf || !rs || *hf <= 0 || *rs <= 0)
        return std::nullopt;
    int rsPosition = m_env.CBox_RS232_baud->findText(rsText.trimmed());
    if (rsPosition < 0)
        rsPosition = m_env.CBox_RS232_baud->currentIndex();
    return Rates{*hf, *rs, m_env.CBox_HFbaud_C->currentIndex(), rsPosition};
}

std::optional<int> LinkControl::computeMinLinkInterval() const
{
    const auto r = rates();
    if (!r)
        return std::nullopt;
    return minLinkInterval(r->hf, r->rs, r->hfPosition, r->rsPosition, sensitive());
}

bool LinkControl::refusedByOtherActivity() const
{
    if (isStop(m_env.BtnMonitor_Start)) {
        showMessage(QStringLiteral("Monitor ist am laufen, zuerst ausschalten!"),
                    QStringLiteral("Monitor is running, stop first!"));
        return true;
    }
    if (isStop(m_env.BtnStartHF_Test)) {
        showMessage(QStringLiteral("Träger wird ausgegeben, zuerst stoppen!"),
                    QStringLiteral("Carrierout is running, stop first!"));
        return true;
    }
    return false;
}

std::optional<int> LinkControl::readInterval() const
{
    const auto interval = wholeNumber(c.EditLinkControl_Interval->text());
    if (!interval) {
        showMessage(QStringLiteral("Interval [ms]: keine ganze Zahl!"),
                    QStringLiteral("Interval [ms]: not a whole number!"));
        return std::nullopt;
    }
    if (!intervalInRange(*interval)) {
        showMessage(QStringLiteral("Interval [ms]: nur Werte von %1 bis %2 erlaubt!")
                        .arg(kIntervalMinMs)
                        .arg(kIntervalMaxMs),
                    QStringLiteral("Interval [ms]: only values from %1 to %2 allowed!")
                        .arg(kIntervalMinMs)
                        .arg(kIntervalMaxMs));
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
        // The loop notices the caption at the end of its current cycle, which does not wait out
        // a long interval.
        c.BtnStartLinkControl->setText(QStringLiteral("Start"));
        c.TBarLinkControl_Peak->setEnabled(true);
        c.EditLinkControl_Interval->setEnabled(true);
        hastenLastRead();
        return;
    }
    // A stopped run still finishing its last cycle: a second loop would run inside the first.
    if (*m_env.LinkControlRunning)
        return;
    if (refusedByOtherActivity())
        return;
    const auto interval = readInterval();
    if (!interval)
        return;
    const int minimum = *computeMinLinkInterval();
    int value = *interval;
    if (value < minimum) {
        const QString ms = QString::number(minimum);
        if (ask(QStringLiteral("Das min. Interval für die gewählte Konfiguration beträgt ") + ms +
                    QStringLiteral(" ms.\r\nSoll das Interval erhöht werden?"),
                QStringLiteral("The minimal interval for actual configuration is ") + ms +
                    QStringLiteral(" ms.\r\nRaise interval?"))) {
            value = minimum;
            c.EditLinkControl_Interval->setText(ms);
        }
    }
    c.BtnStartLinkControl->setText(QStringLiteral("Stop"));
    c.TBarLinkControl_Peak->setEnabled(false);
    c.EditLinkControl_Interval->setEnabled(false);
    *m_env.LinkControlRunning = true;
    runLinkControl(value);
}

bool LinkControl::runGoing() const
{
    return isStop(c.BtnStartLinkControl);
}

void LinkControl::endRunNow()
{
    if (*m_env.LinkControlRunning)
        m_endNow = true;
}

std::pair<QString, QString> linkControlBusyTexts(bool stopClicked)
{
    if (stopClicked)
        return {QStringLiteral("LinkControl wird beendet, bitte gleich noch einmal versuchen!"),
                QStringLiteral("LinkControl is stopping, please try again in a moment!")};
    return {QStringLiteral("LinkControl ist am laufen, zuerst ausschalten!"),
            QStringLiteral("LinkControl is running, stop first!")};
}

void LinkControl::runLinkControl(int interval)
{
    m_portFailureReported = false;
    const auto watch =
        connect(&m_port, &ComPort::failed, this, [this] { m_portFailureReported = true; });
    try {
        m_port.setReadTimeout(kRunReadTimeoutMs);
        runCycles(interval);
    } catch (const PortError &) {
        disconnect(watch);
        // A disconnect during the run closes the port on purpose, and a port that went away
        // by itself has been reported already: either way the run just ends.
        const bool closedOnPurpose =
            !m_port.isOpen() && c.BtnStartLinkControl->text() == QLatin1String("Start");
        const bool reported = m_portFailureReported;
        endRun();
        if (!closedOnPurpose && !reported)
            throw;
        return;
    } catch (...) {
        disconnect(watch);
        endRun();
        throw;
    }
    disconnect(watch);
    endRun();
}

void LinkControl::endRun()
{
    // A disconnect during the run has set the closed port's own read timeout already.
    if (m_port.isOpen())
        m_port.setReadTimeout(kIdleReadTimeoutMs);
    *m_env.LinkControlRunning = false;
    m_endNow = false;
    m_inReadWait = false;
    if (std::exchange(m_ownsTimer, false))
        m_env.timerSlot->stop();
    if (c.BtnStartLinkControl->text() != QLatin1String("Start")) {
        c.BtnStartLinkControl->setText(QStringLiteral("Start"));
        c.TBarLinkControl_Peak->setEnabled(true);
        c.EditLinkControl_Interval->setEnabled(true);
    }
}

bool LinkControl::mustEndAtOnce() const
{
    return m_endNow || !m_port.isOpen();
}

bool LinkControl::wait()
{
    waitForCountdown(*m_env.countdown, *m_env.timerSlot, [this] { return mustEndAtOnce(); });
    return !mustEndAtOnce();
}

void LinkControl::hastenLastRead()
{
    if (!m_inReadWait)
        return;
    const qint64 left = m_readWaitStart + m_stopReadWait - m_env.timerSlot->ticks();
    if (m_env.countdown->load() > left)
        m_env.countdown->store(qint32(std::max<qint64>(left, 0)));
}

void LinkControl::runCycles(int interval)
{
    // Another activity owning the timer is excluded by the caption checks at Start.
    m_ownsTimer = m_env.timerSlot->start();
    if (!m_ownsTimer)
        return;
    *m_env.LinkStopFlag = false;
    m_LinkClearRequest = false;
    m_endNow = false;
    const Rates r = *rates();
    m_answerWait = answerWait(r.hf, r.rs, sensitive());
    // The first cycle waits the full interval after the purge.
    int extra = m_answerWait;

    MsCountdown &countdown = *m_env.countdown;
    countdown.store(kSettleMs);
    if (!wait())
        return;
    while (!*m_env.LinkStopFlag) {
        m_port.write(QByteArray(1, 'L'));
        countdown.store(m_answerWait);
        if (!wait())
            return;
        // Whatever came before the module had the free module's answer is not the answer.
        m_port.clearBuffers(true, true);
        m_log.appendTxMarker(QStringLiteral("4C"));
        // The answer is read one interval after its "L", counted in whole ticks; reading earlier
        // would miss an answer that completes just before the interval ends. After Stop a long
        // interval is not waited out: the answer is read a second after its "L".
        m_readWaitStart = m_env.timerSlot->ticks();
        m_stopReadWait = std::min(interval, kStopReadMs) + extra - m_answerWait;
        countdown.store(interval + extra - m_answerWait);
        extra = 0;
        m_inReadWait = true;
        if (!runGoing())
            hastenLastRead();
        const bool waited = wait();
        m_inReadWait = false;
        if (!waited)
            return;

        if (evaluateLinkAnswer()) {
            c.ShapeLinkControl->setBrushColor(kGood);
            addOne(c.EditLinkControl_rxStatistik);
        } else {
            m_port.setRts(false);
            countdown.store(kRtsPulseMs);
            const bool pulsed = wait();
            if (!pulsed && !m_port.isOpen())
                return;
            m_port.setRts(true);
            c.ShapeLinkControl->setBrushColor(kBad);
            addOne(c.EditLinkControl_nokStatistik);
        }
        addOne(c.EditLinkControl_txStatistik);
        const int sent = c.EditLinkControl_txStatistik->text().toInt();
        c.EditLinkControl_rxProzent->setText(
            receivedPercentText(c.EditLinkControl_rxStatistik->text().toInt(), sent));
        c.EditLinkControl_nokProzent->setText(
            lostPercentText(c.EditLinkControl_nokStatistik->text().toInt(), sent));
        emit cycleFinished(linkCycleOf(sent, m_lastAnswer, QDateTime::currentMSecsSinceEpoch()));

        if (c.BtnStartLinkControl->text() == QLatin1String("Start"))
            *m_env.LinkStopFlag = true;
        if (m_LinkClearRequest)
            clearLinkStatistics();
        QCoreApplication::processEvents();
    }
}

bool LinkControl::evaluateLinkAnswer()
{
    const QByteArray answer = m_port.read(kAnswerReadLength);
    m_lastAnswer = answer;
    const bool valid = isValidAnswer(answer);
    if (valid) {
        const LinkSamples samples = samplesOf(answer);
        for (int ch = 0; ch < samples.channels; ++ch)
            updateChannel(ch, samples.values[ch]);
        if (samples.channels == 2)
            clearModule2Display();
        m_peaks.add(m_LinkAverage, samples.channels, 20 * c.TBarLinkControl_Peak->value(),
                    *m_env.PeakWriteSlot);
        showPeaks(samples.channels);
    } else {
        m_log.appendRxMarker(QStringLiteral("ERR_LINK"));
    }
    m_log.appendRx(valid ? compactAnswer(answer) : answer);
    m_log.endExchange();
    return valid;
}

void LinkControl::updateChannel(int channel, int sample)
{
    QLineEdit *const edits[] = {c.EditLinkControl_quality1, c.EditLinkControl_ruhe1,
                                c.EditLinkControl_quality2, c.EditLinkControl_ruhe2};
    QProgressBar *const gauges[] = {c.G_LinkControl_quality1, c.G_LinkControl_ruhe1,
                                    c.G_LinkControl_quality2, c.G_LinkControl_ruhe2};
    // The track bar is read at every update, so moving it acts during a run.
    m_LinkAverage[channel] =
        averaged(m_LinkAverage[channel], sample, c.TBar_LinkControl_Mittlung->value());
    const int shown = roundHalfEven(m_LinkAverage[channel]);
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
        setGauge(gauges[ch], m_peaks.peak(ch));
    if (channels == 2) {
        setGauge(c.G_LinkControl_quality2_peak, 0);
        setGauge(c.G_LinkControl_ruhe2_peak, -128);
    }
}

void LinkControl::BtnLinkControl_ClearClick()
{
    if (c.BtnStartLinkControl->text() != QLatin1String("Stop"))
        clearLinkStatistics();
    else
        m_LinkClearRequest = true;
}

void LinkControl::clearLinkStatistics()
{
    m_LinkClearRequest = false;
    for (QLineEdit *counter : {c.EditLinkControl_txStatistik, c.EditLinkControl_rxStatistik,
                               c.EditLinkControl_nokStatistik})
        counter->setText(QStringLiteral("0"));
    c.EditLinkControl_rxProzent->setText(QStringLiteral("0.000%"));
    c.EditLinkControl_nokProzent->setText(QStringLiteral("0.000%"));
    for (QLineEdit *edit : {c.EditLinkControl_quality1, c.EditLinkControl_quality2,
                            c.EditLinkControl_ruhe1, c.EditLinkControl_ruhe2})
        edit->clear();
    setGauge(c.G_LinkControl_quality1, 0);
    setGauge(c.G_LinkControl_quality2, 0);
    setGauge(c.G_LinkControl_ruhe1, -128);
    setGauge(c.G_LinkControl_ruhe2, -128);
    m_LinkAverage = kClearedAverage;
    peakReset();
    emit statisticsCleared();
}

void LinkControl::BtnLinkControl_PeakResetClick()
{
    peakReset();
}

void LinkControl::peakReset()
{
    m_peaks.reset();
    setGauge(c.G_LinkControl_quality1_peak, 0);
    setGauge(c.G_LinkControl_quality2_peak, 0);
    setGauge(c.G_LinkControl_ruhe1_peak, -128);
    setGauge(c.G_LinkControl_ruhe2_peak, -128);
}

void LinkControl::pageShown()
{
    if (m_env.CBox_COM->currentText() == QLatin1String("DEMO") ||
        m_env.Edit_SW_Typ->text() != QLatin1String("C"))
        return;
    if (const auto minimum = computeMinLinkInterval(); minimum && !runGoing())
        c.EditLinkControl_Interval->setText(QString::number(*minimum));
    c.LabelLinkControl_Frq->setText(m_env.CBox_Frq_RX_C->currentText() + QStringLiteral(" MHz"));
    c.LabelLinkControl_HFbaud->setText(m_env.CBox_HFbaud_C->currentText() +
                                       QStringLiteral(" Baud"));
    c.LabelLinkControl_RS232Baud->setText(m_env.CBox_RS232_baud->currentText() +
                                          QStringLiteral(" Baud"));
    c.LabelLinkControl_RBW->setText(
        QLocale().toString(*m_env.RBW, 'g', QLocale::FloatingPointShortest) +
        QStringLiteral(" kHz"));
}
