#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>

#include "idct/aan2.h"
#include "jpeg/globals.h"
#include "jpeg/output/block_store.h"
#include "jpeg/output/picture.h"

namespace {

constexpr uint8_t untouched = 0xEE;

struct Ratio {
    int32_t sx, sy;
};

std::string nameOf(const testing::TestParamInfo<Ratio>& info)
{
    return std::to_string(info.param.sx) + "x" + std::to_string(info.param.sy);
}

// Each sample of a block covers sx x sy picture samples; a block at the
// picture's right and bottom edges is cut off there. The picture here holds
// one whole block and, below and to the right of it, one that is cut.
class BlockStoreTest : public testing::TestWithParam<Ratio> {};

TEST_P(BlockStoreTest, ReplicatesEachSampleOverItsArea)
{
    const Ratio r = GetParam();
    const int32_t width = 8 * r.sx + 3, height = 8 * r.sy + 5;
    ASSERT_TRUE(picture.allocate(width, height));
    std::fill_n(picture.plane[1].get(), picture.size[1], untouched);
    int32_t block[64];
    for (int n = 0; n < 64; ++n)
        block[n] = (7 * n + 3) & 255;
    storeBlock(picture, block, 1, 0, 0, r.sx, r.sy);
    storeBlock(picture, block, 1, 1, 1, r.sx, r.sy);
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            const bool stored = (x < 8 * r.sx) == (y < 8 * r.sy);
            const int32_t bx = x % (8 * r.sx) / r.sx, by = y % (8 * r.sy) / r.sy;
            const int expected = stored ? block[8 * by + bx] : untouched;
            ASSERT_EQ(picture.plane[1][size_t(y) * width + x], expected) << x << "," << y;
        }
    }
    picture.clear();
}

// A flat block skips its samples where it lies wholly inside the plane,
// and goes through them where it is cut: both must store what the
// transform's samples would.
TEST_P(BlockStoreTest, FlatBlocksStoreTheirTransformsSample)
{
    const Ratio r = GetParam();
    const int32_t width = 8 * r.sx + 3, height = 8 * r.sy + 5;
    ASSERT_TRUE(picture.allocate(width, height));
    std::fill_n(picture.plane[1].get(), picture.size[1], untouched);
    taanidct2 idct;
    int32_t table[64];
    std::fill_n(table, 64, 3);
    idct.setTable(table);
    int32_t flat[64] = {1500};
    int32_t samples[64] = {1500};
    idct.transform(samples);
    transformAndStore(idct, flat, picturePlane(picture, 1), 0, 0, {1, r.sx, 1, r.sy});
    flat[0] = 1500;
    transformAndStore(idct, flat, picturePlane(picture, 1), 1, 1, {1, r.sx, 1, r.sy});
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) {
            const bool stored = (x < 8 * r.sx) == (y < 8 * r.sy);
            ASSERT_EQ(picture.plane[1][size_t(y) * width + x], stored ? samples[0] : untouched) << x << "," << y;
        }
    picture.clear();
}

INSTANTIATE_TEST_SUITE_P(Ratios, BlockStoreTest,
                         testing::Values(Ratio{1, 1}, Ratio{2, 1}, Ratio{4, 1}, Ratio{1, 2}, Ratio{2, 2}, Ratio{4, 2},
                                         Ratio{1, 4}, Ratio{2, 4}, Ratio{4, 4}),
                         nameOf);

}  // namespace
