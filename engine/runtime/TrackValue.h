#pragma once
// Track values that the code turns into integers, indices, counts or sizes go
// through these first: NaN, the infinities and values beyond the range are
// held at its edges before the conversion, which is then always defined.

#include <cmath>

namespace trackvalue {

// v truncated toward zero and held in [lo, hi]; NaN gives ifNaN.
inline int toInt(double v, int lo, int hi, int ifNaN = 0)
{
    if (std::isnan(v))
        return ifNaN;
    if (v <= static_cast<double>(lo))
        return lo;
    if (v >= static_cast<double>(hi))
        return hi;
    return static_cast<int>(v);
}

// v held in [-limit, limit]; NaN gives 0. For values a library turns into
// integers of its own.
inline double bounded(double v, double limit)
{
    if (std::isnan(v))
        return 0.0;
    return std::fmax(-limit, std::fmin(limit, v));
}

}
