#pragma once

#include <QtGlobal>

#include <array>

// One monitor slot's measurement state: the smoothed level and a ring of rounded levels, one per
// sweep, whose maximum over the peak window is the slot's peak.
struct SlotMeasurement {
    static constexpr int kHistorySize = 500;
    static constexpr int kFloorDbm = -128;

    double level = kFloorDbm;
    std::array<qint8, kHistorySize + 1> history{}; // positions 1 to 500; 0 is unused
    int peakPosition = 1;

    SlotMeasurement() { reset(); }
    // Level and history back to -128 dBm, peak position 1.
    void reset();
    int peak() const { return history[peakPosition]; }
};

// New smoothed level after a reading: the level moves 1 / (mean + 1) of the way to the reading.
double smoothLevel(double level, int readingDbm, int meanPosition);

// Takes one reading into the slot at ring position j and returns the rounded level v that the
// level bar shows. searchLength is the number of ring positions searched when the peak's own
// entry has just been overwritten; keepPeak lets peaks only rise.
int takeReading(SlotMeasurement &slot, int readingDbm, int meanPosition, int j, int searchLength,
                bool keepPeak);
