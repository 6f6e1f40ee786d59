#include "kelmor.h"

#include <cmath>

KELMOR_API double ProtectDiv(const double* a, const double* b) {
    if (!a || !b || *b == 0.0 || std::isnan(*b))
        return 0.0;
    const double r = *a / *b;
    return std::isfinite(r) ? r : 0.0;
}
