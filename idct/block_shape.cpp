#include "idct/block_shape.h"

namespace {

// OR of the coefficients in columns [from, 8) of rows [firstRow, lastRow).
uint32_t bitsOfColumns(const int32_t* block, int firstRow, int lastRow, int from)
{
    uint32_t bits = 0;
    for (int r = firstRow; r < lastRow; ++r)
        for (int c = from; c < 8; ++c)
            bits |= static_cast<uint32_t>(block[8 * r + c]);
    return bits;
}

}  // namespace

BlockShape shapeOf(const int32_t* block)
{
    if ((bitsOfColumns(block, 4, 8, 0) | bitsOfColumns(block, 0, 4, 4)) != 0)
        return BlockShape::full;
    uint32_t ac = bitsOfColumns(block, 1, 4, 0);
    for (int c = 1; c < 4; ++c)
        ac |= static_cast<uint32_t>(block[c]);
    return ac != 0 ? BlockShape::topLeft4x4 : BlockShape::dcOnly;
}

void fillBlock(int32_t* block, int32_t sample)
{
    for (int p = 0; p < 64; ++p)
        block[p] = sample;
}
