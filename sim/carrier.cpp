#include "carrier.h"

#include <QString>

#include <algorithm>

double CarrierStream::bytesPerSecond() const
{
    if (bytes < 2 || lastMs <= firstMs)
        return 0;
    return double(bytes - 1) * 1000.0 / (lastMs - firstMs);
}

QString CarrierStream::toString() const
{
    return QStringLiteral("%1 bytes (FF %2, AA %3), %4 bytes/s over %5 s")
        .arg(bytes)
        .arg(unmodulated)
        .arg(modulated)
        .arg(bytesPerSecond(), 0, 'f', 1)
        .arg((lastMs - firstMs) / 1000.0, 0, 'f', 2);
}

void CarrierCounter::take(quint8 byte, double atMs, double byteTimeMs)
{
    if (!isPattern(byte))
        return;
    if (m_running && atMs - m_stream.lastMs > kGapMs)
        finish();
    if (m_running)
        atMs = std::max(atMs, m_stream.lastMs + byteTimeMs);
    if (!m_running) {
        m_running = true;
        ++m_count;
        m_stream = CarrierStream{};
        m_stream.firstMs = atMs;
        m_lastReportMs = atMs;
    }
    ++m_stream.bytes;
    ++m_total;
    if (byte == 0xFF)
        ++m_stream.unmodulated;
    else
        ++m_stream.modulated;
    m_stream.lastMs = atMs;
    if (atMs - m_lastReportMs >= kProgressMs) {
        m_lastReportMs = atMs;
        if (m_report)
            m_report(m_stream, false);
    }
}

void CarrierCounter::finish()
{
    if (!m_running)
        return;
    m_running = false;
    if (m_report)
        m_report(m_stream, true);
}
