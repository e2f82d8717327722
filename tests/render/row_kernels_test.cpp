#include <gtest/gtest.h>

#include <limits>
#include <ostream>
#include <string>
#include <vector>

#include "app/interaction.h"
#include "app/viewer_state.h"
#include "jpeg/globals.h"
#include "jpeg/output/picture.h"
#include "render/resample.h"
#include "render/row_kernels.h"
#include "render/truncate.h"
#include "support/fnv_hash.h"
#include "support/render_scene.h"

namespace {

constexpr uint32_t untouched = 0xFF000000;  // no drawn pixel has a top byte

// Every sample differs from its neighbours in every channel, so a wrong
// neighbour or weight shows; blue is a 0/255 checkerboard, so blends that
// extrapolate past the picture's edges leave 0..255.
uint32_t busyPattern(int32_t column, int32_t row)
{
    const auto red = static_cast<uint32_t>((column * 37 + row * 11) & 0xFF);
    const auto green = static_cast<uint32_t>((column * 5 + row * 71 + 40) & 0xFF);
    const uint32_t blue = (column + row) % 2 == 0 ? 0 : 255;
    return red << 16 | green << 8 | blue;
}

// The row as the per-pixel rules draw it: each position the previous one
// plus the step, and samplePicture where the linear index is inside.
std::vector<uint32_t> expectedRow(int32_t filter, const RowWalk& walk, int64_t count)
{
    std::vector<uint32_t> row(static_cast<size_t>(count), untouched);
    const int64_t width = picture.width[0];
    double u = walk.u;
    double v = walk.v;
    for (auto& pixel : row) {
        const double uc = clampToInt32Range(u);
        const double vc = clampToInt32Range(v);
        const auto pc = static_cast<int32_t>(uc);
        const auto pr = static_cast<int32_t>(vc);
        const int64_t s = pr * width + pc;
        if (s >= 0 && s < width * picture.height[0])
            pixel = samplePicture(filter, s, uc, vc, pc, pr);
        u += walk.uStep;
        v += walk.vStep;
    }
    return row;
}

struct WalkCase {
    const char* name;
    int32_t pictureWidth;
    int32_t pictureHeight;
    double u;
    double v;
    double uStep;
    double vStep;
};

void PrintTo(const WalkCase& c, std::ostream* os) { *os << c.name; }

class RowKernelTest : public ::testing::TestWithParam<WalkCase> {
protected:
    void TearDown() override { picture.clear(); }
};

// Every build of every filter's row drawer, against the per-pixel rules.
TEST_P(RowKernelTest, DrawsEachPixelAsThePerPixelRules)
{
    const WalkCase& c = GetParam();
    makePicture(c.pictureWidth, c.pictureHeight, busyPattern);
    constexpr int64_t count = 203;  // not a multiple of four
    for (int32_t filter : {0, 1, 2}) {
        for (VectorBuild build : {VectorBuild::portable, VectorBuild::avx2, VectorBuild::avx512}) {
            std::vector<uint32_t> row(count, untouched);
            RowWalk walk;
            walk.out = row.data();
            walk.end = count;
            walk.u = c.u;
            walk.v = c.v;
            walk.uStep = c.uStep;
            walk.vStep = c.vStep;
            rowKernelFor(filter, build)(viewOfPicture(), walk);
            EXPECT_EQ(row, expectedRow(filter, walk, count)) << "filter " << filter << " build " << int(build);
        }
    }
}

constexpr double huge = 1e300;

INSTANTIATE_TEST_SUITE_P(Walks, RowKernelTest,
                         ::testing::Values(WalkCase{"insideShrinking", 40, 30, 1.3, 2.7, 0.17, 0.11},
                                           WalkCase{"insideMagnifying", 40, 30, 0.5, 28.9, 0.013, -0.131},
                                           WalkCase{"acrossTheLeftEdge", 40, 30, -3.1, 5.5, 0.037, 0.002},
                                           WalkCase{"acrossTheTopEdge", 40, 30, 7.2, -2.6, 0.01, 0.023},
                                           WalkCase{"intoTheLastColumnAndRow", 40, 30, 36.6, 26.1, 0.029, 0.021},
                                           WalkCase{"wrappingPastTheRightEdge", 40, 30, 30.0, 3.4, 0.3, 0.0},
                                           WalkCase{"outsideEverywhere", 40, 30, -500.0, -90.0, 0.5, 0.25},
                                           WalkCase{"saturatingPositions", 40, 30, -huge, huge, huge, -huge},
                                           WalkCase{"nanPositions", 40, 30, std::numeric_limits<double>::quiet_NaN(),
                                                    1.0, 0.1, 0.1},
                                           WalkCase{"onePixelPicture", 1, 1, -0.6, -0.2, 0.007, 0.006},
                                           WalkCase{"oneRowPicture", 25, 1, -0.4, -0.9, 0.13, 0.009},
                                           WalkCase{"oneColumnPicture", 1, 25, -0.7, 0.2, 0.004, 0.12}),
                         [](const auto& info) { return std::string(info.param.name); });

// Whole frames with the picture turned, magnified and hanging over the
// frame's edges: the portable build draws them as the wide one does.
TEST(RowKernelBuilds, PortableAndWideBuildsDrawTheSameFrames)
{
    RenderScene scene(640, 480, 640, 480);
    makePicture(53, 37, busyPattern);
    const std::array<std::array<ControlPoint, 4>, 3> layouts{{
        {{{-80, 90}, {500, -60}, {700, 400}, {120, 550}}},
        {{{30, 30}, {330, 50}, {310, 420}, {10, 400}}},
        {{{600, 20}, {610, 460}, {20, 470}, {10, 30}}},
    }};
    for (const auto& layout : layouts) {
        for (int32_t filter : {0, 1, 2}) {
            uint64_t hashes[2];
            for (bool wide : {false, true}) {
                controlPoints = layout;
                filterIndex = filter;
                viewerState->render.wideVectors = wide;
                scene.render();
                const std::vector<uint32_t>& frame = scene.platform.presented();
                hashes[wide] = fnv1a(reinterpret_cast<const uint8_t*>(frame.data()), frame.size() * sizeof(uint32_t));
            }
            EXPECT_EQ(hashes[0], hashes[1]) << "filter " << filter;
        }
    }
}

}  // namespace
