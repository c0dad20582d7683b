#include "spectrum.h"

#include <QStringList>

#include <algorithm>

QString parseSpectrumCarrier(const QString &text, SpectrumCarrier &carrier)
{
    const QStringList parts = text.split(QLatin1Char(':'));
    if (parts.size() != 2)
        return QStringLiteral("carrier: CHANNEL:DBM, not ") + text;
    QString channel = parts[0].trimmed();
    if (channel.startsWith(QLatin1Char('K'), Qt::CaseInsensitive))
        channel.remove(0, 1);
    bool channelOk = false;
    bool levelOk = false;
    carrier.channel = channel.toInt(&channelOk, 10);
    carrier.dbm = parts[1].trimmed().toInt(&levelOk, 10);
    if (!channelOk || carrier.channel < 1 || carrier.channel > 255)
        return QStringLiteral("carrier: channel 1 to 255, not ") + parts[0];
    if (!levelOk || carrier.dbm < -128 || carrier.dbm > 127)
        return QStringLiteral("carrier: level -128 to 127 dBm, not ") + parts[1];
    return {};
}

SyntheticSpectrum::SyntheticSpectrum(const SpectrumConfig &config)
    : m_config(config), m_random(config.seed)
{
}

void SyntheticSpectrum::tune(int channel, double atMs)
{
    m_previousChannel = channelHeard(atMs);
    m_channel = channel;
    m_tunedAt = atMs;
    m_held = -128;
}

int SyntheticSpectrum::channelHeard(double atMs) const
{
    return atMs - m_tunedAt < m_config.settleMs ? m_previousChannel : m_channel;
}

int SyntheticSpectrum::levelOf(int channel) const
{
    int level = m_config.noiseFloorDbm;
    for (const SpectrumCarrier &carrier : m_config.carriers) {
        if (carrier.channel == channel)
            level = std::max(level, carrier.dbm);
    }
    return level;
}

int SyntheticSpectrum::rssi(double atMs)
{
    const int jitter = m_config.jitterDb;
    std::uniform_int_distribution<int> spread(-jitter, jitter);
    const int reading = std::clamp(levelOf(channelHeard(atMs)) + spread(m_random), -128, 127);
    m_held = std::max(m_held, reading);
    return reading;
}

int SyntheticSpectrum::heldMaximum(double atMs)
{
    rssi(atMs);
    return m_held;
}
