// Arai-Agui-Nakajima inverse DCT, second form, 9-bit fixed point.
//
// `matrix` folds the quantisation value and both prescale factors (times
// 512) into one truncated multiplier per coefficient. Inside a network run
// nothing is shifted down: the five products carry a factor 512 and the
// plain terms are shifted up by 9 to meet them. The work array is shifted
// down by 9 between the column and the row pass, and by 18 at the end. The
// only truncations are the matrix entries, the constants and these two
// floor shifts, so a flat mid-grey block comes out as exactly 128 and the
// remaining bias is a fraction of a level downwards.

#include "idct/aan2.h"

#include <cmath>

#include "idct/fixed_point.h"
#include "idct/set_table.h"

using fixedpoint::floorShift;
using fixedpoint::wrap;

namespace {

constexpr int kPrecision = 9;

// The 1-D network with its results at 512 times its inputs' scale.
struct UnshiftedNetwork {
    uint32_t c4, c2MinusC6, c4Odd, c2PlusC6, c6;
    int shift;

    [[gnu::always_inline]] void operator()(const fixedpoint::Line& x, uint32_t* out, int s) const {
        const uint32_t p1 = c2MinusC6 * (x.x5 - x.x3);
        const uint32_t p2 = c6 * ((x.x1 + x.x5) - (x.x3 + x.x7));
        const uint32_t p3 = c4 * (x.x2 - x.x6);
        const uint32_t p4 = c4Odd * ((x.x1 + x.x7) - (x.x3 + x.x5));
        const uint32_t p5 = c2PlusC6 * (x.x1 - x.x7);
        const uint32_t evenSum = (x.x0 + x.x4 + x.x2 + x.x6) << shift;
        const uint32_t evenDifference = (x.x0 + x.x4 - x.x2 - x.x6) << shift;
        const uint32_t oddSum = (x.x1 + x.x3 + x.x5 + x.x7) << shift;
        const uint32_t centre = (x.x0 - x.x4) << shift;
        out[0] = evenSum + oddSum + p3 + p5 - p2;
        out[s] = centre + p3 + p4 + p5 - p2;
        out[2 * s] = centre + p1 + p2 - p3 + p4;
        out[3 * s] = evenDifference + p1 + p2 - p3;
        out[4 * s] = evenDifference - p1 - p2 - p3;
        out[5 * s] = centre - p1 - p2 - p3 - p4;
        out[6 * s] = centre + p2 + p3 - p4 - p5;
        out[7 * s] = evenSum - oddSum + p2 + p3 - p5;
    }
};

}  // namespace

taanidct2::taanidct2() : pi(3.14159265), shift(kPrecision) {
    const double one = 1 << shift;
    const auto cosine = [this](int k) { return std::cos(k * pi / 16.0); };
    c4 = static_cast<int32_t>(one * cosine(4));
    c2MinusC6 = static_cast<int32_t>(one * (cosine(2) - cosine(6)));
    c4Odd = static_cast<int32_t>(one * cosine(4));
    c2PlusC6 = static_cast<int32_t>(one * (cosine(2) + cosine(6)));
    c6 = static_cast<int32_t>(one * cosine(6));
}

void taanidct2::setTable(const int32_t* m) {
    buildPrescaleMatrix(m, pi, 1 << shift, matrix);
}

void taanidct2::transform(int32_t* block) {
    // Local copies: stores through `block` could otherwise alias the fields.
    const UnshiftedNetwork network{wrap(c4), wrap(c2MinusC6), wrap(c4Odd),
                                   wrap(c2PlusC6), wrap(c6), shift};
    uint32_t w[64];
    for (int p = 0; p < 64; ++p) w[p] = wrap(block[p]) * wrap(matrix[p]);
    fixedpoint::eachColumn(w, w, network);
    for (int p = 0; p < 64; ++p) w[p] = floorShift(w[p], network.shift);
    fixedpoint::eachRow(w, w, network);
    for (int p = 0; p < 64; ++p) block[p] = fixedpoint::toSample(w[p], 2 * network.shift);
}
