#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <numbers>
#include <random>

#include "idct/exact_idct.h"
#include "idct/natural_blocks.h"
#include "idct/quant_tables.h"

// The exact transform against the 2-D formula of T.81 A.3.3 evaluated
// directly, as a quadruple sum with no separation into passes.

namespace {

double weight(int k) { return k == 0 ? 1 / std::numbers::sqrt2 : 1.0; }

double directSample(const CoefficientBlock& block, const QuantTable& table, int x, int y)
{
    double sum = 0;
    for (int v = 0; v < 8; ++v)
        for (int u = 0; u < 8; ++u) {
            const double f = double(block[8 * v + u]) * (8 * v + u == 0 ? 1 : table[8 * v + u]);
            sum += weight(u) * weight(v) * f * std::cos((2 * x + 1) * u * std::numbers::pi / 16) *
                   std::cos((2 * y + 1) * v * std::numbers::pi / 16);
        }
    return sum / 4;
}

// The largest a sample of the block can be: what its terms sum to at most.
double magnitudeOf(const CoefficientBlock& block, const QuantTable& table)
{
    double sum = std::abs(double(block[0]));
    for (int p = 1; p < 64; ++p)
        sum += std::abs(double(block[p]) * table[p]);
    return sum / 8;
}

bool nearTie(double value) { return std::abs(value - std::floor(value) - 0.5) < 1e-6; }

// Tables of 1..64, DC terms over the whole sample range and a little past
// it, sparse AC terms that keep most samples inside 0..255.
struct RandomBlocks {
    std::mt19937 rng{20240611};

    QuantTable table()
    {
        std::uniform_int_distribution<int32_t> value(1, 64);
        QuantTable t{};
        for (int32_t& q : t)
            q = value(rng);
        t[0] = 1;
        return t;
    }

    CoefficientBlock block()
    {
        std::uniform_int_distribution<int32_t> dc(-64, 2112), ac(-8, 8), chance(0, 3);
        CoefficientBlock b{};
        b[0] = dc(rng);
        for (int p = 1; p < 64; ++p)
            b[p] = chance(rng) == 0 ? ac(rng) : 0;
        return b;
    }
};

TEST(ExactIdct, MatchesTheDirectFormulaOnRandomBlocksAndTables)
{
    RandomBlocks random;
    int64_t compared = 0, ties = 0;
    for (int t = 0; t < 20; ++t) {
        const QuantTable table = random.table();
        ExactIdct exact;
        exact.setTable(table.data());
        for (int b = 0; b < 50; ++b) {
            CoefficientBlock block = random.block();
            double unrounded[64];
            exact.unroundedSamples(block.data(), unrounded);
            const double tolerance = 1e-9 * std::max(1.0, magnitudeOf(block, table));
            CoefficientBlock samples = block;
            exact.transform(samples.data());
            for (int p = 0; p < 64; ++p) {
                const double direct = directSample(block, table, p % 8, p / 8);
                ASSERT_NEAR(unrounded[p], direct, tolerance) << "table " << t << ", block " << b << ", sample " << p;
                if (nearTie(direct)) {
                    ++ties;
                    continue;
                }
                const auto expected = int32_t(std::clamp(std::floor(direct + 0.5), 0.0, 255.0));
                ASSERT_EQ(samples[p], expected) << "table " << t << ", block " << b << ", sample " << p;
                ++compared;
            }
        }
    }
    EXPECT_GT(compared, 60000);
    std::printf("%lld samples compared, %lld left out as ties\n", static_cast<long long>(compared),
                static_cast<long long>(ties));
}

struct FlatCase {
    int32_t dc;
    int32_t sample;
};

// Ties round up, as floor(x + 0.5) does: 1028 / 8 = 128.5 is 129 and
// -4 / 8 = -0.5 is 0; the rest clamp.
constexpr FlatCase kFlatCases[] = {
    {1024, 128},
    {1028, 129},
    {1020, 128},
    {1019, 127},
    {-4, 0},
    {4, 1},
    {2036, 255},
    {2035, 254},
    {-100000, 0},
    {100000, 255},
    {std::numeric_limits<int32_t>::min(), 0},
    {std::numeric_limits<int32_t>::max(), 255},
};

TEST(ExactIdct, FlatSampleIsTheDcOverEightRoundedAndEveryFlatBlockHasIt)
{
    QuantTable table = kLuminanceTable;
    table[0] = 1;  // the DC term arrives dequantised
    ExactIdct exact;
    exact.setTable(table.data());
    for (const FlatCase& c : kFlatCases) {
        EXPECT_EQ(exact.flatSample(c.dc), c.sample) << "DC " << c.dc;
        CoefficientBlock block{};
        block[0] = c.dc;
        exact.transform(block.data());
        for (int p = 0; p < 64; ++p)
            ASSERT_EQ(block[p], c.sample) << "DC " << c.dc << ", sample " << p;
    }
}

TEST(ExactIdct, ExtremeTermsAndTablesGiveSamplesInRange)
{
    constexpr int32_t extremes[] = {std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max(), -1};
    QuantTable largest{};
    largest.fill(65535);
    largest[0] = 1;
    for (const QuantTable& table : {kLuminanceTable, largest}) {
        ExactIdct exact;
        exact.setTable(table.data());
        for (int32_t value : extremes) {
            CoefficientBlock uniform{}, alternating{};
            uniform.fill(value);
            for (int p = 0; p < 64; ++p)
                alternating[p] = p % 2 ? value : ~value;
            for (CoefficientBlock block : {uniform, alternating}) {
                exact.transform(block.data());
                for (int p = 0; p < 64; ++p)
                    ASSERT_TRUE(block[p] >= 0 && block[p] <= 255) << "value " << value << ", sample " << p;
            }
        }
    }
}

}  // namespace
