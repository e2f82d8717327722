#include "jpeg/output/upright.h"

#include <cstddef>
#include <memory>
#include <new>

namespace {

// Upright pixel (x, y) comes from stored (u, v) = transposed ? (y, x) : (x, y),
// each axis then mirrored where asked.
struct Turn {
    bool transposed;
    bool mirrorColumns;  // u counts from the stored picture's right edge
    bool mirrorRows;     // v counts from its bottom edge
};

// Indexed by orientation - 1.
constexpr Turn turns[8] = {
    {false, false, false},  // 1 as stored
    {false, true, false},   // 2 mirrored left to right
    {false, true, true},    // 3 half a turn
    {false, false, true},   // 4 mirrored top to bottom
    {true, false, false},   // 5 mirrored about the main diagonal
    {true, false, true},    // 6 a quarter turn clockwise
    {true, true, true},     // 7 mirrored about the other diagonal
    {true, true, false},    // 8 a quarter turn anticlockwise
};

// How far the source index moves for one upright column and one upright row.
struct Walk {
    ptrdiff_t start;
    ptrdiff_t alongRow;
    ptrdiff_t downColumn;
};

Walk walkFor(const Turn& turn, ptrdiff_t width, ptrdiff_t height)
{
    const ptrdiff_t columnStride = turn.mirrorColumns ? -1 : 1;
    const ptrdiff_t rowStride = turn.mirrorRows ? -width : width;
    const ptrdiff_t start = (turn.mirrorRows ? (height - 1) * width : 0) + (turn.mirrorColumns ? width - 1 : 0);
    return turn.transposed ? Walk{start, rowStride, columnStride} : Walk{start, columnStride, rowStride};
}

void copyTurned(const uint8_t* stored, uint8_t* upright, int32_t uprightWidth, int32_t uprightHeight, Walk walk)
{
    for (int32_t y = 0; y < uprightHeight; ++y) {
        ptrdiff_t from = walk.start + y * walk.downColumn;
        for (int32_t x = 0; x < uprightWidth; ++x, from += walk.alongRow)
            *upright++ = stored[from];
    }
}

}  // namespace

// The planes all have the picture's full size, so the buffer of each turned
// plane takes the next one's turned samples: one spare plane is enough.
bool turnUpright(pctr& picture, int32_t orientation)
{
    if (orientation < 1 || orientation > 8)
        return false;
    if (orientation == 1 || !picture.plane[0])
        return true;
    const Turn& turn = turns[orientation - 1];
    const int32_t width = picture.width[0];
    const int32_t height = picture.height[0];
    std::unique_ptr<uint8_t[]> spare(new (std::nothrow) uint8_t[size_t(width) * size_t(height)]);
    if (!spare)
        return false;
    const int32_t uprightWidth = turn.transposed ? height : width;
    const int32_t uprightHeight = turn.transposed ? width : height;
    const Walk walk = walkFor(turn, width, height);
    for (int k = 0; k < 3; ++k) {
        copyTurned(picture.plane[k].get(), spare.get(), uprightWidth, uprightHeight, walk);
        picture.plane[k].swap(spare);
        picture.width[k] = uprightWidth;
        picture.height[k] = uprightHeight;
    }
    return true;
}
