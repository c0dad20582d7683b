#include "monitor/peakhold.h"

#include "common/rounding.h"
#include "monitor/frequencyplan.h"

#include <algorithm>

void SlotMeasurement::reset()
{
    level = kFloorDbm;
    history.fill(qint8(kFloorDbm));
    peakPosition = 1;
}

double smoothLevel(double level, int readingDbm, int meanPosition)
{
    return level - (level - readingDbm) / double(meanPosition + 1);
}

int takeReading(SlotMeasurement &slot, int readingDbm, int meanPosition, int j, int searchLength,
                bool keepPeak)
{
    slot.level = smoothLevel(slot.level, readingDbm, meanPosition);
    // Readings are signed bytes, so the smoothed level never leaves their range.
    const int v = std::clamp(roundHalfEven(slot.level), -128, 127);
    auto &h = slot.history;
    int &p = slot.peakPosition;
    j = std::clamp(j, 1, SlotMeasurement::kHistorySize);
    if (keepPeak) {
        if (v > h[p])
            h[j] = qint8(v);
        if (h[j] > h[p])
            p = j;
        return v;
    }
    h[j] = qint8(v);
    if (p == j) {
        // The entry that held the peak is gone: find the maximum again, preferring j and then
        // the lowest position on equal values.
        const int last = std::clamp(searchLength, 1, SlotMeasurement::kHistorySize);
        for (int q = 1; q <= last; ++q) {
            if (h[q] > h[p])
                p = q;
        }
    } else if (h[j] > h[p]) {
        p = j;
    }
    return v;
}
