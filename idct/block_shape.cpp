#include "idct/block_shape.h"

#include <cstring>

#include "idct/lanes.h"

namespace {

using lanes::U32x8;

// Any lane nonzero: the halves folded together three times.
[[gnu::always_inline]] inline bool anyLane(const U32x8& vector)
{
    U32x8 v = vector;
    v |= __builtin_shufflevector(v, v, 4, 5, 6, 7, 0, 1, 2, 3);
    v |= __builtin_shufflevector(v, v, 2, 3, 0, 1, 6, 7, 4, 5);
    v |= __builtin_shufflevector(v, v, 1, 0, 3, 2, 5, 4, 7, 6);
    return v[0] != 0;
}

// One row of the block in each vector: 256-bit registers with AVX2, pairs
// of 128-bit ones elsewhere. A scalar scan cost a tenth of a decode at low
// qualities.
[[gnu::always_inline]] inline BlockShape shapeInRows(const int32_t* block)
{
    U32x8 row[8];
#pragma GCC unroll 8
    for (int r = 0; r < 8; ++r)
        std::memcpy(&row[r], block + 8 * r, sizeof(U32x8));
    const U32x8 right4 = {0, 0, 0, 0, ~0u, ~0u, ~0u, ~0u};
    const U32x8 right6 = {0, 0, ~0u, ~0u, ~0u, ~0u, ~0u, ~0u};
    const U32x8 ac = {0, ~0u, ~0u, ~0u, ~0u, ~0u, ~0u, ~0u};
    if (anyLane(row[4] | row[5] | row[6] | row[7] | ((row[0] | row[1] | row[2] | row[3]) & right4)))
        return BlockShape::full;
    if (anyLane(row[2] | row[3] | ((row[0] | row[1]) & right6)))
        return BlockShape::topLeft4x4;
    return anyLane((row[0] & ac) | row[1]) ? BlockShape::topLeft2x2 : BlockShape::dcOnly;
}

#if defined(__x86_64__) || defined(__i386__)
[[gnu::target("avx2")]] BlockShape shapeInWideRows(const int32_t* block) { return shapeInRows(block); }
#endif

}  // namespace

BlockShape shapeOf(const int32_t* block)
{
#if defined(__x86_64__) || defined(__i386__)
    if (lanes::wide)
        return shapeInWideRows(block);
#endif
    return shapeInRows(block);
}

void fillBlock(int32_t* block, int32_t sample)
{
    for (int p = 0; p < 64; ++p)
        block[p] = sample;
}
