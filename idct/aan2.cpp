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
#include "idct/prescale_matrix.h"

using fixedpoint::floorShift;
using fixedpoint::wrap;

namespace {

constexpr int kPrecision = 9;

// The 1-D network with its results at 512 times its inputs' scale.
struct UnshiftedNetwork {
    uint32_t c4, c2MinusC6, c4Odd, c2PlusC6, c6;
    int shift;

    template <class V>
    [[gnu::always_inline]] void operator()(lanes::Line<V>& line) const
    {
        const auto& [x0, x1, x2, x3, x4, x5, x6, x7] = line.x;
        const V p1 = c2MinusC6 * (x5 - x3);
        const V p2 = c6 * ((x1 + x5) - (x3 + x7));
        const V p3 = c4 * (x2 - x6);
        const V p4 = c4Odd * ((x1 + x7) - (x3 + x5));
        const V p5 = c2PlusC6 * (x1 - x7);
        const V evenSum = (x0 + x4 + x2 + x6) << shift;
        const V evenDifference = (x0 + x4 - x2 - x6) << shift;
        const V oddSum = (x1 + x3 + x5 + x7) << shift;
        const V centre = (x0 - x4) << shift;
        line = {{evenSum + oddSum + p3 + p5 - p2, centre + p3 + p4 + p5 - p2, centre + p1 + p2 - p3 + p4,
                 evenDifference + p1 + p2 - p3, evenDifference - p1 - p2 - p3, centre - p1 - p2 - p3 - p4,
                 centre + p2 + p3 - p4 - p5, evenSum - oddSum + p2 + p3 - p5}};
    }
};

// Column pass, rescale, row pass between two transposes, samples. Zero
// columns stay zero through the column pass, so a block whose terms fit a
// top-left square of `side` keeps that many nonzero lines for the row pass.
template <class V, int side>
[[gnu::always_inline]] inline void transformBlock(const UnshiftedNetwork& network, const int32_t* matrix,
                                                  int32_t* block)
{
    lanes::Block<V> w, m;
    w.load(block);
    m.load(matrix);
    if constexpr (side < 8) {
        w.template clearRowsFrom<side>();
        w.template clearColumnsFrom<side>();
    }
    w.multiply(m);
    w.eachLine(network);
    w.eachVector([&](V& v) { floorShift(v, network.shift); });
    w.transpose();
    if constexpr (side < 8)
        w.template clearRowsFrom<side>();
    w.eachLine(network);
    w.transpose();
    w.eachVector([&](V& v) { fixedpoint::toSample(v, 2 * network.shift); });
    w.store(block);
}

}  // namespace

taanidct2::taanidct2() : pi(3.14159265), shift(kPrecision)
{
    const double one = 1 << shift;
    const auto cosine = [this](int k) { return std::cos(k * pi / 16.0); };
    c4 = static_cast<int32_t>(one * cosine(4));
    c2MinusC6 = static_cast<int32_t>(one * (cosine(2) - cosine(6)));
    c4Odd = static_cast<int32_t>(one * cosine(4));
    c2PlusC6 = static_cast<int32_t>(one * (cosine(2) + cosine(6)));
    c6 = static_cast<int32_t>(one * cosine(6));
}

void taanidct2::setTable(const int32_t* m) { buildPrescaleMatrix(m, pi, 1 << shift, matrix); }

// A lone DC term reaches every column output shifted up, and every row
// output shifted up again: all 64 samples are one value.
int32_t taanidct2::flatSample(int32_t dc) const
{
    const auto column = static_cast<int32_t>((wrap(dc) * wrap(matrix[0])) << shift) >> shift;
    return clampToSample(static_cast<int32_t>(wrap(column) << shift) >> (2 * shift));
}

void taanidct2::transformAs(int32_t* block, BlockShape shape)
{
    if (shape == BlockShape::dcOnly) {
        fillBlock(block, flatSample(block[0]));
        return;
    }
    // Local copies: stores through `block` could otherwise alias the fields.
    const UnshiftedNetwork network{wrap(c4), wrap(c2MinusC6), wrap(c4Odd), wrap(c2PlusC6), wrap(c6), shift};
    const int32_t* const m = matrix;
    lanes::run([&](auto width) {
        using V = typename decltype(width)::V;
        withSide(shape, [&](auto side) { transformBlock<V, side>(network, m, block); });
    });
}
