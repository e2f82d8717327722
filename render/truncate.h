#pragma once

#include <algorithm>
#include <cstdint>

// Geometry is free to wander (points are unbounded, maps may blow up), but
// converting a double outside the int32 range to int32 is undefined. These
// saturate first: in range they truncate toward zero like a plain cast, out
// of range they stop at the int32 limits, and NaN goes to the low limit.
inline double clampToInt32Range(double value)
{
    // std::max(low, NaN) yields low, which is what makes NaN safe here.
    return std::min(std::max(-2147483648.0, value), 2147483647.0);
}

inline int32_t truncToInt(double value) { return static_cast<int32_t>(clampToInt32Range(value)); }
