#include "window/activities.h"

#include "link/linewait.h"
#include "texts/messages.h"
#include "widgets/busycursor.h"

#include <QPushButton>

#include <utility>

namespace
{

// A kept click comes again as the user's click, where the window takes user input: never inside
// a wait on the line, which holds user input back (and may have disabled the button meanwhile).
void clickAgain(QAbstractButton *button)
{
    LineWait::afterWait(button, [button] {
        if (LineWait::active())
            clickAgain(button);
        else
            button->click();
    });
}

} // namespace

Activities::Activities() = default;
Activities::~Activities() = default;

void Activities::disconnected()
{
    m_txState = 0;
    dropKeptClicks();
}

bool Activities::takeProgramClick(const QAbstractButton *button)
{
    if (m_programClick != button || !button)
        return false;
    m_programClick = nullptr;
    return true;
}

Activities::LineTurn Activities::requestLine(LineUser user, QAbstractButton *button,
                                             bool programClick)
{
    if (user == LineUser::Write)
        m_configurationWritten = false;
    if (m_lineTurns == 0 || programClick) {
        if (m_lineTurns++ == 0)
            m_lineUser = user;
        return LineTurn(this, nullptr);
    }
    if (const MessageText *refusal = refusalWhileHeld(user))
        return LineTurn(nullptr, refusal);
    // The holder is ending, or does one short operation: the click waits for it.
    if (!m_kept.contains(button)) // a double click waits once
        m_kept.append(button);
    if (!m_keptPointer)
        m_keptPointer = std::make_unique<BusyCursor>();
    return LineTurn(nullptr, nullptr);
}

const MessageText *Activities::refusalWhileHeld(LineUser user) const
{
    // A second start of the activity that is ending would be a double click's, not a wish to
    // run it again.
    if (user == m_lineUser) {
        switch (user) {
        case LineUser::LinkControl:
            return &Messages::kLinkControlStopping;
        case LineUser::Monitor:
            return &Messages::kMonitorStopping;
        case LineUser::Carrier:
            return &Messages::kCarrierStopping;
        default:
            return nullptr;
        }
    }
    switch (m_lineUser) {
    case LineUser::LinkControl:
        return startedOf({Kind::LinkControl});
    case LineUser::Monitor:
        return startedOf({Kind::Monitor});
    case LineUser::Carrier:
        return startedOf({Kind::Carrier});
    default:
        return nullptr;
    }
}

Activities::LineTurn::~LineTurn()
{
    if (m_activities)
        m_activities->releaseLine();
}

void Activities::releaseLine()
{
    if (--m_lineTurns > 0)
        return;
    m_lineUser = LineUser::None;
    // Each kept click asks for the line anew, in the order they came: it finds it free, or taken
    // by a click kept before it.
    for (const QPointer<QAbstractButton> &kept : std::as_const(m_kept)) {
        if (kept)
            clickAgain(kept.data());
    }
    dropKeptClicks();
}

void Activities::dropKeptClicks()
{
    m_kept.clear();
    m_keptPointer.reset();
}

void Activities::setStartButtons(QPushButton *carrier, QPushButton *linkControl,
                                 QPushButton *monitor)
{
    m_carrierStart = carrier;
    m_linkControlStart = linkControl;
    m_monitorStart = monitor;
}

bool Activities::showsStop(const QPointer<QPushButton> &button)
{
    return button && button->text() == QLatin1String("Stop");
}

bool Activities::carrierStarted() const
{
    return showsStop(m_carrierStart);
}

bool Activities::linkControlStarted() const
{
    return showsStop(m_linkControlStart);
}

bool Activities::monitorStarted() const
{
    return showsStop(m_monitorStart);
}

const MessageText *Activities::startedOf(std::initializer_list<Kind> kinds) const
{
    for (Kind kind : kinds) {
        switch (kind) {
        case Kind::Carrier:
            if (carrierStarted())
                return &Messages::kCarrierRunning;
            break;
        case Kind::LinkControl:
            if (linkControlStarted())
                return &Messages::kLinkControlRunning;
            break;
        case Kind::Monitor:
            if (monitorStarted())
                return &Messages::kMonitorRunning;
            break;
        }
    }
    return nullptr;
}

LinkRunShared Activities::linkRunShared()
{
    return LinkRunShared{&m_countdown, &m_timerSlot, &m_linkControlRunning, &m_linkStopFlag,
                         &m_peakWriteSlot};
}

CarrierLine Activities::carrierLine(ModuleLink &link)
{
    return CarrierLine{link, m_countdown, m_timerSlot, m_carrierStreaming, m_txState};
}
