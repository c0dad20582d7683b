#pragma once

#include "rf/lateness.h"
#include "rf/linkformulas.h"
#include "rf/linkhistory.h"
#include "rf/mscountdown.h"

#include <QByteArray>
#include <QtGlobal>

#include <array>

class ComPort;
class ExchangeLog;

// The rates a run is timed for: the radio rate of the C configuration and the PC's serial rate,
// each with its item position in its list (radio 0 = 1200 .., serial 0 = 1200 ..).
struct LinkRates {
    int hf = 0;
    int rs = 0;
    int hfPosition = 0;
    int rsPosition = 0;
};

// The state a run shares with the rest of the program: the 1 ms countdown with its timer slot
// (also used by the carrier test and the monitor), LinkControlRunning (the transaction's receive
// handler stays out while it is set), LinkStopFlag and the peak hold's write slot.
struct LinkRunShared {
    MsCountdown *countdown = nullptr;
    MmTimerSlot *timerSlot = nullptr;
    bool *LinkControlRunning = nullptr;
    bool *LinkStopFlag = nullptr;
    int *PeakWriteSlot = nullptr;
};

class LinkRun;

// What a front end learns of a run. Each call comes on the run's own thread, inside the run;
// a receiver should only show or store values, so that the cycle's timing does not depend on it.
class LinkRunObserver
{
public:
    virtual ~LinkRunObserver() = default;
    // A cycle ended: the run's counters, averages and peaks include it. samples.channels is 0
    // for a lost cycle (nothing was updated), 2 for a 3-byte answer and 4 otherwise.
    virtual void cycleEnded(const LinkRun &run, const LinkCycle &cycle,
                            const LinkFormulas::LinkSamples &samples) = 0;
    // The statistics were cleared (at once, or at the end of the cycle in which it was asked).
    virtual void cleared(const LinkRun &run) { Q_UNUSED(run); }
};

// The LinkControl measurement without its window: once per interval the single byte "L" goes
// to the connected module, which exchanges a telegram with the free module and answers with the
// signal and noise levels both saw. The run counts sent, received and lost exchanges, averages
// the ratios and noise levels and holds their peaks. It waits on the 1 ms countdown in the event
// loop, so requests (stop, clear, peak reset, the averaging strength) made by event handlers act
// during a run. The counters, averages and peaks outlive a run: the next one continues them.
class LinkRun
{
public:
    LinkRun(ComPort &port, ExchangeLog &log, const LinkRunShared &shared);
    LinkRun(const LinkRun &) = delete;
    LinkRun &operator=(const LinkRun &) = delete;

    void setObserver(LinkRunObserver *observer) { m_observer = observer; }

    // The smallest sensible interval for the rates (MinLinkInterval).
    static int minimumInterval(const LinkRates &rates, bool sensitive);

    // Runs until stopped: returns when the run has ended and its clean-up is done (read timeout
    // 500 ms, LinkControlRunning clear, timer stopped). Does nothing while a run is going (a
    // stopped one finishing its last cycle included) or when another activity holds the timer.
    // A port that fails during the run throws PortError, unless it was closed after a stop
    // request or its failure was reported by the port already: then the run just ends.
    void run(int interval, const LinkRates &rates, bool sensitive);
    bool running() const { return *m_shared.LinkControlRunning; }

    // Ends the run after the current cycle, whose answer is still read, evaluated and counted;
    // a long interval is not waited out: that answer is read at most a second after its "L".
    void requestStop();
    bool stopRequested() const { return m_stopRequested; }
    // Ends the run at once, without its cycle (the program closes).
    void endNow();

    // Clears the counters, averages and peaks now (ClearLinkStatistics).
    void clearStatistics();
    // Clears them at the end of the current cycle.
    void requestClear() { m_clearRequest = true; }
    // Clears the peak hold now; the write slot stays.
    void peakReset();

    // Read at every update, so a change acts during a run: the averaging strength (0 none, 10
    // the strongest) and the peak window's track-bar position (window = 20 × position samples).
    void setAveraging(int strength) { m_averaging = strength; }
    void setPeakPosition(int position) { m_peakPosition = position; }

    qint64 sent() const { return m_sent; }
    qint64 received() const { return m_received; }
    qint64 lost() const { return m_lost; }
    // Averages in channel order: ratio 1 (dB), noise 1 (dBm), ratio 2, noise 2.
    const std::array<double, LinkFormulas::kChannels> &averages() const { return m_LinkAverage; }
    // The average of a channel as shown: rounded to the nearest integer, halves to even.
    int shownAverage(int channel) const;
    int peak(int channel) const { return m_peaks.peak(channel); }
    // AnswerWait of the current (or last) run: from sending "L" to purging the port's buffers.
    int answerWaitMs() const { return m_answerWait; }
    // How late the cycles' purges and reads ran, since the statistics were last cleared.
    const LatenessTally &lateness() const { return m_lateness; }

private:
    void runCycles(int interval, const LinkRates &rates, bool sensitive);
    void endRun();
    void hastenLastRead();
    void purgeBeforeAnswer(qint64 earliestAnswerNs, qint64 characterNs);
    bool evaluateLinkAnswer(QByteArray &answer, LinkFormulas::LinkSamples &samples);
    // False when the run must end at once: the port has been closed or the program closes.
    bool wait();
    bool mustEndAtOnce() const;

    ComPort &m_port;
    ExchangeLog &m_log;
    LinkRunShared m_shared;
    LinkRunObserver *m_observer = nullptr;

    qint64 m_sent = 0;
    qint64 m_received = 0;
    qint64 m_lost = 0;
    std::array<double, LinkFormulas::kChannels> m_LinkAverage = LinkFormulas::kClearedAverage;
    LinkFormulas::PeakHold m_peaks;
    int m_averaging = 0;
    int m_peakPosition = 10;
    int m_answerWait = 0;
    LatenessTally m_lateness;

    bool m_clearRequest = false;
    bool m_stopRequested = false;
    bool m_portFailureReported = false;
    bool m_ownsTimer = false;
    bool m_endNow = false;
    // The wait for the current cycle's answer: whether it runs, the tick it began at and how long
    // it may last once a stop has been requested.
    bool m_inReadWait = false;
    qint64 m_readWaitStart = 0;
    qint64 m_readDueNs = 0;
    int m_stopReadWait = 0;
};
