// Bytes from the PC to frames: what a deaf, sleeping or busy module ignores, the carrier's pattern
// bytes, the LinkControl request, and the hand-over of each frame to its command.
#include "emulatorbytes.h"
#include "moduleemulator.h"

#include <iterator>

using namespace EmulatorBytes;

void ModuleEmulator::receive(const QByteArray &bytes, double nowMs)
{
    const double byteTime = byteTimeMs(m_pcBaud);
    QByteArray ignored;
    double ignoredAt = nowMs;
    for (int i = 0; i < bytes.size(); ++i) {
        const double at = nowMs + (i + 1) * byteTime;
        advance(at);
        if (ignored.isEmpty())
            ignoredAt = at;
        receiveByte(quint8(bytes[i]), at, ignored);
    }
    if (!ignored.isEmpty())
        addLog(EmulatorLogEntry::Ignored, ignoredAt, ignored);
}

void ModuleEmulator::receiveByte(quint8 byte, double atMs, QByteArray &ignored)
{
    if (takesCarrierByte(byte, atMs)) {
        m_carrier.take(byte, atMs, byteTimeMs(m_pcBaud));
        return;
    }
    // A lone "L" between frames asks a C module for a LinkControl exchange, in either RTS state.
    if (m_config.type == 'C' && m_config.link.enabled && byte == quint8('L') && m_frame.isEmpty() &&
        m_powered && atMs >= m_readyAt && !m_asleep && moduleBaud() == m_pcBaud) {
        handleLinkRequest(atMs);
        return;
    }
    const bool deaf = !m_powered || atMs < m_readyAt || m_asleep || moduleBaud() != m_pcBaud ||
                      (m_config.type == 'C' && m_rts);
    if (deaf) {
        ignored.append(char(byte));
        return;
    }
    if (!m_frame.isEmpty() && atMs - m_lastInputAt > m_config.frameGapMs) {
        ignored.append(m_frame);
        m_frame.clear();
    }
    m_lastInputAt = atMs;
    if (m_frame.isEmpty() && byte != kStartByte) {
        ignored.append(char(byte));
        return;
    }
    m_frame.append(char(byte));
    if (m_frame.size() == 3) {
        const QByteArray frame = m_frame;
        m_frame.clear();
        handleFrame(frame, atMs);
    }
}

int ModuleEmulator::radioBaud() const
{
    static constexpr int kRadioRates[] = {1200, 2400, 4800, 9600, 19200, 38400, 76800, 153600};
    const int code = m_ram[0x0B];
    return code < int(std::size(kRadioRates)) ? kRadioRates[code] : 0;
}

void ModuleEmulator::handleLinkRequest(double atMs)
{
    addLog(EmulatorLogEntry::Frame, atMs, QByteArray(1, 'L'));
    const auto answer = m_linkPartner.answer(m_config.link);
    if (!answer)
        return;
    const double delay = m_config.link.answerDelayMs >= 0
                             ? m_config.link.answerDelayMs
                             : LinkPartner::airTimeMs(radioBaud(), moduleBaud());
    schedule(atMs + delay, *answer, EmulatorLogEntry::Answer);
}

void ModuleEmulator::handleFrame(const QByteArray &frame, double atMs)
{
    addLog(EmulatorLogEntry::Frame, atMs, frame);
    const double answerAt = atMs + m_config.processingDelayMs;
    const auto fault = takeFault(frame);
    const double lateAt = answerAt + (fault ? fault->lateMs : 0);
    if (fault && fault->kind == FaultKind::ModuleError) {
        schedule(lateAt, moduleError(fault->value), EmulatorLogEntry::Answer);
        return;
    }

    std::function<void()> afterSent;
    QByteArray answer;
    if (fault && fault->kind == FaultKind::Ignored) {
        answer = carryOutWithoutEffect(frame, atMs);
    } else if (fault && fault->kind == FaultKind::EepromLost) {
        QByteArray ramOnly = frame;
        ramOnly[1] = char(quint8(frame[1]) & ~kEepromBit);
        answer = carryOut(ramOnly, atMs, afterSent);
    } else
        answer = carryOut(frame, atMs, afterSent);
    if (fault)
        answer = hitByFault(*fault, answer, answerAt);
    if (!answer.isEmpty())
        schedule(lateAt, answer, EmulatorLogEntry::Answer, std::move(afterSent));
    else if (afterSent)
        schedule(lateAt, {}, EmulatorLogEntry::Answer, std::move(afterSent));
}

bool ModuleEmulator::takesCarrierByte(quint8 byte, double atMs) const
{
    // A C module sends the pattern bytes of the carrier test over the air. They come in data mode
    // (RTS on); a pseudo-terminal shows no RTS, so outside a frame they count in command mode too,
    // where they could not start a frame anyway.
    return m_config.type == 'C' && m_frame.isEmpty() && CarrierCounter::isPattern(byte) &&
           m_powered && !m_asleep && atMs >= m_readyAt && moduleBaud() == m_pcBaud;
}
