#pragma once

#include <QString>

// The current time of day in the locale's time format without a time zone, e.g. 14:03:07.
QString timeOfDayText();
