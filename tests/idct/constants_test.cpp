#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "idct/aan.h"
#include "idct/aan2.h"
#include "idct/feig_winograd.h"
#include "idct/quant_tables.h"

namespace {

struct Constant {
    std::string name;
    int32_t actual;
    int32_t expected;
};

void expectConstants(const std::vector<Constant>& constants)
{
    for (const auto& c : constants)
        EXPECT_EQ(c.actual, c.expected) << c.name;
}

TEST(IdctConstants, AanUsesSevenBitConstantsAndColumnFactors)
{
    const taanidct t;
    expectConstants({{"shift", t.shift, 7},
                     {"c4", t.c4, 90},
                     {"c2MinusC6", t.c2MinusC6, 69},
                     {"c4Odd", t.c4Odd, 90},
                     {"c2PlusC6", t.c2PlusC6, 167},
                     {"c6", t.c6, 48}});
    const int32_t scale[8] = {45, 32, 34, 38, 45, 57, 83, 164};
    for (int k = 0; k < 8; ++k)
        EXPECT_EQ(t.scale[k], scale[k]) << "scale[" << k << "]";
}

TEST(IdctConstants, Aan2UsesNineBitConstantsFromExactSumAndDifference)
{
    const taanidct2 t;
    expectConstants({{"shift", t.shift, 9},
                     {"c4", t.c4, 362},
                     {"c2MinusC6", t.c2MinusC6, 277},
                     {"c4Odd", t.c4Odd, 362},
                     {"c2PlusC6", t.c2PlusC6, 668},
                     {"c6", t.c6, 195}});
    EXPECT_EQ(t.pi, 3.14159265);
}

TEST(IdctConstants, FeigWinogradDerivesRotationsFromTruncatedConstants)
{
    const ifwi t;
    expectConstants({{"shift", t.shift, 9},
                     {"c2", t.c2, 473},
                     {"c4", t.c4, 362},
                     {"c6", t.c6, 195},
                     {"c2MinusC6", t.c2MinusC6, 278},
                     {"c2PlusC6", t.c2PlusC6, 668},
                     {"c4C2MinusC6", t.c4C2MinusC6, 196},
                     {"c4C2PlusC6", t.c4C2PlusC6, 472},
                     {"c4C6", t.c4C6, 137},
                     {"quarterRoot2", t.quarterRoot2, 181}});
    EXPECT_EQ(t.tableScale, 512.0);
    EXPECT_EQ(t.pi, 3.14159265);
}

TEST(PrescaleMatrix, DcEntryIs64WhenDcQuantisationIsOne)
{
    QuantTable m = kLuminanceTable;
    m[0] = 1;
    ifwi fw;
    taanidct2 aan2;
    fw.setTable(m.data());
    aan2.setTable(m.data());
    EXPECT_EQ(fw.matrix[0], 64);
    EXPECT_EQ(aan2.matrix[0], 64);
}

TEST(PrescaleMatrix, AanDcEntryIsItsPrescaleFactorAlone)
{
    QuantTable m = kLuminanceTable;
    m[0] = 1;
    taanidct aan;
    aan.setTable(m.data());
    EXPECT_EQ(aan.matrix[0][0], 45);
}

std::vector<QuantTable> sampleTables()
{
    std::vector<QuantTable> tables;
    for (int quality : {10, 50, 75, 90, 100}) {
        tables.push_back(scaledTable(kLuminanceTable, quality));
        tables.push_back(scaledTable(kChrominanceTable, quality));
    }
    std::mt19937 rng(7);
    std::uniform_int_distribution<int32_t> sixteenBit(1, 65535);
    for (int n = 0; n < 20; ++n) {
        QuantTable random{};
        for (auto& q : random)
            q = sixteenBit(rng);
        tables.push_back(random);
    }
    return tables;
}

TEST(PrescaleMatrix, FeigWinogradAndAan2HoldIdenticalMatrices)
{
    for (QuantTable m : sampleTables()) {
        m[0] = 1;
        ifwi fw;
        taanidct2 aan2;
        fw.setTable(m.data());
        aan2.setTable(m.data());
        for (int p = 0; p < 64; ++p)
            ASSERT_EQ(fw.matrix[p], aan2.matrix[p]) << "entry " << p;
    }
}

}  // namespace
