#pragma once

#include <QList>
#include <QString>

#include <optional>

// The channel raster of the band the monitor plans over: "433" selects the 433 MHz band, any
// other text the 868 MHz band.
struct PlanBand {
    double lowestMHz;  // item 0
    double highestMHz; // last item
    int channels;
};
PlanBand planBand(const QString &frqVersion);

// The items a plan places into the slots 1, 2, 3 ...: from item first up to (not including)
// item end, spacing channels apart, at most 30 of them.
QList<int> placePlanItems(int first, int end, double spacing);

// What a plan's items make of the slots 1, 2, 3 ...: at most 30 of them get an item; an item
// that the channel list (channelCount items) does not hold, as a plan of the other band can
// name, leaves its slot empty (-1). Slots beyond the plan keep what they hold.
QList<int> planSlotItems(const QList<int> &items, int channelCount);

// The fixed plan of the band that Autoset lays.
struct AutosetPlan {
    int first;
    int end;
    double spacing;
    QString centreText; // "433.925MHz"
    QString spanText;   // "1675kHz"
};
AutosetPlan autosetPlan(const QString &frqVersion);

// The spacing in channels that fits the receive bandwidth of the configured channel width (any
// module but C) or radio data rate (C modules); nothing when the selected item has none.
std::optional<int> planSpacing(const QString &typeLetter, int item);

// Lower and upper span edge as channel-list items: first is the item at or below the lower
// edge, end one past the item at or below the upper edge. Computed in extended precision as the
// module's tool always did, so an edge exactly on a channel may land on either side of it.
// Nothing when an edge is not finite or leaves the range of a signed 16-bit integer.
struct SpanEdges {
    int first;
    int end;
};
std::optional<SpanEdges> spanEdges(double centreMHz, double spanKHz, double lowestMHz);

// What a frequency set does with a centre and span.
struct FrequencySetPlan {
    enum Outcome { Placed, TooManyChannels, OutOfRange };
    Outcome outcome = OutOfRange;
    SpanEdges edges{0, 0}; // before the cuts at the band edges
    bool lowerCut = false;
    bool upperCut = false;
    QList<int> items; // the placed items, slot 1 first
};
FrequencySetPlan frequencySetPlan(double centreMHz, double spanKHz, const PlanBand &band,
                                  int spacing);
