#include "rf/linkrun.h"

#include "link/catalogue.h"
#include "link/comport.h"
#include "link/exchangelog.h"
#include "rf/lateness.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QScopeGuard>

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
// A character on the line: start bit, 8 data bits, stop bit.
constexpr qint64 kBitsPerCharacter = 10;

} // namespace

LinkRun::LinkRun(ComPort &port, ExchangeLog &log, const LinkRunShared &shared)
    : m_port(port), m_log(log), m_shared(shared)
{
}

int LinkRun::minimumInterval(const LinkRates &rates, bool sensitive)
{
    return minLinkInterval(rates.hf, rates.rs, rates.hfPosition, rates.rsPosition, sensitive);
}

int LinkRun::shownAverage(int channel) const
{
    return roundHalfEven(m_LinkAverage[channel]);
}

void LinkRun::run(int interval, const LinkRates &rates, bool sensitive)
{
    // A stopped run still finishing its last cycle: a second loop would run inside the first.
    if (running())
        return;
    *m_shared.LinkControlRunning = true;
    m_stopRequested = false;
    m_portFailureReported = false;
    const auto watch =
        QObject::connect(&m_port, &ComPort::failed, [this] { m_portFailureReported = true; });
    const auto finish = qScopeGuard([&] {
        QObject::disconnect(watch);
        endRun();
    });
    try {
        m_port.setReadTimeout(kRunReadTimeoutMs);
        runCycles(interval, rates, sensitive);
    } catch (const PortError &) {
        // A disconnect during the run closes the port on purpose, and a port that went away
        // by itself has been reported already: either way the run just ends.
        const bool closedOnPurpose = !m_port.isOpen() && m_stopRequested;
        if (!closedOnPurpose && !m_portFailureReported)
            throw;
    }
}

void LinkRun::endRun()
{
    // A disconnect during the run has set the closed port's own read timeout already.
    if (m_port.isOpen())
        m_port.setReadTimeout(kIdleReadTimeoutMs);
    *m_shared.LinkControlRunning = false;
    m_endNow = false;
    m_inReadWait = false;
    if (std::exchange(m_ownsTimer, false))
        m_shared.timerSlot->stop(this);
}

void LinkRun::requestStop()
{
    m_stopRequested = true;
    hastenLastRead();
}

void LinkRun::endNow()
{
    if (running())
        m_endNow = true;
}

bool LinkRun::mustEndAtOnce() const
{
    return m_endNow || !m_port.isOpen();
}

bool LinkRun::wait()
{
    waitForCountdown(*m_shared.countdown, *m_shared.timerSlot, [this] { return mustEndAtOnce(); });
    return !mustEndAtOnce();
}

void LinkRun::hastenLastRead()
{
    if (!m_inReadWait)
        return;
    const qint64 left = m_readWaitStart + m_stopReadWait - m_shared.timerSlot->ticks();
    if (m_shared.countdown->load() > left) {
        m_shared.countdown->store(qint32(std::max<qint64>(left, 0)));
        m_readDueNs = m_shared.countdown->setAtNs() + std::max<qint64>(left, 0) * 1'000'000;
    }
}

void LinkRun::runCycles(int interval, const LinkRates &rates, bool sensitive)
{
    // Another activity owning the timer is excluded by the front end's checks at Start.
    m_ownsTimer = m_shared.timerSlot->start(this);
    if (!m_ownsTimer)
        return;
    *m_shared.LinkStopFlag = false;
    m_clearRequest = false;
    m_endNow = false;
    m_answerWait = answerWait(rates.hf, rates.rs, sensitive);
    // The first cycle waits the full interval after the purge.
    int extra = m_answerWait;

    MsCountdown &countdown = *m_shared.countdown;
    countdown.store(kSettleMs);
    if (!wait())
        return;
    const QByteArray request(1, Frame::LinkControlRequest);
    const qint64 characterNs = kBitsPerCharacter * 1'000'000'000LL / rates.rs;
    const qint64 earliestAnswerNs =
        qint64(earliestLinkAnswerMs(rates.hf, rates.rs, sensitive)) * 1'000'000;
    while (!*m_shared.LinkStopFlag) {
        // Nothing that came before the request can be its answer.
        m_port.clearBuffers(true, false);
        const qint64 sentNs = MsCountdown::steadyNowNs();
        m_port.write(request);
        countdown.store(m_answerWait);
        if (!wait())
            return;
        // The purge is due AnswerWait after "L" has gone out, one character time after it was
        // handed to the port; a write that took longer was the PC's delay as well.
        const qint64 purgeDueNs = sentNs + characterNs + qint64(m_answerWait) * 1'000'000;
        double cycleLateMs = Lateness::lateMs(purgeDueNs, MsCountdown::steadyNowNs());
        purgeBeforeAnswer(sentNs + earliestAnswerNs, characterNs);
        m_log.appendTxMarker(QString::fromLatin1(request.toHex().toUpper()));
        // The answer is read one interval after its "L", counted in whole ticks; reading earlier
        // would miss an answer that completes just before the interval ends. After a stop request
        // a long interval is not waited out: the answer is read a second after its "L".
        m_readWaitStart = m_shared.timerSlot->ticks();
        m_stopReadWait = std::min(interval, kStopReadMs) + extra - m_answerWait;
        const int readWait = interval + extra - m_answerWait;
        countdown.store(readWait);
        m_readDueNs = countdown.setAtNs() + qint64(std::max(0, readWait)) * 1'000'000;
        extra = 0;
        m_inReadWait = true;
        if (m_stopRequested)
            hastenLastRead();
        const bool waited = wait();
        m_inReadWait = false;
        if (!waited)
            return;
        cycleLateMs =
            std::max(cycleLateMs, Lateness::lateMs(m_readDueNs, MsCountdown::steadyNowNs()));

        QByteArray answer;
        LinkSamples samples;
        const bool valid = evaluateLinkAnswer(answer, samples);
        // The cycle's time is the end of its read, not that of a reset pulse after it.
        const qint64 readAtMs = QDateTime::currentMSecsSinceEpoch();
        if (valid) {
            ++m_received;
        } else {
            m_port.setRts(false);
            countdown.store(kRtsPulseMs);
            const bool pulsed = wait();
            if (!pulsed && !m_port.isOpen())
                return;
            m_port.setRts(true);
            ++m_lost;
        }
        ++m_sent;
        m_lateness.addCycle(cycleLateMs);
        if (m_observer) {
            LinkCycle cycle = linkCycleOf(m_sent, answer, readAtMs);
            cycle.pcLateMs = cycleLateMs;
            m_observer->cycleEnded(*this, cycle, samples);
        }

        if (m_stopRequested)
            *m_shared.LinkStopFlag = true;
        if (m_clearRequest)
            clearStatistics();
        QCoreApplication::processEvents();
    }
}

void LinkRun::purgeBeforeAnswer(qint64 earliestAnswerNs, qint64 characterNs)
{
    // The purge drops what came before the module can have had the free module's answer. The
    // input is taken rather than purged, so that what arrives meanwhile stays for the read; a
    // PC that comes to the purge after the answer can have begun keeps the bytes that can be
    // the answer's: no more than the line can have carried since its earliest moment.
    const QByteArray taken = m_port.takeWaiting();
    const qint64 sinceEarliestNs = MsCountdown::steadyNowNs() - earliestAnswerNs;
    if (sinceEarliestNs > 0)
        m_port.giveBack(answerPart(taken, sinceEarliestNs / characterNs));
    m_port.clearBuffers(false, true);
}

bool LinkRun::evaluateLinkAnswer(QByteArray &answer, LinkSamples &samples)
{
    answer = m_port.read(kAnswerReadLength);
    const bool valid = isValidAnswer(answer);
    if (valid) {
        samples = samplesOf(answer);
        for (int ch = 0; ch < samples.channels; ++ch)
            m_LinkAverage[ch] = averaged(m_LinkAverage[ch], samples.values[ch], m_averaging);
        m_peaks.add(m_LinkAverage, samples.channels, 20 * m_peakPosition, *m_shared.PeakWriteSlot);
    } else {
        m_log.appendRxMarker(QStringLiteral("ERR_LINK"));
    }
    m_log.appendRx(valid ? compactAnswer(answer) : answer);
    m_log.endExchange();
    return valid;
}

void LinkRun::clearStatistics()
{
    m_clearRequest = false;
    m_sent = m_received = m_lost = 0;
    m_lateness.clear();
    m_LinkAverage = kClearedAverage;
    m_peaks.reset();
    if (m_observer)
        m_observer->cleared(*this);
}

void LinkRun::peakReset()
{
    m_peaks.reset();
}
