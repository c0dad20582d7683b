// The scripted faults that hit the module's answers.
#include "moduleemulator.h"

#include <algorithm>

void ModuleEmulator::injectFault(const EmulatorFault &fault)
{
    if (fault.count != 0)
        m_faults.push_back(fault);
}

std::optional<EmulatorFault> ModuleEmulator::takeFault(const QByteArray &frame)
{
    for (auto it = m_faults.begin(); it != m_faults.end(); ++it) {
        if (!frame.startsWith(it->frame))
            continue;
        EmulatorFault fault = *it;
        if (it->count > 0 && --it->count == 0)
            m_faults.erase(it);
        return fault;
    }
    return std::nullopt;
}

QByteArray ModuleEmulator::carryOutWithoutEffect(const QByteArray &frame, double atMs)
{
    // The module answers as usual, but nothing it holds changes.
    const auto ram = m_ram;
    const auto eeprom = m_eeprom;
    std::function<void()> afterSent;
    QByteArray answer = carryOut(frame, atMs, afterSent);
    m_ram = ram;
    if (m_eeprom != eeprom) {
        m_eeprom = eeprom;
        if (m_eepromWritten)
            m_eepromWritten(); // the kept file shows the old contents again
    }
    return answer;
}

QByteArray ModuleEmulator::hitByFault(const EmulatorFault &fault, QByteArray answer,
                                      double answerAt)
{
    switch (fault.kind) {
    case FaultKind::Silent:
        answer.clear();
        break;
    case FaultKind::WrongCode:
        answer = answer.left(2);
        answer[0] = char(fault.value ? fault.value : quint8(answer[0]) ^ 0x40);
        break;
    case FaultKind::ShortAnswer:
        answer = answer.left(1);
        break;
    case FaultKind::ShortContinuation:
        if (answer.size() > 2)
            answer.chop(std::min<int>(std::max<int>(fault.value, 1), int(answer.size()) - 2));
        break;
    case FaultKind::ReportBefore:
        schedule(answerAt, fault.report, EmulatorLogEntry::Report);
        break;
    case FaultKind::ModuleError:
    case FaultKind::Ignored:
    case FaultKind::EepromLost:
        break;
    }
    return answer;
}
