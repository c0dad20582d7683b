#pragma once

#include <QString>

#include <random>
#include <vector>

// A carrier the emulated receiver hears on one channel of the raster.
struct SpectrumCarrier {
    int channel; // channel number, 1-based (the byte nn of B0 09 nn)
    int dbm;
};

struct SpectrumConfig {
    std::vector<SpectrumCarrier> carriers; // none: the module reports its fixed RSSI values
    int noiseFloorDbm = -115;
    int jitterDb = 2;    // every reading varies by up to this much either way
    double settleMs = 2; // after a tune the receiver still reports the old channel this long
    unsigned seed = 433; // the jitter is repeatable
};

// Parses "K080:-60" or "80:-60" into a carrier; an empty text on success, else the reason.
QString parseSpectrumCarrier(const QString &text, SpectrumCarrier &carrier);

// The synthetic spectrum of the emulated module: carriers at set channels over a noise floor,
// with some jitter, as the receiver reports it through its signal-strength queries.
class SyntheticSpectrum
{
public:
    explicit SyntheticSpectrum(const SpectrumConfig &config = {});

    bool enabled() const { return !m_config.carriers.empty(); }
    const SpectrumConfig &config() const { return m_config; }

    // The receiver is told to listen on channel at atMs; it settles after the settle time.
    void tune(int channel, double atMs);
    // The instantaneous signal strength at atMs, in dBm (a signed byte).
    int rssi(double atMs);
    // The maximum the receiver has held since its last tune, this reading included.
    int heldMaximum(double atMs);
    // The level on a channel without jitter.
    int levelOf(int channel) const;

private:
    int channelHeard(double atMs) const;

    SpectrumConfig m_config;
    std::minstd_rand m_random;
    int m_channel = 0;
    int m_previousChannel = 0;
    double m_tunedAt = -1e9;
    int m_held = -128;
};
