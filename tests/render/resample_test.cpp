#include <gtest/gtest.h>

#include <limits>

#include "app/interaction.h"
#include "app/viewer_state.h"
#include "jpeg/globals.h"
#include "jpeg/output/picture.h"
#include "render/geometry.h"
#include "render/resample.h"
#include "support/render_scene.h"

namespace {

constexpr uint32_t white = 0xFFFFFF;

class ResampleTest : public ::testing::Test {
protected:
    // The picture step of a frame alone: no markers, no text.
    void drawPicture()
    {
        completeParallelogram();
        buildSpanBreaks(viewerState->clientRect);
        const ViewerState& vs = *viewerState;
        const FrameSurface client{vs.framePixels, vs.frameStride, vs.clientWidth, vs.clientHeight};
        rasterizePicture(computeInverseMap(filterIndex), client, filterIndex);
    }

    int64_t countPixels(uint32_t colour) const
    {
        int64_t count = 0;
        for (int32_t y = 0; y < 600; ++y)
            for (int32_t x = 0; x < 800; ++x)
                count += scene.frameAt(x, y) == colour;
        return count;
    }

    RenderScene scene;
};

uint32_t redOf(uint32_t pixel) { return (pixel >> 16) & 0xFF; }

TEST_F(ResampleTest, StartupSquareCoversRows100To579AndColumns100To598)
{
    makeFlatPicture(16, 16, 0x123456);
    drawPicture();
    EXPECT_EQ(countPixels(0x123456), 480 * 499);
    EXPECT_EQ(scene.frameAt(100, 100), 0x123456u);
    EXPECT_EQ(scene.frameAt(598, 579), 0x123456u);
    EXPECT_EQ(scene.frameAt(599, 300), white);
    EXPECT_EQ(scene.frameAt(99, 300), white);
    EXPECT_EQ(scene.frameAt(300, 99), white);
    EXPECT_EQ(scene.frameAt(300, 580), white);
}

TEST_F(ResampleTest, EveryFilterKeepsAFlatColourExact)
{
    makeFlatPicture(7, 5, 0xFF0000);
    for (int32_t filter : {0, 1, 2}) {
        filterIndex = filter;
        drawPicture();
        EXPECT_EQ(countPixels(0xFF0000), 480 * 499) << "filter " << filter;
    }
}

TEST_F(ResampleTest, NearestMapsARectangleOfThePictureSizeOneToOne)
{
    constexpr int32_t w = 40;
    constexpr int32_t h = 30;
    makePicture(w, h, [](int32_t column, int32_t row) { return static_cast<uint32_t>(row << 8 | column); });
    controlPoints = {{{100, 100}, {100 + w, 100}, {100 + w, 100 + h}, {100, 100 + h}}};
    drawPicture();
    for (int32_t j = 0; j < h; ++j)
        for (int32_t i = 0; i < w - 1; ++i)
            ASSERT_EQ(scene.frameAt(100 + i, 100 + j), static_cast<uint32_t>(j << 8 | i)) << i << "," << j;
}

// A picture one row high with the given red samples side by side.
void makeRedRow(std::initializer_list<uint8_t> reds)
{
    picture.allocate(static_cast<int32_t>(reds.size()), 1);
    size_t s = 0;
    for (uint8_t red : reds) {
        picture.plane[0][s] = red;
        picture.plane[1][s] = picture.plane[2][s] = 0;
        ++s;
    }
}

struct BlendCase {
    const char* name;
    int32_t filter;
    uint8_t left;
    uint8_t right;
    double u;
    uint32_t expectedRed;
};

class BlendTest : public ResampleTest, public ::testing::WithParamInterface<BlendCase> {};

TEST_P(BlendTest, InterpolatesBetweenNeighbours)
{
    const BlendCase& c = GetParam();
    makeRedRow({c.left, c.right});
    const int32_t pc = static_cast<int32_t>(c.u);
    EXPECT_EQ(redOf(samplePicture(c.filter, pc, c.u, 0.0, pc, 0)), c.expectedRed);
}

INSTANTIATE_TEST_SUITE_P(Filters, BlendTest,
                         ::testing::Values(
                             // The horizontal blend is truncated: 10 + trunc(5.5), 20 + trunc(-5.5).
                             BlendCase{"bilinearTruncatesUp", 1, 10, 20, 0.55, 15},
                             BlendCase{"bilinearTruncatesDown", 1, 20, 10, 0.55, 15},
                             // Slightly left of the picture the blend extrapolates below 0 and is
                             // clamped, not wrapped round to 254.
                             BlendCase{"bilinearClampsBelowZero", 1, 0, 255, -0.01, 0},
                             BlendCase{"bilinearClampsAbove255", 1, 255, 0, -0.01, 255},
                             // Smoothstep weights 0.15625, 0.5, 0.84375 of a 160 step.
                             BlendCase{"smoothQuarter", 2, 0, 160, 0.25, 25},
                             BlendCase{"smoothHalf", 2, 0, 160, 0.5, 80},
                             BlendCase{"smoothThreeQuarters", 2, 0, 160, 0.75, 135},
                             BlendCase{"smoothUsesTheMagnitudeLeftOfThePicture", 2, 0, 160, -0.25, 25},
                             BlendCase{"lastColumnRepeatsTheEdge", 1, 0, 200, 1.5, 200}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ResampleTest, LastRowRepeatsTheEdgeSample)
{
    makePicture(1, 2, [](int32_t, int32_t row) { return row == 0 ? 0x000000u : 0xC80000u; });
    EXPECT_EQ(redOf(samplePicture(1, 1, 0.0, 1.5, 0, 1)), 200u);
}

TEST_F(ResampleTest, OnePixelPictureFillsTheParallelogramUnderBothBlends)
{
    makeFlatPicture(1, 1, 0x3399CC);
    for (int32_t filter : {1, 2}) {
        filterIndex = filter;
        drawPicture();
        EXPECT_EQ(countPixels(0x3399CC), 480 * 499) << "filter " << filter;
    }
}

struct Degenerate {
    const char* name;
    std::array<ControlPoint, 4> points;
};

class DegenerateTest : public ResampleTest, public ::testing::WithParamInterface<Degenerate> {};

TEST_P(DegenerateTest, DrawsNothing)
{
    makeFlatPicture(8, 8, 0x00FF00);
    controlPoints = GetParam().points;
    for (int32_t filter : {0, 1, 2}) {
        filterIndex = filter;
        drawPicture();
        EXPECT_EQ(countPixels(white), 800 * 600);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Parallelograms, DegenerateTest,
    ::testing::Values(Degenerate{"pointsOnOneLine", {{{100, 100}, {300, 300}, {500, 500}, {300, 300}}}},
                      Degenerate{"zeroHeight", {{{100, 300}, {600, 300}, {600, 300}, {100, 300}}}},
                      Degenerate{"allPointsTogether", {{{400, 300}, {400, 300}, {400, 300}, {400, 300}}}},
                      Degenerate{"whollyOutside", {{{-900, -900}, {-800, -900}, {-800, -800}, {-900, -800}}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ResampleTest, NoPictureDrawsNothing)
{
    drawPicture();
    EXPECT_EQ(countPixels(white), 800 * 600);
}

// Points far beyond any screen must neither crash nor convert an
// out-of-range double to an integer (the sanitizer build checks the latter).
class ExtremePointsTest : public ResampleTest, public ::testing::WithParamInterface<double> {};

TEST_P(ExtremePointsTest, StaysDefined)
{
    makeFlatPicture(3, 3, 0x804020);
    const double big = GetParam();
    const std::array<std::array<ControlPoint, 4>, 4> layouts{{
        {{{-big, -big}, {big, -big}, {big, big}, {-big, big}}},
        {{{100, 100}, {100 + big, 100}, {100 + big, 100 + big}, {100, 100 + big}}},
        {{{100, 100}, {600, 100 + big}, {600, 600}, {100, 600}}},
        {{{big, 100}, {600, 100}, {600, 600}, {100, -big}}},
    }};
    for (const auto& layout : layouts) {
        for (int32_t filter : {0, 1, 2}) {
            controlPoints = layout;
            point3Dragged = 0;
            filterIndex = filter;
            scene.render();
        }
    }
    SUCCEED();
}

INSTANTIATE_TEST_SUITE_P(Magnitudes, ExtremePointsTest,
                         ::testing::Values(1e-300, 1e-9, 3e9, 1e30, 1e300, std::numeric_limits<double>::max(),
                                           std::numeric_limits<double>::infinity(),
                                           std::numeric_limits<double>::quiet_NaN()));

}  // namespace
