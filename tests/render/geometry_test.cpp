#include <gtest/gtest.h>

#include <vector>

#include "app/interaction.h"
#include "jpeg/output/picture.h"
#include "render/geometry.h"
#include "support/render_scene.h"

namespace {

std::vector<SpanBreak> filledBreaks()
{
    std::vector<SpanBreak> filled;
    for (const SpanBreak& b : spanBreaks) {
        if (b.y < 0.0)
            break;
        filled.push_back(b);
    }
    return filled;
}

void expectBreak(const SpanBreak& b, double y, double left, double right)
{
    EXPECT_DOUBLE_EQ(b.y, y);
    EXPECT_DOUBLE_EQ(b.left, left);
    EXPECT_DOUBLE_EQ(b.right, right);
}

void setPoints(ControlPoint p1, ControlPoint p2, ControlPoint p3, ControlPoint p4) { controlPoints = {p1, p2, p3, p4}; }

class GeometryTest : public ::testing::Test {
protected:
    RenderScene scene;
    const Rect sceneClient{0, 0, 800, 600};  // drawing rectangle x 20..780, y 20..580
};

TEST_F(GeometryTest, StartupSquareBreaksAtItsTopTwiceAndAtTheDrawingBottom)
{
    buildSpanBreaks(sceneClient);
    const auto breaks = filledBreaks();
    ASSERT_EQ(breaks.size(), 3u);
    expectBreak(breaks[0], 100, 100, 600);
    expectBreak(breaks[1], 100, 100, 600);
    expectBreak(breaks[2], 580, 100, 600);
    EXPECT_LT(spanBreaks[14].y, 0.0);
}

TEST_F(GeometryTest, ParallelogramInsideTheDrawingRectangleBreaksAtItsFourCorners)
{
    setPoints({200, 100}, {500, 150}, {450, 400}, {150, 350});
    buildSpanBreaks(sceneClient);
    const auto breaks = filledBreaks();
    ASSERT_EQ(breaks.size(), 4u);
    expectBreak(breaks[0], 100, 200, 200);
    expectBreak(breaks[1], 150, 190, 500);
    expectBreak(breaks[2], 350, 150, 460);
    expectBreak(breaks[3], 400, 450, 450);
}

TEST_F(GeometryTest, ParallelogramCoveringTheDrawingRectangleBreaksAtItsTopAndBottom)
{
    setPoints({-100, -300}, {1200, -100}, {1000, 1000}, {-300, 800});
    buildSpanBreaks(sceneClient);
    const auto breaks = filledBreaks();
    ASSERT_EQ(breaks.size(), 2u);
    expectBreak(breaks[0], 20, 20, 780);
    expectBreak(breaks[1], 580, 20, 780);
}

TEST_F(GeometryTest, CornerOnTheBorderCountsAsInsideAndAnEdgeAlongItDoesNotStraddle)
{
    setPoints({20, 20}, {300, 20}, {300, 200}, {20, 200});
    buildSpanBreaks(sceneClient);
    const auto breaks = filledBreaks();
    ASSERT_EQ(breaks.size(), 4u);
    EXPECT_DOUBLE_EQ(breaks[0].y, 20);
    EXPECT_DOUBLE_EQ(breaks[1].y, 20);
    EXPECT_DOUBLE_EQ(breaks[3].y, 200);
}

TEST_F(GeometryTest, ParallelogramBesideTheDrawingRectangleHasOnlyEmptySpans)
{
    setPoints({900, 0}, {1000, 0}, {1000, 700}, {900, 700});
    buildSpanBreaks(sceneClient);
    const auto breaks = filledBreaks();
    ASSERT_EQ(breaks.size(), 2u);
    expectBreak(breaks[0], 20, 780, 780);
    expectBreak(breaks[1], 580, 780, 780);
}

struct HitCase {
    const char* name;
    double mx;
    double my;
    int32_t expected;
};

class HitTest : public GeometryTest, public ::testing::WithParamInterface<HitCase> {};

TEST_P(HitTest, FindsThePointWhoseStrictSevenPixelBoxHoldsThePointer)
{
    setPoints({100, 100}, {110, 100}, {600, 600}, {100, 600});
    EXPECT_EQ(hitTestControlPoint(GetParam().mx, GetParam().my), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Boxes, HitTest,
                         ::testing::Values(HitCase{"centre", 600, 600, 3}, HitCase{"sixAway", 106, 594, 4},
                                           HitCase{"sevenAwayIsOutside", 593, 600, -1},
                                           HitCase{"diagonalCorner", 606.9, 606.9, 3},
                                           HitCase{"overlapPicksHigher", 105, 100, 2}, HitCase{"onlyFirst", 94, 100, 1},
                                           HitCase{"nothing", 400, 400, -1}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(GeometryTest, DraggingPointThreeMovesPointTwoAcrossAndPointFourDown)
{
    moveControlPoint(3, 700, 650);
    EXPECT_EQ(point3Dragged, 1);
    completeParallelogram();
    EXPECT_DOUBLE_EQ(controlPoints[1].x, 700);
    EXPECT_DOUBLE_EQ(controlPoints[1].y, 100);
    EXPECT_DOUBLE_EQ(controlPoints[3].x, 100);
    EXPECT_DOUBLE_EQ(controlPoints[3].y, 650);
}

TEST_F(GeometryTest, DraggingAnotherPointMovesPointThree)
{
    moveControlPoint(3, 700, 650);
    moveControlPoint(2, 650, 50);
    EXPECT_EQ(point3Dragged, 0);
    completeParallelogram();
    EXPECT_DOUBLE_EQ(controlPoints[2].x, 650);
    EXPECT_DOUBLE_EQ(controlPoints[2].y, 550);
}

TEST_F(GeometryTest, PanMovesEveryPointAndKeepsTheCompletionRule)
{
    point3Dragged = 1;
    panView(-30, 40);
    EXPECT_DOUBLE_EQ(controlPoints[0].x, 70);
    EXPECT_DOUBLE_EQ(controlPoints[2].y, 640);
    EXPECT_EQ(point3Dragged, 1);
}

TEST_F(GeometryTest, RotationTurnsClockwiseAboutThePivotWithTheShortPi)
{
    setPoints({200, 100}, {300, 100}, {300, 200}, {200, 200});
    rotateView(100, 100, 90);
    // A quarter turn with pi as 3.14159 falls 1.3e-6 radians short.
    EXPECT_NEAR(controlPoints[0].x, 100.000132679, 1e-8);
    EXPECT_NEAR(controlPoints[0].y, 200, 1e-8);
    EXPECT_NEAR(controlPoints[2].x, 0.000265359, 1e-8);
    EXPECT_NEAR(controlPoints[2].y, 300.000132679, 1e-8);
}

TEST_F(GeometryTest, WheelStepBackThenForwardRestoresThePoints)
{
    rotateView(321, 123, 10);
    rotateView(321, 123, -10);
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_NEAR(controlPoints[i].x, startupControlPoints[i].x, 1e-9);
        EXPECT_NEAR(controlPoints[i].y, startupControlPoints[i].y, 1e-9);
    }
}

TEST_F(GeometryTest, ZoomScalesAboutThePivot)
{
    zoomView(100, 100, 1.1);
    zoomView(100, 100, 0.9);
    EXPECT_DOUBLE_EQ(controlPoints[0].x, 100);
    EXPECT_NEAR(controlPoints[2].x, 100 + 500 * 0.99, 1e-9);
    EXPECT_NEAR(controlPoints[2].y, 100 + 500 * 0.99, 1e-9);
}

TEST_F(GeometryTest, InverseMapSendsTheCornersToThePictureExtents)
{
    makeFlatPicture(50, 40, 0);
    setPoints({100, 100}, {300, 150}, {250, 400}, {50, 350});
    for (int32_t filter : {0, 1}) {
        const InverseMap m = computeInverseMap(filter);
        const double cw = filter == 0 ? 50 : 49;
        const double ch = filter == 0 ? 40 : 39;
        auto u = [&](const ControlPoint& p) { return m.uStepX * p.x + m.uStepY * p.y + m.uBase; };
        auto v = [&](const ControlPoint& p) { return m.vStepX * p.x + m.vStepY * p.y + m.vBase; };
        EXPECT_NEAR(u(controlPoints[0]), 0, 1e-9);
        EXPECT_NEAR(v(controlPoints[0]), 0, 1e-9);
        EXPECT_NEAR(u(controlPoints[1]), cw, 1e-9);
        EXPECT_NEAR(v(controlPoints[1]), 0, 1e-9);
        EXPECT_NEAR(u(controlPoints[2]), cw, 1e-9);
        EXPECT_NEAR(v(controlPoints[2]), ch, 1e-9);
        EXPECT_NEAR(u(controlPoints[3]), 0, 1e-9);
        EXPECT_NEAR(v(controlPoints[3]), ch, 1e-9);
    }
}

}  // namespace
