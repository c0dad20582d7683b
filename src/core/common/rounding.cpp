#include "common/rounding.h"

#include <cmath>

int roundHalfEven(double value)
{
    // nearbyint rounds in the current mode, which is to nearest with halves to even.
    return int(std::nearbyint(value));
}

qint64 roundHalfEven(qint64 numerator, qint64 denominator)
{
    qint64 quotient = numerator / denominator;
    qint64 rest = numerator % denominator;
    if (rest < 0) {
        rest += denominator;
        --quotient;
    }
    if (2 * rest > denominator || (2 * rest == denominator && quotient % 2 != 0))
        ++quotient;
    return quotient;
}
