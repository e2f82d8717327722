#pragma once

#include <cstdint>

#include "idct/lanes.h"

// Integer helpers shared by the three transforms.
//
// Coefficients far outside what a real image produces push sums and
// products past 32 bits. Signed overflow is undefined in C++, so the
// networks run on uint32 lanes, where it wraps modulo 2^32 exactly as a
// two's-complement machine does, and reinterpret them as int32 only to
// shift: >> on a negative int32 floors (defined since C++20, and what the
// vector shifts do). For in-range data this is bit-identical to plain int32
// arithmetic.

namespace fixedpoint {

inline uint32_t wrap(int32_t v) { return static_cast<uint32_t>(v); }

// These work in place: a 32-byte vector returned by value would change the
// ABI of any copy compiled without AVX.

// Arithmetic shift right of wrapped lanes: floor division by 2^n.
template <class V>
[[gnu::always_inline]] inline void floorShift(V& v, int n)
{
    v = reinterpret_cast<V>(reinterpret_cast<lanes::Signed<V>>(v) >> n);
}

// The closing step of every transform: drop the fixed-point scale, then
// clamp to the sample range (the lanes then hold int32 bit patterns).
template <class V>
[[gnu::always_inline]] inline void toSample(V& v, int n)
{
    using S = lanes::Signed<V>;
    S s = reinterpret_cast<S>(v) >> n;
    s = s < 0 ? 0 : s;
    s = s > 255 ? 255 : s;
    v = reinterpret_cast<V>(s);
}

}  // namespace fixedpoint
