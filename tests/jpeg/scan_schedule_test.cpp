// Which scans of a frame may run at once, and which frame rows a scan has
// decoded as it goes: what lets several threads share a progressive frame
// and still leave every coefficient as one thread leaves it.
#include <gtest/gtest.h>

#include "jpeg/frame/scan_schedule.h"

namespace {

ScanShape scanOf(std::initializer_list<int32_t> components, int32_t ss, int32_t se, int32_t ah = 0, int32_t al = 0)
{
    ScanShape shape;
    for (const int32_t n : components)
        shape.component[shape.count++] = n;
    shape.ss = ss;
    shape.se = se;
    shape.ah = ah;
    shape.al = al;
    return shape;
}

TEST(ScanSchedule, ScansWaitOnlyForEarlierScansOfTheirCoefficients)
{
    const struct {
        const char* name;
        ScanShape earlier, later;
        bool overlap;
    } cases[] = {
        {"DC of all, then AC of one", scanOf({0, 1, 2}, 0, 0, 0, 1), scanOf({0}, 1, 5, 0, 2), false},
        {"DC first, then DC refined", scanOf({0, 1, 2}, 0, 0, 0, 1), scanOf({0, 1, 2}, 0, 0, 1, 0), true},
        {"AC of two components", scanOf({1}, 1, 63, 0, 1), scanOf({2}, 1, 63, 0, 1), false},
        {"Disjoint bands of one component", scanOf({0}, 1, 5, 0, 2), scanOf({0}, 6, 63, 0, 2), false},
        {"A refinement over both bands", scanOf({0}, 6, 63, 0, 2), scanOf({0}, 1, 63, 2, 1), true},
        // An AC refinement reads the whole block, the DC term among it.
        {"DC refined after an AC refinement", scanOf({0}, 1, 63, 2, 1), scanOf({0, 1, 2}, 0, 0, 1, 0), true},
        {"Refinements of disjoint bands", scanOf({0}, 1, 20, 2, 1), scanOf({0}, 21, 63, 2, 1), true},
        {"A refinement and another component's DC", scanOf({1}, 1, 63, 1, 0), scanOf({0}, 0, 0, 1, 0), false},
        {"Bands meeting at one coefficient", scanOf({0}, 1, 20, 0, 0), scanOf({0}, 20, 63, 0, 0), true},
        {"Sequential scans of one component each", scanOf({0}, 0, 63), scanOf({1}, 0, 63), false},
        {"Interleaved DC sharing a component", scanOf({0, 1}, 0, 0), scanOf({1, 2}, 0, 0, 1, 0), true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(scansOverlap(c.earlier, c.later), c.overlap) << c.name;
}

// 4:2:0, 40 x 24 samples: 3 x 2 MCUs of 16 x 16; the luma's own blocks
// are 5 x 3, the chroma's 3 x 2.
FrameLayout layout420()
{
    FrameLayout layout;
    layout.count = 3;
    layout.hMax = layout.vMax = 2;
    layout.mcusWide = 3;
    layout.mcusHigh = 2;
    layout.component[0] = {0, 2, 2, 6, 4, 5, 3, 40, 24};
    layout.component[1] = {1, 1, 1, 3, 2, 3, 2, 20, 12};
    layout.component[2] = {2, 1, 1, 3, 2, 3, 2, 20, 12};
    return layout;
}

TEST(ScanSchedule, RowsCountWhenEveryBlockOfThemIsDecoded)
{
    const FrameLayout layout = layout420();
    const ScanShape interleaved = scanOf({0, 1, 2}, 0, 0);
    const ScanShape luma = scanOf({0}, 1, 63);
    const ScanShape chroma = scanOf({1}, 1, 63);
    const struct {
        const char* name;
        const ScanShape& shape;
        int64_t mcus;
        int32_t rows;
    } cases[] = {
        {"interleaved, part of a row", interleaved, 2, 0},
        {"interleaved, a row", interleaved, 3, 1},
        {"interleaved, all", interleaved, 6, 2},
        {"luma, one block row of two", luma, 5, 0},
        {"luma, two block rows", luma, 10, 1},
        {"luma, the short last row", luma, 15, 2},
        {"chroma, a row", chroma, 3, 1},
        {"chroma, all", chroma, 6, 2},
    };
    for (const auto& c : cases)
        EXPECT_EQ(rowsDecoded(layout, c.shape, c.mcus), c.rows) << c.name;
}

}  // namespace
