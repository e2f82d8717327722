#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>

#include "idct/block_shape.h"
#include "idct/idct_families.h"
#include "idct/natural_blocks.h"
#include "idct/quant_tables.h"

// Flat and top-left blocks take shortcuts through every transform; each
// must give the samples of the whole network bit for bit, for real data
// and for garbage that wraps, on both lane widths.

namespace {

TEST(BlockShape, EachCoefficientPositionDecidesTheShape)
{
    for (int p = 0; p < 64; ++p) {
        CoefficientBlock block{};
        block[0] = 1024;
        block[p] = -1;
        const int side = std::max(p / 8, p % 8) + 1;
        const BlockShape expected = p == 0      ? BlockShape::dcOnly
                                    : side <= 2 ? BlockShape::topLeft2x2
                                    : side <= 4 ? BlockShape::topLeft4x4
                                                : BlockShape::full;
        EXPECT_EQ(shapeOf(block.data()), expected) << "position " << p;
    }
}

enum class Values { plausible, garbage };

// A block of the given shape: its region filled, the rest zero.
CoefficientBlock blockOfShape(std::mt19937& rng, BlockShape shape, Values values)
{
    CoefficientBlock block{};
    const int side = shape == BlockShape::topLeft4x4 ? 4 : shape == BlockShape::topLeft2x2 ? 2 : 1;
    for (int r = 0; r < side; ++r)
        for (int c = 0; c < side; ++c) {
            const auto word = static_cast<int32_t>(rng());
            const bool dc = r == 0 && c == 0;
            block[8 * r + c] = values == Values::garbage ? word : dc ? word & 2047 : word % 40;
        }
    return block;
}

void expectShortcutMatchesNetwork(tidct& transform, const CoefficientBlock& block, const char* name)
{
    CoefficientBlock viaShortcut = block, whole = block;
    transform.transform(viaShortcut.data());
    transform.transformAs(whole.data(), BlockShape::full);
    ASSERT_EQ(viaShortcut, whole) << name << ", DC " << block[0];
}

TEST(BlockShape, ShortcutsGiveTheSamplesOfTheWholeNetwork)
{
    QuantTable absurd{};
    absurd.fill(65535);
    std::mt19937 rng(77);
    for (const QuantTable& table : {scaledTable(kLuminanceTable, 50), scaledTable(kChrominanceTable, 95), absurd}) {
        IdctFamilies families(table);
        for (const bool wide : {false, true}) {
            if (wide && !lanes::wide)
                continue;
            LaneWidth width(wide);
            for (const BlockShape shape : {BlockShape::dcOnly, BlockShape::topLeft2x2, BlockShape::topLeft4x4})
                for (const Values values : {Values::plausible, Values::garbage})
                    for (int n = 0; n < 400; ++n) {
                        const CoefficientBlock block = blockOfShape(rng, shape, values);
                        for (const auto& f : families.all())
                            expectShortcutMatchesNetwork(*f.transform, block, f.name);
                    }
        }
    }
}

TEST(BlockShape, FlatBlocksAtTheEdgesOfTheDcRange)
{
    IdctFamilies families(scaledTable(kLuminanceTable, 75));
    for (const int32_t dc : {INT32_MIN, INT32_MIN + 1, -1, 0, 1, 1023, 1024, 2047, 4095, INT32_MAX}) {
        CoefficientBlock block{};
        block[0] = dc;
        for (const auto& f : families.all())
            expectShortcutMatchesNetwork(*f.transform, block, f.name);
    }
}

}  // namespace
