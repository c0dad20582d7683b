#include "headless/slotsweep.h"

#include "module/identification.h"

#include <algorithm>

namespace Headless
{

SlotSweep::SlotSweep(ModuleSession &session, MsCountdown &countdown, MmTimerSlot &timerSlot)
    : m_session(session), m_core(session.link(), countdown, timerSlot, *this)
{
    m_items.fill(-1);
}

void SlotSweep::setSlots(const QList<int> &items)
{
    for (int n = 0; n < items.size() && n < kSlots; ++n)
        m_items[size_t(n)] = items[n];
}

int SlotSweep::activeSlots() const
{
    return int(std::count_if(m_items.begin(), m_items.end(), [](int k) { return k >= 0; }));
}

bool SlotSweep::cModule() const
{
    return firmwareType(m_session.typeLetter()) == FirmwareType::C;
}

void SlotSweep::countSweep()
{
    ++m_done;
    if (m_wanted > 0 && m_done >= m_wanted)
        m_core.requestStop();
}

} // namespace Headless
