#pragma once

#include <QtGlobal>

#include <functional>

// One carrier stream as the module's radio sends it: the pattern bytes the PC fed in one run,
// with their count and rate.
struct CarrierStream {
    qint64 bytes = 0;
    qint64 unmodulated = 0; // 0xFF
    qint64 modulated = 0;   // 0xAA
    double firstMs = 0;     // arrival of the first and of the last byte
    double lastMs = 0;

    // Bytes per second over the stream's span; 0 while it has fewer than two bytes.
    double bytesPerSecond() const;
    // "12345 bytes (FF 12345, AA 0), 1919.8 bytes/s over 6.43 s"
    QString toString() const;
};

// Counts the pattern bytes (0xFF unmodulated, 0xAA modulated) that the module sends over the air.
// A byte takes its byte time on the serial line, so no byte counts as earlier than the previous
// one's end: bytes a pseudo-terminal hands over in a lump (its side of the line is not paced)
// keep the line's timing. A pause longer than kGapMs, or the line closing, ends a stream; the
// next byte starts a new one.
class CarrierCounter
{
public:
    static constexpr double kGapMs = 500;
    static constexpr double kProgressMs = 1000;

    static bool isPattern(quint8 byte) { return byte == 0xFF || byte == 0xAA; }

    // A pattern byte whose last bit arrived at atMs, byteTimeMs after the start of its first.
    void take(quint8 byte, double atMs, double byteTimeMs);
    // The line closed: a running stream ends.
    void finish();

    // The stream now running, or the last one; empty before the first byte.
    const CarrierStream &latest() const { return m_stream; }
    bool running() const { return m_running; }
    qint64 totalBytes() const { return m_total; }
    int streamCount() const { return m_count; }

    // Called every kProgressMs of a running stream (finished false) and when it ends (true).
    void setReportCallback(std::function<void(const CarrierStream &, bool finished)> callback)
    {
        m_report = std::move(callback);
    }

private:
    CarrierStream m_stream;
    bool m_running = false;
    double m_lastReportMs = 0;
    qint64 m_total = 0;
    int m_count = 0;
    std::function<void(const CarrierStream &, bool)> m_report;
};
