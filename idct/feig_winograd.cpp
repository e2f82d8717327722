// Feig-Winograd inverse DCT, 9-bit fixed point.
//
// `matrix` folds the quantisation value and both prescale factors (times
// 512) into one truncated multiplier per coefficient. The pre-additions B
// and post-additions A are exact and add no scale; the 2-D multiplication
// stage adds one factor 512, where a product of two 1/sqrt(2) factors
// becomes a shift by 8 and the crossed rotations collapse into two products.
// The final >> 18 returns to samples. Nothing is rounded before that shift,
// so the only errors are the truncated table entries and constants and the
// final floor: a flat mid-grey block is exactly 128, and the mean error is a
// fraction of a level downwards.

#include "idct/feig_winograd.h"

#include <cmath>

#include "idct/fixed_point.h"
#include "idct/set_table.h"

using fixedpoint::wrap;

namespace {

constexpr int kPrecision = 9;

// The pre-additions B.
struct PreAdditions {
    [[gnu::always_inline]] void operator()(const fixedpoint::Line& x, uint32_t* out, int s) const {
        out[0] = x.x0;
        out[s] = x.x4;
        out[2 * s] = x.x2 - x.x6;
        out[3 * s] = x.x2 + x.x6;
        out[4 * s] = x.x5 - x.x3;
        out[5 * s] = (x.x1 + x.x7) - (x.x3 + x.x5);
        out[6 * s] = x.x1 - x.x7;
        out[7 * s] = x.x1 + x.x3 + x.x5 + x.x7;
    }
};

// The post-additions A.
struct PostAdditions {
    [[gnu::always_inline]] void operator()(const fixedpoint::Line& z, uint32_t* out, int s) const {
        const uint32_t a0 = z.x0 + z.x1 + z.x2 + z.x3, a1 = z.x0 - z.x1 + z.x2;
        const uint32_t a2 = z.x0 - z.x1 - z.x2, a3 = z.x0 + z.x1 - z.x2 - z.x3;
        const uint32_t b0 = 0u - z.x4, b1 = z.x5 - z.x4;
        const uint32_t b2 = z.x5 + z.x6, b3 = z.x6 + z.x7;
        out[0] = a0 + b3;
        out[s] = a1 + b2;
        out[2 * s] = a2 + b1;
        out[3 * s] = a3 + b0;
        out[4 * s] = a3 - b0;
        out[5 * s] = a2 - b1;
        out[6 * s] = a1 - b2;
        out[7 * s] = a0 - b3;
    }
};

struct Rotation {
    uint32_t k6, kMinus, kPlus;
};

// (p, q) -> (-t - kMinus p, -t + kPlus q) with t = k6 (p + q).
inline void rotate(uint32_t& p, uint32_t& q, const Rotation& r) {
    const uint32_t t = r.k6 * (p + q);
    const uint32_t rotatedP = 0u - t - r.kMinus * p;
    q = r.kPlus * q - t;
    p = rotatedP;
}

// One row outside the rotated pair of rows: `plain` multiplies columns 0, 1,
// 3 and 7, `halved` columns 2 and 5 (the 1/sqrt(2) ones), and columns 4 and
// 6 are rotated.
inline void multiplyRow(uint32_t* row, uint32_t plain, uint32_t halved, const Rotation& r) {
    row[0] *= plain;
    row[1] *= plain;
    row[3] *= plain;
    row[7] *= plain;
    row[2] *= halved;
    row[5] *= halved;
    rotate(row[4], row[6], r);
}

}  // namespace

ifwi::ifwi() : shift(kPrecision), tableScale(512.0), pi(3.14159265) {
    c2 = static_cast<int32_t>(tableScale * std::cos(2 * pi / 16.0));
    c4 = static_cast<int32_t>(tableScale * (1.0 / std::sqrt(2.0)));
    c6 = static_cast<int32_t>(tableScale * std::cos(6 * pi / 16.0));
    c2MinusC6 = c2 - c6;
    c2PlusC6 = c2 + c6;
    c4C2MinusC6 = (c4 * c2MinusC6) >> shift;
    c4C2PlusC6 = (c4 * c2PlusC6) >> shift;
    c4C6 = (c4 * c6) >> shift;
    quarterRoot2 = static_cast<int32_t>(tableScale * std::sqrt(2.0) * 0.25);
}

void ifwi::setTable(const int32_t* m) { buildPrescaleMatrix(m, pi, tableScale, matrix); }

// Z from Y in place. Index groups along each axis: 0, 1, 3, 7 pass with
// factor 1, 2 and 5 carry 1/sqrt(2), and (4, 6) is the rotated pair; where
// both axes carry 1/sqrt(2) the product is a shift by 8, where one does the
// rotation constants come pre-multiplied by 1/sqrt(2).
void ifwi::multiplicationStage(uint32_t* y) const {
    const uint32_t one = 1u << shift, half = 1u << (shift - 1), root = wrap(c4);
    const Rotation full{wrap(c6), wrap(c2MinusC6), wrap(c2PlusC6)};
    const Rotation scaled{wrap(c4C6), wrap(c4C2MinusC6), wrap(c4C2PlusC6)};
    multiplyRow(y, one, root, full);
    multiplyRow(y + 8, one, root, full);
    multiplyRow(y + 24, one, root, full);
    multiplyRow(y + 56, one, root, full);
    multiplyRow(y + 16, root, half, scaled);
    multiplyRow(y + 40, root, half, scaled);
    // Rows 4 and 6 outside columns 4 and 6: the rotation along the columns.
    for (int j : {0, 1, 3, 7}) rotate(y[32 + j], y[48 + j], full);
    for (int j : {2, 5}) rotate(y[32 + j], y[48 + j], scaled);
    // Both indices rotated: the rotation along both axes, using
    // cos^2(2pi/16) = 1/2 + sqrt(2)/4, cos^2(6pi/16) = 1/2 - sqrt(2)/4 and
    // cos(2pi/16) cos(6pi/16) = sqrt(2)/4.
    const uint32_t y44 = y[36], y46 = y[38], y64 = y[52], y66 = y[54];
    const uint32_t u = wrap(quarterRoot2) * (y44 - y66);
    const uint32_t v = wrap(quarterRoot2) * (y46 + y64);
    y[36] = u + v + (y44 + y66) * half;
    y[38] = u - v + (y64 - y46) * half;
    y[52] = u - v + (y46 - y64) * half;
    y[54] = 0u - u - v + (y44 + y66) * half;
}

namespace {

// The caller's block, the multiplier matrix and the scratch never overlap.
// Saying so lets the loops between them vectorise; the helpers stay out of
// line because the compiler drops the promise when it inlines a call.

[[gnu::noinline]] void prescale(uint32_t* __restrict y, const int32_t* __restrict matrix) {
    for (int p = 0; p < 64; ++p) y[p] *= wrap(matrix[p]);
}

// One stage of additions along the rows (block into scratch), then along
// the columns (scratch back into block).
template <class Network>
[[gnu::noinline]] void alongBothAxes(uint32_t* __restrict y, uint32_t* __restrict scratch,
                                     const Network& network) {
    fixedpoint::eachRow(y, scratch, network);
    fixedpoint::eachColumn(scratch, y, network);
}

}  // namespace

void ifwi::transform(int32_t* block) {
    // Unsigned views of the same int32 objects (access through the
    // corresponding unsigned type is allowed).
    uint32_t* const y = reinterpret_cast<uint32_t*>(block);
    uint32_t* const s = reinterpret_cast<uint32_t*>(scratch);
    const int finalShift = 2 * shift;
    prescale(y, matrix);
    alongBothAxes(y, s, PreAdditions{});
    multiplicationStage(y);
    alongBothAxes(y, s, PostAdditions{});
    for (int p = 0; p < 64; ++p) block[p] = fixedpoint::toSample(y[p], finalShift);
}
