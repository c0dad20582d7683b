// The module's side of the line: what it sends waits for its time and leaves one character time
// after another, and everything sent or taken is logged.
#include "moduleemulator.h"

#include <algorithm>

void ModuleEmulator::emitReport(const QByteArray &bytes, double atMs)
{
    schedule(atMs, bytes, EmulatorLogEntry::Report);
}

void ModuleEmulator::schedule(double at, const QByteArray &bytes, EmulatorLogEntry::Kind kind,
                              std::function<void()> afterSent)
{
    Pending pending{at, bytes, kind, std::move(afterSent)};
    auto pos = std::upper_bound(m_scheduled.begin(), m_scheduled.end(), at,
                                [](double t, const Pending &p) { return t < p.at; });
    m_scheduled.insert(pos, std::move(pending));
    if (m_outputScheduled && !bytes.isEmpty())
        m_outputScheduled();
}

void ModuleEmulator::addLog(EmulatorLogEntry::Kind kind, double atMs, const QByteArray &bytes)
{
    const EmulatorLogEntry entry{kind, atMs, bytes};
    m_log.append(entry);
    if (m_logCallback)
        m_logCallback(entry);
}

bool ModuleEmulator::streaming() const
{
    return m_powered && !m_asleep && m_config.reportPeriodMs > 0 &&
           !m_config.reportStream.isEmpty();
}

void ModuleEmulator::scheduleStreamReports(double nowMs)
{
    while (streaming() && m_nextStreamAt <= nowMs) {
        const double at = m_nextStreamAt;
        m_nextStreamAt += m_config.reportPeriodMs;
        if (m_lineFreeAt > at + m_config.reportPeriodMs)
            continue;
        Pending pending{at, m_config.reportStream, EmulatorLogEntry::Report, {}, false};
        auto pos = std::upper_bound(m_scheduled.begin(), m_scheduled.end(), at,
                                    [](double t, const Pending &p) { return t < p.at; });
        m_scheduled.insert(pos, std::move(pending));
    }
}

void ModuleEmulator::advance(double nowMs)
{
    scheduleStreamReports(nowMs);
    while (!m_scheduled.empty() && m_scheduled.front().at <= nowMs) {
        Pending pending = std::move(m_scheduled.front());
        m_scheduled.erase(m_scheduled.begin());
        if (!m_powered)
            continue;
        if (pending.bytes.isEmpty()) {
            if (pending.afterSent)
                pending.afterSent();
            continue;
        }
        // At a rate the PC does not use, every byte reaches it as noise.
        const bool heard = moduleBaud() == m_pcBaud;
        const double byteTime = byteTimeMs(moduleBaud());
        const double start = std::max(pending.at, m_lineFreeAt);
        for (int i = 0; i < pending.bytes.size(); ++i) {
            const char byte = heard ? pending.bytes[i] : char(0xFF);
            m_line.emplace_back(start + (i + 1) * byteTime, byte);
        }
        m_lineFreeAt = start + pending.bytes.size() * byteTime;
        // The stream of reports would drown the log.
        if (pending.logged)
            addLog(pending.kind, start, pending.bytes);
        if (pending.afterSent)
            pending.afterSent();
    }
}

QByteArray ModuleEmulator::takeOutput(double nowMs)
{
    advance(nowMs);
    QByteArray out;
    while (!m_line.empty() && m_line.front().first <= nowMs) {
        out.append(m_line.front().second);
        m_line.pop_front();
    }
    return out;
}

std::optional<double> ModuleEmulator::nextOutputAt() const
{
    if (!m_line.empty())
        return m_line.front().first;
    std::optional<double> next;
    for (const Pending &pending : m_scheduled) {
        if (!pending.bytes.isEmpty()) {
            next = std::max(pending.at, m_lineFreeAt) + byteTimeMs(moduleBaud());
            break;
        }
    }
    if (streaming()) {
        const double streamAt = std::max(m_nextStreamAt, m_lineFreeAt) + byteTimeMs(moduleBaud());
        if (!next || streamAt < *next)
            next = streamAt;
    }
    return next;
}
