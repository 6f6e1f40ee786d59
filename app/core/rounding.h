// Rounding of money and quantities to a number of decimals.
#pragma once

#include <cmath>

// Rounds to `decimals` places: divides by the step (the double nearest to 0.01 for 2 places),
// rounds to the nearest integer with halves to the even neighbour, and multiplies by the step
// again. So 0.125 gives 0.12 and 0.135 gives 0.14, as far as the doubles allow.
inline double roundTo(double value, int decimals) {
    const double step = std::pow(10.0, -decimals);
    return std::nearbyint(value / step) * step;
}
