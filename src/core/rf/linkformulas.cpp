#include "rf/linkformulas.h"

#include "link/catalogue.h"

#include <algorithm>
#include <cmath>

namespace LinkFormulas
{

namespace
{

int ceilDiv(int q, int d)
{
    return (q + d - 1) / d;
}

QString withDecimalPoint(QString text, const QLocale &locale)
{
    return text.replace(QLatin1Char('.'), locale.decimalPoint());
}

QString dropTrailingZeros(QString text)
{
    if (!text.contains(QLatin1Char('.')))
        return text;
    while (text.endsWith(QLatin1Char('0')))
        text.chop(1);
    if (text.endsWith(QLatin1Char('.')))
        text.chop(1);
    return text;
}

QString percentText(qint64 part, qint64 sent, int digits, const QLocale &locale)
{
    const double percent = sent > 0 ? double(part) * 100.0 / double(sent) : 0.0;
    return generalFormat(percent, digits, locale) + QLatin1Char('%');
}

} // namespace

int earliestLinkAnswerMs(int hf, int rs, bool sensitive)
{
    return sensitive ? 96000 / hf + 40000 / rs : 192000 / hf + 110000 / rs;
}

int answerWait(int hf, int rs, bool sensitive)
{
    // 0.8 × the exchange's time, rounded; 8 × sum / 10 keeps it exact.
    return int(roundHalfEven(qint64(earliestLinkAnswerMs(hf, rs, sensitive)) * 8, 10));
}

int minLinkInterval(int hf, int rs, int hfPosition, int rsPosition, bool sensitive)
{
    if (sensitive)
        return ceilDiv(40000, rs) + ceilDiv(96000, hf) + 8;
    const bool longTelegram =
        (hfPosition > 1 && rsPosition > 3) || (hfPosition <= 1 && rsPosition > 2);
    const int k = longTelegram ? 288000 : 192000;
    const int t = ceilDiv(k, hf) + (168000 / rs + 1) + 4;
    return int(roundHalfEven(qint64(t) * 21, 20)) + 4;
}

QString generalFormat(double value, int digits, const QLocale &locale)
{
    if (value == 0.0)
        return QStringLiteral("0");
    if (!std::isfinite(value))
        return QString::number(value);
    const QString scientific = QString::number(value, 'e', digits - 1);
    const int e = int(scientific.indexOf(QLatin1Char('e')));
    const int exponent = scientific.mid(e + 1).toInt();
    if (std::fabs(value) >= 0.00001 && exponent < digits) {
        const int decimals = std::max(0, digits - 1 - exponent);
        return withDecimalPoint(dropTrailingZeros(QString::number(value, 'f', decimals)), locale);
    }
    const QString mantissa = dropTrailingZeros(scientific.left(e));
    const QString exponentDigits = QString::number(std::abs(exponent)).rightJustified(2, '0');
    return withDecimalPoint(mantissa, locale) + QLatin1Char('E') +
           QLatin1Char(exponent < 0 ? '-' : '+') + exponentDigits;
}

QString receivedPercentText(qint64 received, qint64 sent, const QLocale &locale)
{
    return percentText(received, sent, 4, locale);
}

QString lostPercentText(qint64 lost, qint64 sent, const QLocale &locale)
{
    return percentText(lost, sent, 3, locale);
}

QByteArray compactAnswer(const QByteArray &answer)
{
    if (answer.size() != 7)
        return answer;
    QByteArray compact = answer.left(5);
    compact[2] = answer[4];
    compact[3] = answer[5];
    compact[4] = answer[6];
    return compact;
}

bool isValidAnswer(const QByteArray &answer)
{
    const qsizetype n = answer.size();
    // The answer begins with the letter of the request.
    return (n == 3 || n == 5 || n == 7) && answer[0] == Frame::LinkControlRequest;
}

QByteArray answerPart(const QByteArray &bytes, qint64 answerBytesPossible)
{
    constexpr qsizetype kLongestAnswer = 7;
    const qsizetype last = qsizetype(std::clamp<qint64>(answerBytesPossible, 0, kLongestAnswer));
    for (qsizetype i = std::max<qsizetype>(0, bytes.size() - last); i < bytes.size(); ++i) {
        if (bytes[i] == Frame::LinkControlRequest)
            return bytes.mid(i);
    }
    return {};
}

LinkSamples samplesOf(const QByteArray &validAnswer)
{
    const QByteArray a = compactAnswer(validAnswer);
    const auto u = [&a](int i) { return int(quint8(a[i])); };
    const auto s = [&a](int i) { return int(qint8(a[i])); };
    LinkSamples samples;
    if (a.size() == 3) {
        samples.channels = 2;
        samples.values = {u(1) - u(2), s(2), 0, -128};
    } else {
        samples.channels = 4;
        samples.values = {u(3) - u(4), s(4), u(1) - u(2), s(2)};
    }
    return samples;
}

double averaged(double average, int sample, int strength)
{
    return average - (average - double(sample)) / double(strength + 1);
}

void PeakHold::reset()
{
    for (int c = 0; c < kChannels; ++c) {
        m_history[c].fill(qint8(kClearedAverage[c]));
        m_peakSlot[c] = 1;
    }
}

void PeakHold::add(const std::array<double, kChannels> &averages, int channels, int window,
                   int &writeSlot)
{
    window = std::clamp(window, 1, kSlots);
    if (writeSlot > window || writeSlot < 1)
        writeSlot = 1;
    for (int c = 0; c < channels; ++c) {
        auto &history = m_history[c];
        const qint8 sample = qint8(roundHalfEven(averages[c]));
        history[writeSlot] = sample;
        if (m_peakSlot[c] == writeSlot) {
            // The old peak has just been overwritten: find the highest sample in the window; on a
            // tie the slot just written wins, otherwise the lowest slot.
            int k = writeSlot;
            for (int j = 1; j <= window; ++j) {
                if (history[k] < history[j])
                    k = j;
            }
            m_peakSlot[c] = k;
        } else if (sample > history[m_peakSlot[c]]) {
            m_peakSlot[c] = writeSlot;
        }
    }
    ++writeSlot;
}

} // namespace LinkFormulas
