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

    template <class V>
    [[gnu::always_inline]] void operator()(lanes::Line<V>& line) const
    {
        const auto& [x0, x1, x2, x3, x4, x5, x6, x7] = line.x;
        V m = c4 * (x2 - x6);
        const V t = c6 * ((x3 + x7) - (x1 + x5));
        V u = t - c2MinusC6 * (x5 - x3);
        V v = c4Odd * ((x1 + x7) - (x3 + x5));
        V w = t + c2PlusC6 * (x1 - x7);
        floorShift(m, shift);
        floorShift(u, shift);
        floorShift(v, shift);
        floorShift(w, shift);
        const V odd = x1 + x3 + x5 + x7;
        const V e0 = x0 + x4, e1 = x0 - x4, e2 = x2 + x6;
        line = {{e0 + e2 + m + odd + w, e1 + m + v + w, e1 - m - u + v, e0 - e2 - m - u, e0 - e2 - m + u,
                 e1 - m + u - v, e1 + m - v - w, e0 + e2 + m - odd - w}};
    }
};

// The matrix is stored transposed, so it is turned round before the
// element-wise product; the column factors multiply the transposed work
// block one row vector at a time. Zero columns stay zero through the
// column pass, so a block whose terms fit a top-left square of `side` keeps
// that many nonzero lines for the row pass.
template <class V, int side>
[[gnu::always_inline]] inline void transformBlock(const ShiftedNetwork& network, const int32_t* matrix,
                                                  const uint32_t* columnFactor, int32_t* block)
{
    lanes::Block<V> w, m;
    w.load(block);
    m.load(matrix);
    m.transpose();
    if constexpr (side < 8) {
        w.template clearRowsFrom<side>();
        w.template clearColumnsFrom<side>();
    }
    w.multiply(m);
    w.eachLine(network);
    w.transpose();
    if constexpr (side < 8)
        w.template clearRowsFrom<side>();
    w.eachLine([&](lanes::Line<V>& line) {
#pragma GCC unroll 8
        for (int j = 0; j < 8; ++j)
            line.x[j] *= columnFactor[j];
    });
    w.eachLine(network);
    w.transpose();
    w.eachVector([&](V& v) { fixedpoint::toSample(v, 2 * network.shift); });
    w.store(block);
}

}  // namespace

taanidct::taanidct()
    : c4(static_cast<int32_t>(kOne * cosine(4))), c2MinusC6(static_cast<int32_t>(kOne * (cosine(2) - cosine(6)))),
      c4Odd(static_cast<int32_t>(kOne * cosine(4))), c2PlusC6(static_cast<int32_t>(kOne * (cosine(2) + cosine(6)))),
      c6(static_cast<int32_t>(kOne * cosine(6))), shift(kPrecision)
{
    scale[0] = static_cast<int32_t>(kOne / (2.0 * std::sqrt(2.0)));
    for (int k = 1; k < 8; ++k)
        scale[k] = static_cast<int32_t>(kOne / (4.0 * cosine(k)));
}

// Real quantisation values (at most 65535) keep the products far inside
// int32; absurd ones wrap instead of being undefined.
void taanidct::setTable(const int32_t* m)
{
    for (int i = 0; i < 8; ++i)
        for (int j = 0; j < 8; ++j)
            matrix[j][i] = static_cast<int32_t>(wrap(m[8 * i + j]) * wrap(scale[i]));
}

// A lone DC term passes both networks unchanged: its product with the
// row's factor, then with the column's, is every sample.
int32_t taanidct::flatSample(int32_t dc) const
{
    const uint32_t product = wrap(dc) * wrap(matrix[0][0]) * wrap(scale[0]);
    return clampToSample(static_cast<int32_t>(product) >> (2 * shift));
}

void taanidct::transformAs(int32_t* block, BlockShape shape)
{
    if (shape == BlockShape::dcOnly) {
        fillBlock(block, flatSample(block[0]));
        return;
    }
    // Local copies: stores through `block` could otherwise alias the fields.
    const ShiftedNetwork network{wrap(c4), wrap(c2MinusC6), wrap(c4Odd), wrap(c2PlusC6), wrap(c6), shift};
    uint32_t columnFactor[8];
    for (int j = 0; j < 8; ++j)
        columnFactor[j] = wrap(scale[j]);
    const int32_t* const m = &matrix[0][0];
    lanes::run([&](auto width) {
        using V = typename decltype(width)::V;
        withSide(shape, [&](auto side) { transformBlock<V, side>(network, m, columnFactor, block); });
    });
}
