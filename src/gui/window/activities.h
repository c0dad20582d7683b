#pragma once

#include "rf/carrier.h"
#include "rf/linkrun.h"
#include "rf/mscountdown.h"

#include <QPointer>

#include <initializer_list>

class ModuleLink;
class QPushButton;
struct MessageText;

// What runs on the port and what the activities share to time their frames: the carrier test,
// LinkControl, the monitor sweep, the module tests, read-out, write and the wizard ask here
// whether another one runs. The window owns it and hands it to each page's handlers.
class Activities
{
public:
    Activities() = default;
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

    // LinkControl owns the port from its start until its last cycle has ended, also after Stop.
    bool linkControlRunning() const { return m_linkControlRunning; }
    // The carrier test streams its pattern to a C module.
    bool carrierStreaming() const { return m_carrierStreaming; }
    // The transmitter state of the carrier test: 0 receive, 1 transmit.
    int txState() const { return m_txState; }
    // The connection ended: the module's transmitter is off with it.
    void disconnected() { m_txState = 0; }

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
};
