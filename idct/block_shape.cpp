#include "idct/block_shape.h"

#include <cstring>

#include "idct/lanes.h"

namespace {

using lanes::U32x4;

U32x4 quarterRow(const int32_t* block, int row, int half)
{
    U32x4 v;
    std::memcpy(&v, block + 8 * row + 4 * half, sizeof v);
    return v;
}

bool anyLane(U32x4 v) { return (v[0] | v[1] | v[2] | v[3]) != 0; }

}  // namespace

// In 4-lane vectors, which every target has: a scalar scan cost a tenth of
// a decode at low qualities.
BlockShape shapeOf(const int32_t* block)
{
    U32x4 outside = quarterRow(block, 0, 1);
    for (int row = 1; row < 4; ++row)
        outside |= quarterRow(block, row, 1);
    for (int row = 4; row < 8; ++row)
        outside |= quarterRow(block, row, 0) | quarterRow(block, row, 1);
    if (anyLane(outside))
        return BlockShape::full;
    const U32x4 right = {0, 0, ~0u, ~0u};
    const U32x4 outside2x2 = ((quarterRow(block, 0, 0) | quarterRow(block, 1, 0)) & right) |
                             quarterRow(block, 2, 0) | quarterRow(block, 3, 0);
    if (anyLane(outside2x2))
        return BlockShape::topLeft4x4;
    const U32x4 ac = (quarterRow(block, 0, 0) & U32x4{0, ~0u, 0, 0}) | quarterRow(block, 1, 0);
    return anyLane(ac) ? BlockShape::topLeft2x2 : BlockShape::dcOnly;
}

void fillBlock(int32_t* block, int32_t sample)
{
    for (int p = 0; p < 64; ++p)
        block[p] = sample;
}
