#include "jpeg/block_store.h"

#include <algorithm>
#include <cstring>

#include "jpeg/picture.h"

namespace {

int32_t ratioShift(int32_t ratio) { return ratio == 4 ? 2 : ratio == 2 ? 1 : 0; }

using StoreRows = void (*)(const int32_t* block, uint8_t* out, int32_t stride);

// A block that lies wholly inside the picture, each sample replicated
// 2^shx x 2^shy times: every output row is made once and copied down.
template <int shx, int shy>
void storeWholeBlock(const int32_t* block, uint8_t* out, int32_t stride)
{
    for (int y = 0; y < 8; ++y, block += 8) {
        uint8_t row[8 << shx];
        for (int x = 0; x < (8 << shx); ++x)
            row[x] = static_cast<uint8_t>(block[x >> shx]);
        for (int copy = 0; copy < (1 << shy); ++copy, out += stride)
            std::memcpy(out, row, sizeof row);
    }
}

// Indexed by [shy][shx].
constexpr StoreRows wholeBlockStores[3][3] = {
    {storeWholeBlock<0, 0>, storeWholeBlock<1, 0>, storeWholeBlock<2, 0>},
    {storeWholeBlock<0, 1>, storeWholeBlock<1, 1>, storeWholeBlock<2, 1>},
    {storeWholeBlock<0, 2>, storeWholeBlock<1, 2>, storeWholeBlock<2, 2>},
};

} // namespace

void storeBlock(const int32_t* block, int i, int32_t by, int32_t bx, int32_t sx, int32_t sy)
{
    const int32_t w = picture.width[i], h = picture.height[i];
    if (w <= 0 || h <= 0 || !picture.plane[i])
        return;
    const int32_t x0 = 8 * sx * bx, y0 = 8 * sy * by;
    if (y0 > h || x0 > w)
        return;
    const int32_t rows = std::min(h - y0, 8 * sy), cols = std::min(w - x0, 8 * sx);
    const int32_t shx = ratioShift(sx), shy = ratioShift(sy);
    uint8_t* out = picture.plane[i].get() + int64_t{y0} * w + x0;
    if (rows == 8 * sy && cols == 8 * sx) {
        wholeBlockStores[shy][shx](block, out, w);
        return;
    }
    for (int32_t y = 0; y < rows; ++y, out += w)
        for (int32_t x = 0; x < cols; ++x)
            out[x] = static_cast<uint8_t>(block[(y >> shy) * 8 + (x >> shx)]);
}
