#include <gtest/gtest.h>

#include <cstdint>
#include <random>

#include "idct/idct_families.h"
#include "idct/natural_blocks.h"
#include "idct/quant_tables.h"

// Pins every transform's output bit for bit, so that a faster rewrite can
// prove it changed nothing. Inputs come from raw mt19937 words only (their
// sequence is fixed by the standard, unlike the distributions).

namespace {

// Coefficients shaped like real data: DC anywhere in the sample range, AC
// terms shrinking with frequency.
CoefficientBlock plausibleBlock(std::mt19937& rng)
{
    CoefficientBlock block{};
    block[0] = static_cast<int32_t>(rng() % 2048);
    for (int p = 1; p < 64; ++p) {
        const uint32_t amplitude = 48 / (1 + p / 8 + p % 8);
        block[p] = static_cast<int32_t>(rng() % (2 * amplitude + 1)) - static_cast<int32_t>(amplitude);
    }
    return block;
}

CoefficientBlock fullRangeBlock(std::mt19937& rng)
{
    CoefficientBlock block{};
    for (auto& c : block)
        c = static_cast<int32_t>(rng());
    return block;
}

// FNV-1a over the samples of `count` transformed blocks.
template <class MakeBlock>
uint64_t outputHash(tidct& transform, MakeBlock makeBlock, int count)
{
    std::mt19937 rng(2718);
    uint64_t hash = 14695981039346656037ull;
    for (int n = 0; n < count; ++n) {
        CoefficientBlock block = makeBlock(rng);
        transform.transform(block.data());
        for (int32_t sample : block)
            hash = (hash ^ static_cast<uint8_t>(sample)) * 1099511628211ull;
    }
    return hash;
}

struct Expected {
    uint64_t plausible, fullRange;
};

TEST(GoldenOutput, TransformsReproduceRecordedOutputsBitForBit)
{
    IdctFamilies families(scaledTable(kLuminanceTable, 75));
    const Expected expected[3] = {
        {16146088888361736753ull, 15330972988900942280ull},  // ifwi
        {15839050350675865678ull, 17697736685755490308ull},  // taanidct
        {9980021087014974499ull, 4959375122301508257ull},    // taanidct2
    };
    const auto all = families.all();
    for (int f = 0; f < 3; ++f) {
        EXPECT_EQ(outputHash(*all[f].transform, plausibleBlock, 3000), expected[f].plausible)
            << all[f].name << ", plausible blocks";
        EXPECT_EQ(outputHash(*all[f].transform, fullRangeBlock, 1000), expected[f].fullRange)
            << all[f].name << ", full-range blocks";
    }
}

}  // namespace
