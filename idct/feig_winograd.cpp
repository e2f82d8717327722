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
#include <cstring>
#include <initializer_list>

#include "idct/fixed_point.h"
#include "idct/prescale_matrix.h"

using fixedpoint::wrap;

namespace {

constexpr int kPrecision = 9;

// The pre-additions B.
struct PreAdditions {
    template <class V>
    [[gnu::always_inline]] void operator()(lanes::Line<V>& line) const
    {
        const auto& [x0, x1, x2, x3, x4, x5, x6, x7] = line.x;
        line = {{x0, x4, x2 - x6, x2 + x6, x5 - x3, (x1 + x7) - (x3 + x5), x1 - x7, x1 + x3 + x5 + x7}};
    }
};

// The post-additions A.
struct PostAdditions {
    template <class V>
    [[gnu::always_inline]] void operator()(lanes::Line<V>& line) const
    {
        const auto& [z0, z1, z2, z3, z4, z5, z6, z7] = line.x;
        const V a0 = z0 + z1 + z2 + z3, a1 = z0 - z1 + z2;
        const V a2 = z0 - z1 - z2, a3 = z0 + z1 - z2 - z3;
        const V b0 = 0u - z4, b1 = z5 - z4;
        const V b2 = z5 + z6, b3 = z6 + z7;
        line = {{a0 + b3, a1 + b2, a2 + b1, a3 + b0, a3 - b0, a2 - b1, a1 - b2, a0 - b3}};
    }
};

struct Rotation {
    uint32_t k6, kMinus, kPlus;
};

// Index groups along each axis: 0, 1, 3, 7 pass with factor 1, 2 and 5
// carry 1/sqrt(2), and (4, 6) is the rotated pair; where both axes carry
// 1/sqrt(2) the product is a shift by 8, where one does the rotation
// constants come pre-multiplied by 1/sqrt(2).
bool isHalved(int k) { return k == 2 || k == 5; }

// Multipliers of the transposed block (vector = column, lane = row) that
// differ from row to row: `plain` on rows 0, 1, 3 and 7, `halved` on rows
// 2 and 5, `row4` and `row6` on those rows. Built from lane masks rather
// than through memory, as the constants are read afresh on every call.
struct RowConstant {
    uint32_t plain, halved, row4, row6;
};

template <class V>
[[gnu::always_inline]] inline void loadLanes(V& v, const uint32_t* row, int c)
{
    std::memcpy(&v, row + c * sizeof(V) / sizeof(uint32_t), sizeof(V));
}

template <class V>
[[gnu::always_inline]] inline void rowLanes(V& v, const RowConstant& k, int c)
{
    static constexpr uint32_t kHalved[8] = {0, 0, ~0u, 0, 0, ~0u, 0, 0};
    static constexpr uint32_t kRow4[8] = {0, 0, 0, 0, ~0u, 0, 0, 0};
    static constexpr uint32_t kRow6[8] = {0, 0, 0, 0, 0, 0, ~0u, 0};
    V halved, row4, row6;
    loadLanes(halved, kHalved, c);
    loadLanes(row4, kRow4, c);
    loadLanes(row6, kRow6, c);
    v = k.plain + ((k.halved - k.plain) & halved) + ((k.row4 - k.plain) & row4) + ((k.row6 - k.plain) & row6);
}

// A rotation (p, q) -> (-t - kMinus p, -t + kPlus q) with t = k6 (p + q)
// between the lanes of rows 4 and 6 becomes
// v * factor - sum * (v + v with those lanes exchanged).
struct RowMultipliers {
    RowConstant factor[2];          // [column halved?]
    RowConstant sum[2];             // k6 on rows 4 and 6, else 0
    RowConstant k6, kMinus, kPlus;  // the rotation of columns 4 and 6
};

RowMultipliers rowMultipliers(uint32_t one, uint32_t root, uint32_t half, const Rotation& full, const Rotation& scaled)
{
    return {{{one, root, 0u - full.kMinus, full.kPlus}, {root, half, 0u - scaled.kMinus, scaled.kPlus}},
            {{0, 0, full.k6, full.k6}, {0, 0, scaled.k6, scaled.k6}},
            {full.k6, scaled.k6, 0, 0},
            {full.kMinus, scaled.kMinus, 0, 0},
            {full.kPlus, scaled.kPlus, 0, 0}};
}

// Rows 4 and 6 exchanged in a vector of chunk c of the transposed block.
template <class V>
[[gnu::always_inline]] inline void swapRows46(V& v, int c)
{
    if constexpr (lanes::Block<V>::kChunks == 1)
        v = __builtin_shufflevector(v, v, 0, 1, 2, 3, 6, 5, 4, 7);
    else if (c == 1)
        v = __builtin_shufflevector(v, v, 2, 1, 0, 3);
}

// Rows 4 and 6 of columns 4 and 6 rotate along both axes, using
// cos^2(2pi/16) = 1/2 + sqrt(2)/4, cos^2(6pi/16) = 1/2 - sqrt(2)/4 and
// cos(2pi/16) cos(6pi/16) = sqrt(2)/4. yRC: row R, column C.
struct Corner {
    uint32_t y44, y46, y64, y66;
};

template <class V>
[[gnu::always_inline]] inline Corner cornerOf(const lanes::Block<V>& y)
{
    return {y.get(4, 4), y.get(6, 4), y.get(4, 6), y.get(6, 6)};  // get(column, row)
}

template <class V>
[[gnu::always_inline]] inline void rotateCorner(lanes::Block<V>& y, const Corner& c, uint32_t quarterRoot2,
                                                uint32_t half)
{
    const uint32_t u = quarterRoot2 * (c.y44 - c.y66);
    const uint32_t v = quarterRoot2 * (c.y46 + c.y64);
    y.set(4, 4, u + v + (c.y44 + c.y66) * half);
    y.set(6, 4, u - v + (c.y64 - c.y46) * half);
    y.set(4, 6, u - v + (c.y46 - c.y64) * half);
    y.set(6, 6, 0u - u - v + (c.y44 + c.y66) * half);
}

// Z from Y in place, on the transposed block.
template <class V>
[[gnu::always_inline]] inline void multiplicationStage(lanes::Block<V>& y, const RowMultipliers& k,
                                                       uint32_t quarterRoot2, uint32_t half)
{
    const Corner corner = cornerOf(y);
#pragma GCC unroll 8
    for (int c = 0; c < lanes::Block<V>::kChunks; ++c) {
        V factor[2], sum[2], k6, kMinus, kPlus;
#pragma GCC unroll 8
        for (int h : {0, 1}) {
            rowLanes(factor[h], k.factor[h], c);
            rowLanes(sum[h], k.sum[h], c);
        }
        rowLanes(k6, k.k6, c);
        rowLanes(kMinus, k.kMinus, c);
        rowLanes(kPlus, k.kPlus, c);
        auto& column = y.chunk[c].x;
#pragma GCC unroll 8
        for (int j : {0, 1, 2, 3, 5, 7}) {
            V exchanged = column[j];
            swapRows46(exchanged, c);
            column[j] = column[j] * factor[isHalved(j)] - sum[isHalved(j)] * (column[j] + exchanged);
        }
        const V t = k6 * (column[4] + column[6]);
        column[4] = 0u - t - kMinus * column[4];
        column[6] = kPlus * column[6] - t;
    }
    rotateCorner(y, corner, quarterRoot2, half);
}

// Pre-additions along the columns then the rows, the multiplications on
// the transposed block, post-additions along the rows then the columns.
// Additions and multiplications are all exact modulo 2^32, so the order of
// the axes does not change a bit.
// Zero columns stay zero through the column pre-additions, so a block whose
// terms fit a top-left square of `side` keeps that many nonzero lines for
// the row pre-additions.
template <class V, int side>
[[gnu::always_inline]] inline void transformBlock(const RowMultipliers& k, uint32_t quarterRoot2, uint32_t half,
                                                  int finalShift, const int32_t* matrix, int32_t* block)
{
    lanes::Block<V> y, m;
    y.load(block);
    m.load(matrix);
    if constexpr (side < 8) {
        y.template clearRowsFrom<side>();
        y.template clearColumnsFrom<side>();
    }
    y.multiply(m);
    y.eachLine(PreAdditions{});
    y.transpose();
    if constexpr (side < 8)
        y.template clearRowsFrom<side>();
    y.eachLine(PreAdditions{});
    multiplicationStage(y, k, quarterRoot2, half);
    y.eachLine(PostAdditions{});
    y.transpose();
    y.eachLine(PostAdditions{});
    y.eachVector([&](V& v) { fixedpoint::toSample(v, finalShift); });
    y.store(block);
}

}  // namespace

ifwi::ifwi() : shift(kPrecision), tableScale(512.0), pi(3.14159265)
{
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

// A lone DC term passes the additions unchanged and meets the factor 512
// of the multiplication stage: all 64 samples are one value.
int32_t ifwi::flatSample(int32_t dc) const
{
    const uint32_t product = (wrap(dc) * wrap(matrix[0])) << shift;
    return clampToSample(static_cast<int32_t>(product) >> (2 * shift));
}

void ifwi::transformAs(int32_t* block, BlockShape shape)
{
    if (shape == BlockShape::dcOnly) {
        fillBlock(block, flatSample(block[0]));
        return;
    }
    const uint32_t one = 1u << shift, half = 1u << (shift - 1);
    const RowMultipliers k = rowMultipliers(one, wrap(c4), half, {wrap(c6), wrap(c2MinusC6), wrap(c2PlusC6)},
                                            {wrap(c4C6), wrap(c4C2MinusC6), wrap(c4C2PlusC6)});
    const uint32_t quarter = wrap(quarterRoot2);
    const int finalShift = 2 * shift;
    const int32_t* const m = matrix;
    lanes::run([&](auto width) {
        using V = typename decltype(width)::V;
        withSide(shape, [&](auto side) { transformBlock<V, side>(k, quarter, half, finalShift, m, block); });
    });
}
