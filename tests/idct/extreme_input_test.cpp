#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <random>

#include "idct/idct_families.h"
#include "idct/natural_blocks.h"
#include "idct/quant_tables.h"

// Coefficients no real image produces must still give samples 0..255, and
// (under the sanitizer build) no undefined behaviour on the way.

namespace {

constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
constexpr int32_t kMax = std::numeric_limits<int32_t>::max();

void expectSamplesInRange(tidct& transform, CoefficientBlock block, const char* name)
{
    transform.transform(block.data());
    for (int p = 0; p < 64; ++p) {
        ASSERT_GE(block[p], 0) << name << ", sample " << p;
        ASSERT_LE(block[p], 255) << name << ", sample " << p;
    }
}

void expectAllInRange(IdctFamilies& families, const CoefficientBlock& block)
{
    for (const auto& f : families.all())
        expectSamplesInRange(*f.transform, block, f.name);
}

QuantTable filledTable(int32_t value)
{
    QuantTable table{};
    table.fill(value);
    return table;
}

TEST(ExtremeCoefficients, SaturatedBlocksGiveSamplesInRange)
{
    for (const QuantTable& table : {kLuminanceTable, filledTable(255), filledTable(65535)}) {
        IdctFamilies families(table);
        for (int32_t value : {kMin, kMax, kMin + 1, kMax - 1, -1}) {
            CoefficientBlock uniform{}, alternating{};
            uniform.fill(value);
            for (int p = 0; p < 64; ++p)
                alternating[p] = p % 2 ? value : ~value;
            expectAllInRange(families, uniform);
            expectAllInRange(families, alternating);
            for (int position = 0; position < 64; ++position) {
                CoefficientBlock single{};
                single[0] = 1024;
                single[position] = value;
                expectAllInRange(families, single);
            }
        }
    }
}

TEST(ExtremeCoefficients, RandomFullRangeBlocksGiveSamplesInRange)
{
    std::mt19937 rng(31);
    std::uniform_int_distribution<int32_t> anything(kMin, kMax);
    for (const QuantTable& table : {kLuminanceTable, filledTable(1), filledTable(65535)}) {
        IdctFamilies families(table);
        for (int n = 0; n < 2000; ++n) {
            CoefficientBlock block{};
            for (auto& c : block)
                c = anything(rng);
            expectAllInRange(families, block);
        }
    }
}

TEST(ExtremeCoefficients, ExtremeMultipliersGiveSamplesInRange)
{
    std::mt19937 rng(32);
    std::uniform_int_distribution<int32_t> anything(kMin, kMax);
    for (int32_t value : {kMin, kMax}) {
        IdctFamilies families(filledTable(value));
        for (int i = 0; i < 8; ++i)
            for (int j = 0; j < 8; ++j)
                families.aan.matrix[i][j] = anything(rng);
        for (int n = 0; n < 200; ++n) {
            CoefficientBlock block{};
            for (auto& c : block)
                c = anything(rng);
            expectAllInRange(families, block);
        }
    }
}

}  // namespace
