#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "idct/idct_families.h"
#include "idct/natural_blocks.h"
#include "idct/quant_tables.h"
#include "idct/reference_dct.h"

namespace {

struct FlatCase {
    int32_t dc;
    int32_t feigWinograd, aan, aan2;
};

// The DC factor of taanidct is 45/128 where 45.25/128 is exact, twice over,
// so its flat blocks come out about 1.1 % dark.
constexpr FlatCase kFlatCases[] = {
    {0, 0, 0, 0},          {7, 0, 0, 0},     {8, 1, 0, 1},          {1024, 128, 126, 128},
    {2040, 255, 252, 255}, {-1024, 0, 0, 0}, {4096, 255, 255, 255},
};

void expectFlat(tidct& transform, int32_t dc, int32_t expected)
{
    CoefficientBlock block{};
    block[0] = dc;
    transform.transform(block.data());
    for (int p = 0; p < 64; ++p)
        ASSERT_EQ(block[p], expected) << "DC " << dc << ", sample " << p;
}

TEST(FlatBlock, EverySampleIsTheScaledDcFloored)
{
    IdctFamilies families(kLuminanceTable);
    for (const auto& c : kFlatCases) {
        expectFlat(families.feigWinograd, c.dc, c.feigWinograd);
        expectFlat(families.aan, c.dc, c.aan);
        expectFlat(families.aan2, c.dc, c.aan2);
    }
}

// Largest distance of any sample from the exact transform of a block with
// DC 1024 and one AC term.
double singleTermError(tidct& transform, int position, int32_t value, const QuantTable& table)
{
    CoefficientBlock block{};
    block[0] = 1024;
    block[position] = value;
    double exact[64];
    reference::exactSamples(block.data(), table, exact);
    transform.transform(block.data());
    double worst = 0;
    for (int p = 0; p < 64; ++p)
        worst = std::max(worst, std::abs(block[p] - exact[p]));
    return worst;
}

struct Bound {
    const char* name;
    double maxError;
};

TEST(SingleAcTerm, EveryPositionStaysCloseToExactTransform)
{
    const QuantTable table = kLuminanceTable;
    IdctFamilies families(table);
    const Bound bounds[3] = {{"ifwi", 2}, {"taanidct", 4}, {"taanidct2", 2}};
    const auto all = families.all();
    for (int f = 0; f < 3; ++f)
        for (int position = 1; position < 64; ++position)
            for (int32_t value : {1, -1})
                EXPECT_LE(singleTermError(*all[f].transform, position, value, table), bounds[f].maxError)
                    << all[f].name << ", position " << position << ", value " << value;
}

// Frequency 5 feeds indices 4, 5 and 7 of the pre-additions and frequency 1
// indices 5, 6 and 7, so this one term reaches every kind of product in the
// 2-D multiplication stage, the crossed rotation included.
TEST(SingleAcTerm, FeigWinogradTermAtRow5Column1StaysWithinTwoOfExact)
{
    for (int quality : {50, 75, 90}) {
        const QuantTable table = scaledTable(kLuminanceTable, quality);
        IdctFamilies families(table);
        for (int32_t value : {1, -1, 3, -3})
            EXPECT_LE(singleTermError(families.feigWinograd, 8 * 5 + 1, value, table), 2.0)
                << "quality " << quality << ", value " << value;
    }
}

}  // namespace
