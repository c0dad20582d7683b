#pragma once

#include "rf/linkhistory.h"
#include "rf/linkrun.h"

#include <QObject>
#include <QString>

#include <optional>

class Activities;
class ComPort;
class ExchangeLog;
class QComboBox;
class QLineEdit;
class QWidget;
struct HfTestControls;
struct SharedState;

// What LinkControl reads outside its own group.
struct LinkControlEnvironment {
    QComboBox *CBox_COM = nullptr;        // the port selection ("DEMO" shows no settings)
    QComboBox *CBox_RS232_baud = nullptr; // the PC's serial rate
    QComboBox *CBox_HFbaud_C = nullptr;   // the radio rate of the C configuration
    QComboBox *CBox_Frq_RX_C = nullptr;
    QLineEdit *Edit_SW_Typ = nullptr;
    QWidget *messageParent = nullptr;
};

// The LinkControl group: reads the interval, the rates and the options from the window into
// the run's values, shows its messages and refusals, and draws every cycle of the run. The run
// goes inside the Start click and processes the window's events while it waits, so Stop, Clear
// statistics, Peak Reset and the averaging track bar act during a run.
class LinkControl : public QObject, private LinkRunObserver
{
    Q_OBJECT
public:
    // shared gives the language and the configuration's receiver bandwidth; the run keeps its
    // running state and timing in activities.
    LinkControl(ComPort &port, ExchangeLog &log, HfTestControls &controls,
                const LinkControlEnvironment &environment, const SharedState &shared,
                Activities &activities, QObject *parent = nullptr);

    // Click handlers.
    void BtnStartLinkControlClick();
    void BtnLinkControl_ClearClick();
    void BtnLinkControl_PeakResetClick();
    // The RF-tests page became visible: the settings labels and the default interval.
    void pageShown();

    // MinLinkInterval for the current rates and option; nothing while a rate is not a number.
    std::optional<int> computeMinLinkInterval() const;
    int answerWaitMs() const { return m_run.answerWaitMs(); }
    // A run is going (the caption reads "Stop"): it keeps the interval it started with, so the
    // interval edit is not rewritten meanwhile.
    bool runGoing() const;
    // The window closes: a run ends at once, without waiting for its cycle.
    void endRunNow();
    // The window disconnected: the wizard and the start button usable again.
    void disconnected();
    const LinkRun &run() const { return m_run; }

signals:
    // After each cycle's counters are shown, before the window's events run; a receiver only
    // stores the values, so that the cycle's timing does not depend on it.
    void cycleFinished(const LinkCycle &cycle);
    void statisticsCleared();

private:
    std::optional<LinkRates> rates() const;
    bool sensitive() const;
    void showMessage(const QString &german, const QString &english) const;
    bool ask(const QString &german, const QString &english) const;
    bool refusedByOtherActivity() const;
    // The interval and both rates as whole numbers, or a message naming the first bad field.
    std::optional<qint64> readInterval() const;
    void showStopped();

    // LinkRunObserver
    void cycleEnded(const LinkRun &run, const LinkCycle &cycle,
                    const LinkFormulas::LinkSamples &samples) override;
    void cleared(const LinkRun &run) override;

    void showChannel(int channel);
    void clearModule2Display();
    void showPeaks(int channels);
    void showPeakReset();
    void showLateness(const LatenessTally &lateness);

    HfTestControls &c;
    LinkControlEnvironment m_env;
    const SharedState &m_shared;
    const Activities &m_activities;
    LinkRun m_run;
};
