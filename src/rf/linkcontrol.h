#pragma once

#include "rf/linkformulas.h"
#include "rf/linkhistory.h"
#include "rf/mscountdown.h"

#include <QObject>
#include <QString>

#include <array>
#include <optional>
#include <utility>

class ComPort;
class ExchangeLog;
class QComboBox;
class QLineEdit;
class QPushButton;
class QWidget;
struct HfTestControls;

// What LinkControl reads outside its own group, and the window's state it shares.
struct LinkControlEnvironment {
    QComboBox *CBox_COM = nullptr;        // the port selection ("DEMO" shows no settings)
    QComboBox *CBox_RS232_baud = nullptr; // the PC's serial rate
    QComboBox *CBox_HFbaud_C = nullptr;   // the radio rate of the C configuration
    QComboBox *CBox_Frq_RX_C = nullptr;
    QLineEdit *Edit_SW_Typ = nullptr;
    QPushButton *BtnMonitor_Start = nullptr;
    QPushButton *BtnStartHF_Test = nullptr;
    const double *RBW = nullptr; // receiver bandwidth of the configuration, kHz
    const int *languageIndex = nullptr;
    QWidget *messageParent = nullptr;

    bool *LinkControlRunning = nullptr;
    bool *LinkStopFlag = nullptr;
    int *PeakWriteSlot = nullptr;
    MsCountdown *countdown = nullptr;
    MmTimerSlot *timerSlot = nullptr;
};

// The LinkControl measurement: once per interval the single byte "L" goes to the connected
// module, which exchanges a telegram with the free module and answers with the signal and noise
// levels both saw. The loop runs inside the Start click and processes the window's events while
// it waits, so Stop, Clear statistics, Peak Reset and the averaging track bar act during a run.
class LinkControl : public QObject
{
    Q_OBJECT
public:
    LinkControl(ComPort &port, ExchangeLog &log, HfTestControls &controls,
                const LinkControlEnvironment &environment, QObject *parent = nullptr);

    // Click handlers.
    void BtnStartLinkControlClick();
    void BtnLinkControl_ClearClick();
    void BtnLinkControl_PeakResetClick();
    // The RF-tests page became visible: the settings labels and the default interval.
    void pageShown();

    // MinLinkInterval for the current rates and option; nothing while a rate is not a number.
    std::optional<int> computeMinLinkInterval() const;
    int answerWaitMs() const { return m_answerWait; }
    // A run is going (the caption reads "Stop"): it keeps the interval it started with, so the
    // interval edit is not rewritten meanwhile.
    bool runGoing() const;
    // The window closes: a run ends at once, without waiting for its cycle.
    void endRunNow();

signals:
    // After each cycle's counters are updated, before the window's events run; a receiver only
    // stores the values, so that the cycle's timing does not depend on it.
    void cycleFinished(const LinkCycle &cycle);
    void statisticsCleared();

private:
    struct Rates {
        int hf = 0;
        int rs = 0;
        int hfPosition = 0;
        int rsPosition = 0;
    };
    std::optional<Rates> rates() const;
    bool sensitive() const;
    void showMessage(const QString &german, const QString &english) const;
    bool ask(const QString &german, const QString &english) const;
    bool refusedByOtherActivity() const;
    // The interval and both rates as whole numbers, or a message naming the first bad field.
    std::optional<int> readInterval() const;

    void runLinkControl(int interval);
    void runCycles(int interval);
    void endRun();
    // After Stop the last cycle does not wait out a long interval.
    void hastenLastRead();
    bool evaluateLinkAnswer();
    void updateChannel(int channel, int sample);
    void clearModule2Display();
    void showPeaks(int channels);
    void clearLinkStatistics();
    void peakReset();
    // False when the run must end at once: the port has been closed or the window closes.
    bool wait();
    bool mustEndAtOnce() const;

    ComPort &m_port;
    ExchangeLog &m_log;
    HfTestControls &c;
    LinkControlEnvironment m_env;

    bool m_LinkClearRequest = false;
    int m_answerWait = 0;
    std::array<double, LinkFormulas::kChannels> m_LinkAverage = LinkFormulas::kClearedAverage;
    LinkFormulas::PeakHold m_peaks;
    bool m_portFailureReported = false;
    bool m_ownsTimer = false;
    bool m_endNow = false;
    // The wait for the current cycle's answer: whether it runs, the tick it began at and how long
    // it may last once Stop has been clicked.
    bool m_inReadWait = false;
    qint64 m_readWaitStart = 0;
    int m_stopReadWait = 0;
    QByteArray m_lastAnswer;
};

// The texts that refuse another module operation while a run owns the port (German, English):
// the run is going, or Stop has been clicked and it is finishing its last cycle.
std::pair<QString, QString> linkControlBusyTexts(bool stopClicked);
