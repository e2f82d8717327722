#pragma once

#include <algorithm>
#include <cstdint>

// Integer helpers shared by the three transforms.
//
// Coefficients far outside what a real image produces push sums and
// products past 32 bits. Signed overflow is undefined in C++, so the
// networks run on uint32_t, where it wraps modulo 2^32 exactly as a
// two's-complement machine does, and convert back to int32 (modular since
// C++20) only to shift: >> on a negative int32 floors, also since C++20.
// For in-range data this is bit-identical to plain int32 arithmetic.

namespace fixedpoint {

inline uint32_t wrap(int32_t v) { return static_cast<uint32_t>(v); }

// Arithmetic shift right of a wrapped value: floor division by 2^n.
inline uint32_t floorShift(uint32_t v, int n) {
    return static_cast<uint32_t>(static_cast<int32_t>(v) >> n);
}

// The closing step of every transform: drop the fixed-point scale, then
// clamp to the sample range.
inline int32_t toSample(uint32_t v, int n) {
    return std::clamp(static_cast<int32_t>(v) >> n, 0, 255);
}

// Eight values of one row or column of an 8x8 array, `stride` apart, read
// before any result is written back, so `in` and `out` may be the same.
struct Line {
    uint32_t x0, x1, x2, x3, x4, x5, x6, x7;

    Line(const uint32_t* in, int stride)
        : x0(in[0]), x1(in[stride]), x2(in[2 * stride]), x3(in[3 * stride]),
          x4(in[4 * stride]), x5(in[5 * stride]), x6(in[6 * stride]), x7(in[7 * stride]) {}
};

// Runs a 1-D network, network(Line, out, stride), over the eight columns of
// an 8x8 array. The runs for neighbouring columns touch neighbouring
// elements, so the loop over columns vectorises.
template <class Network>
inline void eachColumn(const uint32_t* in, uint32_t* out, const Network& network) {
    for (int j = 0; j < 8; ++j) network(Line(in + j, 8), out + j, 8);
}

// The same over the eight rows.
template <class Network>
inline void eachRow(const uint32_t* in, uint32_t* out, const Network& network) {
    for (int i = 0; i < 8; ++i) network(Line(in + 8 * i, 1), out + 8 * i, 1);
}

}  // namespace fixedpoint
