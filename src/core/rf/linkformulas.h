#pragma once

#include "common/rounding.h"

#include <QByteArray>
#include <QLocale>
#include <QString>

#include <algorithm>
#include <array>

// The computations behind LinkControl: its timing, the display formats, the answer layout, the
// running averages and the peak hold. No widgets, no port.
namespace LinkFormulas
{

// Milliseconds from sending "L" to purging the port buffers. hf is the radio rate, rs the PC's
// serial rate; sensitive selects the short timing of sensitivity measurements.
int answerWait(int hf, int rs, bool sensitive);

// The earliest moment the answer can come, in ms after "L" went out: the module's own time for
// the exchange, of which AnswerWait is four fifths.
int earliestLinkAnswerMs(int hf, int rs, bool sensitive);

// The smallest sensible interval in ms. hfPosition and rsPosition are the item positions of the
// two rates in their lists (radio 0 = 1200 .., serial 0 = 1200 ..).
int minLinkInterval(int hf, int rs, int hfPosition, int rsPosition, bool sensitive);

// The intervals a run takes, in ms: below 1 the cycle would not wait at all, and a minute
// between two exchanges is already far longer than any link test needs.
constexpr int kIntervalMinMs = 1;
constexpr int kIntervalMaxMs = 60000;

// A typed interval longer than a run takes is refused.
constexpr bool intervalTooLong(qint64 typed)
{
    return typed > kIntervalMaxMs;
}
// Below the minimum for the rates (zero and negative values too) the user is asked whether to
// raise the interval to the minimum.
constexpr bool intervalBelowMinimum(qint64 typed, int minimum)
{
    return typed < minimum;
}
// The interval a run uses for a typed one: the minimum when the user raised it, else the typed
// value, but never below kIntervalMinMs (nor above kIntervalMaxMs, which Start refuses first).
constexpr int runInterval(qint64 typed, int minimum, bool raised)
{
    if (raised && intervalBelowMinimum(typed, minimum))
        return minimum;
    return int(std::clamp<qint64>(typed, kIntervalMinMs, kIntervalMaxMs));
}

// A number in the general format with at most `digits` significant digits: shortest form,
// trailing zeros dropped, the locale's decimal separator; magnitudes below 0.00001 (and numbers
// too long for the digits) in exponent form with at least two exponent digits.
QString generalFormat(double value, int digits, const QLocale &locale = QLocale());

// Received and lost percentages as shown: "66.67%" (4 digits) and "33.3%" (3 digits).
QString receivedPercentText(qint64 received, qint64 sent, const QLocale &locale = QLocale());
QString lostPercentText(qint64 lost, qint64 sent, const QLocale &locale = QLocale());

// A 7-byte answer 4C S2 x x N2 S1 N1 in the 5-byte layout 4C S2 N2 S1 N1; other answers as given.
QByteArray compactAnswer(const QByteArray &answer);

// An answer that counts: first byte 0x4C and 3, 5 or 7 bytes long.
bool isValidAnswer(const QByteArray &answer);

// Of the bytes a late purge finds, those that may be the answer, complete or still coming: from
// the first 0x4C among the last bytes that can have come since the answer's earliest moment (at
// the line's rate, at most the seven bytes of the longest answer). What comes before is stale;
// without such a byte nothing is kept.
QByteArray answerPart(const QByteArray &bytes, qint64 answerBytesPossible);

// The samples of a valid answer, in channel order: ratio 1, noise 1, ratio 2, noise 2. Ratios
// are the difference of the bytes taken unsigned, noise levels the byte taken signed.
struct LinkSamples {
    int channels = 0; // 2 for a 3-byte answer, 4 otherwise
    std::array<int, 4> values{};
};
LinkSamples samplesOf(const QByteArray &validAnswer);

constexpr int kChannels = 4;
constexpr std::array<double, kChannels> kClearedAverage{0.0, -128.0, 0.0, -128.0};

// One averaging step: A - (A - x) / (P + 1); P 0 gives no averaging, 10 the strongest.
double averaged(double average, int sample, int strength);

// Peak hold over a window of the last W samples (W = 20 × track-bar position) for four channels
// that share one write slot. Slots are numbered 1 to 500; a peak stays until the slot holding it
// is overwritten, an equal later sample keeps the older peak.
class PeakHold
{
public:
    static constexpr int kSlots = 500;

    PeakHold() { reset(); }

    // Fills every slot with the cleared values (0 for ratios, -128 for noise) and points every
    // peak at slot 1. The write slot is not touched.
    void reset();

    // Stores one rounded average per channel (0 .. channels-1) at the write slot and advances it.
    // window is the window length in samples (20 to 400).
    void add(const std::array<double, kChannels> &averages, int channels, int window,
             int &writeSlot);

    qint8 peak(int channel) const { return m_history[channel][m_peakSlot[channel]]; }
    int peakSlot(int channel) const { return m_peakSlot[channel]; }
    qint8 sample(int channel, int slot) const { return m_history[channel][slot]; }

private:
    std::array<std::array<qint8, kSlots + 1>, kChannels> m_history{};
    std::array<int, kChannels> m_peakSlot{};
};

} // namespace LinkFormulas
