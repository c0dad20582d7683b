#include "monitor/sweepcore.h"

#include "common/rounding.h"
#include "link/catalogue.h"
#include "link/comport.h"
#include "link/modulelink.h"
#include "link/retryexchange.h"
#include "monitor/frequencyplan.h"
#include "rf/mscountdown.h"

#include <QCoreApplication>
#include <QScopeGuard>
#include <QString>

namespace
{

// B0 09 nn sets the receive channel in the module's RAM: the receiver tunes to channel nn.
constexpr quint8 kTune = Frame::FirstRegister;
// With no active slot a sweep sends nothing; a short wait keeps the idle loop off the CPU.
constexpr int kIdleSweepWaitMs = 10;

// Whether the failed answers since the last good slot have used up its attempts. Answers that
// come while the sweep waits (late ones the module still owed) are dispatched as they come and
// count too, so the counter can pass 0 between two looks and wrap; the transaction would then
// close the port without a word at the next frame.
bool attemptsUsedUp(quint8 retryCounter)
{
    return retryCounter == 0 || retryCounter > kExchangeAttempts;
}

} // namespace

std::optional<int> sweepBaudOf(const QString &text)
{
    bool ok = false;
    const int baud = text.trimmed().toInt(&ok, 10);
    if (!ok || baud <= 0)
        return std::nullopt;
    return baud;
}

int sweepReadTimeoutMs(int baud)
{
    return roundHalfEven(100000.0 / baud) + 10;
}

int sweepSettleMs(int speedPosition)
{
    return (10 - speedPosition) * 10 + 5;
}

SweepCore::SweepCore(ModuleLink &link, MsCountdown &countdown, MmTimerSlot &timerSlot,
                     SweepHost &host)
    : m_link(link), m_countdown(countdown), m_timerSlot(timerSlot), m_host(host)
{
}

int SweepCore::shownLevel(int n) const
{
    return roundHalfEven(m_slots.at(n).level);
}

SlotReading SweepCore::reading(int n, int item, const QString &itemText) const
{
    SlotReading reading;
    reading.slot = n + 1;
    reading.channel = item + 1;
    reading.frequencyMHz = frequencyOfChannelItem(itemText).value_or(0.0);
    reading.levelDbm = shownLevel(n);
    reading.peakDbm = m_slots.at(n).peak();
    return reading;
}

void SweepCore::resetPeaks()
{
    for (SlotMeasurement &slot : m_slots)
        slot.reset();
}

void SweepCore::waitMs(int ms)
{
    m_countdown.store(ms);
    waitForCountdown(m_countdown, m_timerSlot);
}

void SweepCore::run(int baud)
{
    ComPort &port = m_link.port();
    LinkState &state = m_link.state();
    // Another activity's timer is not the sweep's to wait on, nor to stop.
    if (!m_timerSlot.start(this))
        return;
    m_running = true;
    m_loopActive = true;
    m_lateness.clear();
    port.setReadTimeout(sweepReadTimeoutMs(baud));
    // When the port itself fails, the sweep ends without talking to the module again.
    auto portFailed = qScopeGuard([&] {
        m_running = false;
        port.setReadTimeout(kConnectedTimeoutMs);
        m_timerSlot.stop(this);
        m_loopActive = false;
    });
    waitMs(5);
    if (m_host.cModule())
        port.setRts(false);
    // The first tune does not count against the retries, whatever its outcome.
    state.errorFlag = false;
    state.retryCounter = kExchangeAttempts;
    if (port.isOpen())
        m_link.transaction(kTune, quint8(m_host.slotItem(0) + 1));
    state.errorFlag = false;
    state.retryCounter = kExchangeAttempts;
    sweepLoop();
    stopSteps();
    portFailed.dismiss();
    m_loopActive = false;
}

void SweepCore::sweepLoop()
{
    while (m_running) {
        const int window = 20 * m_host.peakWindowPosition();
        for (int j = 1; j <= window; ++j) {
            bool sent = false;
            int visited = 0;
            while (visited < kSlots) {
                sent = measureSlot(visited, j) || sent;
                ++visited;
                QCoreApplication::processEvents();
                if (!m_running)
                    break;
            }
            // A stop during the last slot's yield still leaves a complete sweep.
            if (visited == kSlots)
                m_host.sweepMeasured();
            if (!m_running)
                break;
            if (!sent)
                waitMs(kIdleSweepWaitMs);
        }
        QCoreApplication::processEvents();
    }
}

bool SweepCore::portClosed()
{
    // A disconnect or a lost device while the loop yielded has closed the port: nothing more
    // can be measured, so the sweep stops instead of circling without a wait.
    if (m_link.port().isOpen())
        return false;
    if (m_running)
        m_host.stopFromSweep();
    return true;
}

bool SweepCore::measureSlot(int n, int j)
{
    const int k = m_host.slotItem(n);
    if (k < 0)
        return false;
    LinkState &state = m_link.state();
    if (portClosed())
        return false;
    m_link.transaction(kTune, quint8(k + 1));
    const int settleMs = sweepSettleMs(m_host.speedPosition());
    waitMs(settleMs);
    m_lateness.addCycle(Lateness::lateAfterCountdown(m_countdown, settleMs));
    if (portClosed())
        return false;
    m_link.transaction(Frame::Measure,
                       m_host.instantaneousRssi() ? Frame::MeasureRssi : Frame::MeasureRssiMax);
    if (state.errorFlag) {
        state.errorFlag = false;
        if (attemptsUsedUp(state.retryCounter)) {
            m_host.stopFromSweep();
            m_host.receiveError();
        }
        return true;
    }
    state.retryCounter = kExchangeAttempts;
    const int reading = qint8(m_link.answerByte(1).value_or(quint8(SlotMeasurement::kFloorDbm)));
    SlotMeasurement &slot = m_slots[n];
    const int v = takeReading(slot, reading, m_host.meanPosition(), j,
                              20 * m_host.peakWindowPosition(), m_host.keepPeaks());
    m_host.slotMeasured(n, v, slot.peak());
    return true;
}

void SweepCore::stopSteps()
{
    ComPort &port = m_link.port();
    if (m_host.moduleConnected() && port.isOpen()) {
        // A receive error leaves the retry counter at 0; the tune back starts afresh so that its
        // own failure cannot wrap the counter.
        LinkState &state = m_link.state();
        state.errorFlag = false;
        state.retryCounter = kExchangeAttempts;
        m_link.transaction(kTune, quint8(m_host.receiveChannelItem() + 1));
        state.errorFlag = false;
        port.setReadTimeout(kConnectedTimeoutMs);
        if (m_host.cModule())
            port.setRts(true);
    }
    m_timerSlot.stop(this);
}
