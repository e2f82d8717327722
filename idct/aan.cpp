// Arai-Agui-Nakajima inverse DCT, 7-bit fixed point.
//
// The prescale factor of the coefficient's row, with its quantisation value,
// sits in `matrix` (times 128); the column pass works at 128 x sample scale.
// The row pass multiplies by `scale` (the column's factor, times 128) and
// works at 2^14; the final >> 14 returns to samples. Each of the five
// products of a network run is shifted back by 7 at once. Both the
// truncated factors (45 for 45.25 on the DC term, twice) and the four floor
// shifts per run pull the result down: a flat mid-grey block comes out as
// 126, and errors against the exact transform lean negative.

#include "idct/aan.h"

#include <cmath>

#include "idct/fixed_point.h"

using fixedpoint::floorShift;
using fixedpoint::wrap;

namespace {

constexpr double kPi = 3.14159265;
constexpr int kPrecision = 7;
constexpr double kOne = 1 << kPrecision;

double cosine(int k) { return std::cos(k * kPi / 16.0); }

// The 1-D network, every product brought back to its inputs' scale at once.
struct ShiftedNetwork {
    uint32_t c4, c2MinusC6, c4Odd, c2PlusC6, c6;
    int shift;

    [[gnu::always_inline]] void operator()(const fixedpoint::Line& x, uint32_t* out, int s) const {
        const uint32_t m = floorShift(c4 * (x.x2 - x.x6), shift);
        const uint32_t t = c6 * ((x.x3 + x.x7) - (x.x1 + x.x5));
        const uint32_t u = floorShift(t - c2MinusC6 * (x.x5 - x.x3), shift);
        const uint32_t v = floorShift(c4Odd * ((x.x1 + x.x7) - (x.x3 + x.x5)), shift);
        const uint32_t w = floorShift(t + c2PlusC6 * (x.x1 - x.x7), shift);
        const uint32_t odd = x.x1 + x.x3 + x.x5 + x.x7;
        const uint32_t e0 = x.x0 + x.x4, e1 = x.x0 - x.x4, e2 = x.x2 + x.x6;
        out[0] = e0 + e2 + m + odd + w;
        out[s] = e1 + m + v + w;
        out[2 * s] = e1 - m - u + v;
        out[3 * s] = e0 - e2 - m - u;
        out[4 * s] = e0 - e2 - m + u;
        out[5 * s] = e1 - m + u - v;
        out[6 * s] = e1 + m - v - w;
        out[7 * s] = e0 + e2 + m - odd - w;
    }
};

}  // namespace

taanidct::taanidct()
    : c4(static_cast<int32_t>(kOne * cosine(4))),
      c2MinusC6(static_cast<int32_t>(kOne * (cosine(2) - cosine(6)))),
      c4Odd(static_cast<int32_t>(kOne * cosine(4))),
      c2PlusC6(static_cast<int32_t>(kOne * (cosine(2) + cosine(6)))),
      c6(static_cast<int32_t>(kOne * cosine(6))),
      shift(kPrecision) {
    scale[0] = static_cast<int32_t>(kOne / (2.0 * std::sqrt(2.0)));
    for (int k = 1; k < 8; ++k) scale[k] = static_cast<int32_t>(kOne / (4.0 * cosine(k)));
}

void taanidct::transform(int32_t* block) {
    // Local copies: stores through `block` could otherwise alias the fields.
    const ShiftedNetwork network{wrap(c4), wrap(c2MinusC6), wrap(c4Odd),
                                 wrap(c2PlusC6), wrap(c6), shift};
    uint32_t columnFactor[8], w[64];
    for (int j = 0; j < 8; ++j) columnFactor[j] = wrap(scale[j]);
    for (int i = 0; i < 8; ++i)
        for (int j = 0; j < 8; ++j) w[8 * i + j] = wrap(block[8 * i + j]) * wrap(matrix[j][i]);
    fixedpoint::eachColumn(w, w, network);
    for (int i = 0; i < 8; ++i)
        for (int j = 0; j < 8; ++j) w[8 * i + j] *= columnFactor[j];
    fixedpoint::eachRow(w, w, network);
    for (int p = 0; p < 64; ++p) block[p] = fixedpoint::toSample(w[p], 2 * network.shift);
}
