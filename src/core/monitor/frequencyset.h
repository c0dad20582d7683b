#pragma once

#include "monitor/frequencyplan.h"

#include <QList>
#include <QLocale>
#include <QString>

// A notice or refusal of the plan in the user's two languages, in the order it is shown.
struct PlanMessage {
    QString german;
    QString english;
};

// What a frequency set starts from: the centre and span the user entered and what the module's
// record and configuration tell.
struct FrequencySetRequest {
    QString centreText;   // MHz
    QString spanText;     // kHz
    QString frqVersion;   // the module's band: "433", any other text the 868 MHz band
    QString typeLetter;   // C modules take the spacing from the radio data rate
    int spacingItem = -1; // the selected channel width (not C) or radio data rate (C); -1 none
    QLocale locale;       // the notation of the entered numbers and of the labels
};

// What the frequency set does: refuse with one message, or place the items (after the notices
// of the band edges that cut the span) and show the entered centre and span.
struct FrequencySetResult {
    enum Refusal {
        None,
        EmptyEntry,
        NotANumber,
        NegativeSpan,
        NoSpacing, // the configuration gives no monitor step
        OutOfRange,
        TooManyChannels, // for the configured bandwidth
    };
    Refusal refusal = None;
    QList<PlanMessage> messages;
    QList<int> items;    // slot 1 first
    double spacing = 0;  // channels
    QString centreLabel; // "433.925MHz"
    QString spanLabel;   // "1675kHz"

    bool placed() const { return refusal == None; }
};
FrequencySetResult frequencySet(const FrequencySetRequest &request);

// A number as the plan's labels and notices write it: general form, up to 15 digits, no group
// separator.
QString planNumberText(double value, const QLocale &locale);
