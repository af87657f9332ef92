// Number conversions shared by the library's units (not exported).
#pragma once

#include <climits>
#include <cmath>

namespace kznumber {

// Truncates toward zero like a cast, but a value outside int's range saturates and NaN gives 0,
// where the cast would be undefined.
inline int ToInt(double v)
{
    if (std::isnan(v)) return 0;
    if (v >= static_cast<double>(INT_MAX)) return INT_MAX;
    if (v <= static_cast<double>(INT_MIN)) return INT_MIN;
    return static_cast<int>(v);
}

} // namespace kznumber
