#pragma once

#include <QtGlobal>

// Every rounding of the program goes to the nearest integer with exact halves to the even
// neighbour (157.5 gives 158, 156.5 gives 156).
int roundHalfEven(double value);
// numerator / denominator rounded the same way, exactly; denominator > 0.
qint64 roundHalfEven(qint64 numerator, qint64 denominator);
