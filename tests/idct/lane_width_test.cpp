#include <gtest/gtest.h>

#include <cstdint>
#include <random>

#include "idct/idct_families.h"
#include "idct/natural_blocks.h"
#include "idct/quant_tables.h"

// The transforms run on 8 lanes where the processor has AVX2 and on 4
// elsewhere. The golden hashes pin whichever this machine picks; here the
// 4-lane code must match it sample for sample.

namespace {

CoefficientBlock transformed(tidct& transform, CoefficientBlock block, bool wide)
{
    LaneWidth width(wide);
    transform.transform(block.data());
    return block;
}

void expectWidthsAgree(IdctFamilies& families, const CoefficientBlock& block)
{
    for (const auto& f : families.all())
        ASSERT_EQ(transformed(*f.transform, block, false), transformed(*f.transform, block, true)) << f.name;
}

TEST(LaneWidths, NarrowLanesGiveTheSamplesOfWideLanes)
{
    if (!lanes::wide)
        GTEST_SKIP() << "no AVX2 here: the golden tests cover the 4-lane code";
    std::mt19937 rng(404);
    QuantTable absurd{};
    absurd.fill(65535);
    for (const QuantTable& table : {scaledTable(kLuminanceTable, 75), absurd}) {
        IdctFamilies families(table);
        for (int n = 0; n < 500; ++n) {
            expectWidthsAgree(families, naturalBlock(rng, table));
            CoefficientBlock garbage{};
            for (auto& c : garbage)
                c = static_cast<int32_t>(rng());
            expectWidthsAgree(families, garbage);
        }
    }
}

}  // namespace
