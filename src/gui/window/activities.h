#pragma once

#include "rf/carrier.h"
#include "rf/linkrun.h"
#include "rf/mscountdown.h"

#include <QList>
#include <QPointer>

#include <initializer_list>
#include <memory>

class BusyCursor;
class ModuleLink;
class QAbstractButton;
class QPushButton;
struct MessageText;

// What runs on the port and what the activities share to time their frames: the carrier test,
// LinkControl, the monitor sweep, the module tests, read-out, write and the wizard ask here
// whether another one runs. The window owns it and hands it to each page's handlers.
class Activities
{
public:
    Activities();
    ~Activities();
    Activities(const Activities &) = delete;
    Activities &operator=(const Activities &) = delete;

    // A start button that reads "Stop" is the record that its activity has been started and not
    // yet stopped by the user.
    void setStartButtons(QPushButton *carrier, QPushButton *linkControl, QPushButton *monitor);
    bool carrierStarted() const;
    bool linkControlStarted() const;
    bool monitorStarted() const;
    enum class Kind { Carrier, LinkControl, Monitor };
    // The message naming the first of these activities that has been started, looked at in the
    // order given, or nothing when none of them has.
    const MessageText *startedOf(std::initializer_list<Kind> kinds) const;

    // One activity talks to the module at a time: it holds the line from its start until its last
    // step has ended. LinkControl, the monitor and the carrier test wait for the module while the
    // window's events run, so a click can come in while one of them holds the line.
    enum class LineUser { None, LinkControl, Wizard, Carrier, Monitor, ModuleTest, ReadOut, Write };

    // A click the program performs on a button is a step of whatever holds the line (the wizard's
    // write, the carrier test's write, a read-out restarting the carrier). The program marks the
    // button just before its click; the click's handler takes the mark before anything else.
    void markProgramClick(const QAbstractButton *button) { m_programClick = button; }
    bool takeProgramClick(const QAbstractButton *button);

    // A turn on the line, held until it goes out of scope.
    class LineTurn
    {
    public:
        ~LineTurn();
        LineTurn(const LineTurn &) = delete;
        LineTurn &operator=(const LineTurn &) = delete;
        bool granted() const { return m_activities != nullptr; }
        // What to tell the user of a refused click; nothing for a granted or a kept one.
        const MessageText *refusal() const { return m_refusal; }

    private:
        friend class Activities;
        LineTurn(Activities *granted, const MessageText *refusal)
            : m_activities(granted), m_refusal(refusal)
        {
        }
        Activities *m_activities;
        const MessageText *m_refusal;
    };
    // The click on button starts user. Granted when the line is free and for the program's own
    // clicks; otherwise it came in while another activity waits: refused while that one runs
    // (and for the activity itself while it is ending), else kept under the busy pointer and
    // clicked again once the line is free.
    LineTurn requestLine(LineUser user, QAbstractButton *button, bool programClick);

    // Whether the last configuration write that was clicked got the configuration into the
    // module: false when it was refused, kept for later or failed. Whoever clicks the write as a
    // step of its own reads it.
    bool configurationWritten() const { return m_configurationWritten; }
    void setConfigurationWritten(bool written) { m_configurationWritten = written; }

    // LinkControl owns the port from its start until its last cycle has ended, also after Stop.
    bool linkControlRunning() const { return m_linkControlRunning; }
    // The carrier test streams its pattern to a C module.
    bool carrierStreaming() const { return m_carrierStreaming; }
    // The transmitter state of the carrier test: 0 receive, 1 transmit.
    int txState() const { return m_txState; }
    // The connection ended: the module's transmitter is off with it, and the clicks kept for the
    // line no longer apply.
    void disconnected();

    // The 1 ms countdown and the one periodic-timer slot shared by the carrier test, LinkControl
    // and the monitor sweep.
    MsCountdown &countdown() { return m_countdown; }
    MmTimerSlot &timerSlot() { return m_timerSlot; }
    const MmTimerSlot &timerSlot() const { return m_timerSlot; }

    // The state a LinkControl run and the carrier output keep here.
    LinkRunShared linkRunShared();
    CarrierLine carrierLine(ModuleLink &link);

private:
    static bool showsStop(const QPointer<QPushButton> &button);
    const MessageText *refusalWhileHeld(LineUser user) const;
    void releaseLine();
    void dropKeptClicks();

    MsCountdown m_countdown{0};
    MmTimerSlot m_timerSlot{m_countdown};
    int m_txState = 0;
    bool m_carrierStreaming = false;
    bool m_linkControlRunning = false;
    bool m_linkStopFlag = true;
    int m_peakWriteSlot = 1;
    QPointer<QPushButton> m_carrierStart;
    QPointer<QPushButton> m_linkControlStart;
    QPointer<QPushButton> m_monitorStart;

    LineUser m_lineUser = LineUser::None;
    int m_lineTurns = 0; // the holder's turn and the steps it takes
    const QAbstractButton *m_programClick = nullptr;
    QList<QPointer<QAbstractButton>> m_kept;
    std::unique_ptr<BusyCursor> m_keptPointer;
    bool m_configurationWritten = false;
};
