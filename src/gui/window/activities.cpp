#include "window/activities.h"

#include "texts/messages.h"

#include <QPushButton>

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
