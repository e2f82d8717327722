#include <gtest/gtest.h>

#include <string>

#include "app/frame.h"
#include "app/interaction.h"
#include "app/viewer_state.h"
#include "jpeg/globals.h"
#include "jpeg/output/picture.h"
#include "render/geometry.h"
#include "support/memory_files.h"
#include "support/render_scene.h"

namespace {

constexpr uint32_t white = 0xFFFFFF;
constexpr uint32_t blue = 0x0000FA;
constexpr uint32_t red = 0xFA0000;

TEST(ViewerStateTest, StartsWithTheDocumentedDefaults)
{
    ManualClock clock;
    clock.now = 4242;
    resetViewerState();
    const ViewerState& vs = *viewerState;
    EXPECT_EQ(vs.showFps, 0);
    EXPECT_STREQ(vs.fpsText, "FPS: ");
    EXPECT_EQ(vs.fpsTick, 4242u);
    EXPECT_STREQ(vs.title, "Viewer");
    EXPECT_EQ(vs.useConsole, 1);
    EXPECT_EQ(vs.waitForMessages, 0);
    EXPECT_EQ(vs.running, 0);
    EXPECT_EQ(vs.windowRect.left, 50);
    EXPECT_EQ(vs.windowRect.top, 50);
    EXPECT_EQ(vs.windowRect.right, 750);
    EXPECT_EQ(vs.windowRect.bottom, 650);
    EXPECT_EQ(vs.clientRect.right, 800);
    EXPECT_EQ(vs.clientRect.bottom, 600);
    EXPECT_EQ(vs.framePixels, nullptr);
    resetViewerState();
}

class FrameTest : public ::testing::Test {
protected:
    // Blocks the block-text calls of the last frame only.
    void render()
    {
        scene.text.calls.clear();
        scene.render();
    }

    std::string textAt(int32_t x, int32_t y) const
    {
        for (const auto& call : scene.text.calls)
            if (call.x == x && call.y == y)
                return call.text;
        return "<none>";
    }

    ManualClock clock;
    RenderScene scene;
};

TEST_F(FrameTest, RenderingReturnsZeroAndPresentsTheClientArea)
{
    EXPECT_EQ(renderFrame(), 0);
    EXPECT_EQ(scene.platform.presentCount(), 1);
    EXPECT_EQ(scene.platform.presentedWidth(), 800);
    EXPECT_EQ(scene.platform.presentedHeight(), 600);
}

TEST_F(FrameTest, MarkersAreElevenPixelSquaresWithPointThreeRed)
{
    showHelp = 0;
    controlPoints = {{{100, 100}, {300, 100}, {300, 300}, {100, 300}}};
    render();
    EXPECT_EQ(scene.presentedAt(95, 95), blue);
    EXPECT_EQ(scene.presentedAt(105, 95), blue);
    EXPECT_EQ(scene.presentedAt(94, 95), white);
    EXPECT_EQ(scene.presentedAt(95, 94), white);
    EXPECT_EQ(scene.presentedAt(305, 305), red);
    EXPECT_EQ(scene.presentedAt(306, 305), white);
    EXPECT_EQ(scene.presentedAt(295, 305), red);
}

TEST_F(FrameTest, MarkersAreCutAtTheClientEdgesAndVanishBeyondThem)
{
    controlPoints = {{{-6, 300}, {805, 300}, {400, 597}, {400, -6}}};
    point3Dragged = 1;
    render();
    EXPECT_EQ(scene.presentedAt(0, 300), white);
    EXPECT_EQ(scene.presentedAt(799, 300), white);
    EXPECT_EQ(scene.presentedAt(400, 599), red);
    EXPECT_EQ(scene.presentedAt(400, 592), red);
    EXPECT_EQ(scene.presentedAt(400, 0), white);
    controlPoints = {{{-5, 300}, {804, 300}, {400, 300}, {400, 604}}};
    render();
    EXPECT_EQ(scene.presentedAt(0, 300), blue);
    EXPECT_EQ(scene.presentedAt(799, 300), blue);
    EXPECT_EQ(scene.presentedAt(400, 599), blue);
}

TEST_F(FrameTest, StartupOverlaysFollowTheLayout)
{
    viewerState->showFps = 1;
    render();
    EXPECT_EQ(textAt(10, 10), "FPS: ");
    EXPECT_EQ(textAt(210, 10).rfind("RGB ", 0), 0u);
    EXPECT_EQ(textAt(10, 35), "F1 - open file");
    EXPECT_EQ(textAt(10, 115), "Click & mousemove - pane");
    EXPECT_EQ(textAt(10, 215), "R - Show RGB");
    EXPECT_EQ(textAt(10, 235), "D - FeigWinograd");
    EXPECT_EQ(textAt(10, 255), "S-subimg  0/0     ");
}

TEST_F(FrameTest, TurningHelpOffMovesTheSubImageCounterUp)
{
    showHelp = 0;
    subImageIndex = 0;
    imageCount = 1;
    render();
    EXPECT_EQ(textAt(10, 55), "S-subimg  1/1     ");
    EXPECT_EQ(scene.text.find("F1 - open file"), nullptr);
    EXPECT_EQ(scene.text.find("D - "), nullptr);
}

TEST_F(FrameTest, LabelNamesTheSelectedTransform)
{
    const std::pair<int32_t, const char*> labels[] = {{0, "D - FeigWinograd"},
                                                      {1, "D - AraiAguiNakajima"},
                                                      {2, "D - AraiAguiNakajima2"}};
    for (const auto& [index, label] : labels) {
        idctIndex = index;
        render();
        EXPECT_EQ(textAt(10, 235), label);
    }
}

struct ProbeCase {
    const char* name;
    int32_t x;
    int32_t y;
    const char* expected;
};

class ProbeTest : public FrameTest, public ::testing::WithParamInterface<ProbeCase> {};

TEST_P(ProbeTest, ReadsTheComposedPixelUnderThePointer)
{
    mouseX = GetParam().x;
    mouseY = GetParam().y;
    render();
    EXPECT_EQ(textAt(210, 10), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Pixels, ProbeTest,
                         ::testing::Values(ProbeCase{"background", 400, 400, "RGB 255,255,255"},
                                           ProbeCase{"blueMarker", 600, 100, "RGB 0,0,250"},
                                           ProbeCase{"redMarker", 600, 597, "RGB 250,0,0"},
                                           ProbeCase{"outsideTheBuffer", 5000, 10, "<none>"},
                                           ProbeCase{"leftOfTheBuffer", -1, 10, "<none>"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(FrameTest, ProbeShowsTheFilteredPictureColour)
{
    makeFlatPicture(4, 4, 0x102030);
    mouseX = 300;
    mouseY = 300;
    render();
    EXPECT_EQ(textAt(210, 10), "RGB 16,32,48");
}

TEST_F(FrameTest, FpsCounterHalvesTheFramesOfEachTwoSecondInterval)
{
    viewerState->showFps = 1;
    for (int i = 0; i < 120; ++i)
        render();
    clock.now += 2000;
    render();
    EXPECT_EQ(textAt(10, 10), "FPS: ");  // exactly two seconds is not yet more
    clock.now += 1;
    render();
    EXPECT_EQ(textAt(10, 10), "FPS:  61  ");
    EXPECT_EQ(viewerState->frameCount, 0);
    EXPECT_EQ(viewerState->fpsTick, clock.now);
    render();
    EXPECT_EQ(textAt(10, 10), "FPS:  61  ");
}

TEST_F(FrameTest, FpsCounterSurvivesTheTickCountWrapping)
{
    viewerState->showFps = 1;
    viewerState->fpsTick = 0xFFFFF000u;
    clock.now = 0x00000800u;
    render();
    EXPECT_EQ(textAt(10, 10), "FPS:  0  ");
}

TEST_F(FrameTest, FpsCounterFreezesWhileHidden)
{
    viewerState->showFps = 1;
    render();
    viewerState->showFps = 0;
    clock.now += 5000;
    render();
    EXPECT_EQ(viewerState->frameCount, 1);
    EXPECT_EQ(scene.text.find("FPS"), nullptr);
}

TEST_F(FrameTest, EachFrameStartsFromWhite)
{
    makeFlatPicture(4, 4, 0x000000);
    render();
    EXPECT_EQ(scene.presentedAt(300, 300), 0x000000u);
    picture.clear();
    render();
    EXPECT_EQ(scene.presentedAt(300, 300), white);
    for (int32_t y = 0; y < 600; ++y)
        for (int32_t x = 0; x < 800; ++x)
            ASSERT_EQ(scene.frameAt(x, y), white);
}

TEST(FrameBufferTest, ClientLargerThanTheBufferIsDrawnOnlyWhereTheBufferReaches)
{
    RenderScene scene(1000, 900, 640, 480);
    makeFlatPicture(5, 5, 0x445566);
    controlPoints = {{{-50, -50}, {1200, -50}, {1200, 1000}, {-50, 1000}}};
    mouseX = 900;
    mouseY = 700;
    for (int32_t filter : {0, 1, 2}) {
        filterIndex = filter;
        scene.render();
    }
    EXPECT_EQ(scene.platform.presentedWidth(), 640);
    EXPECT_EQ(scene.platform.presentedHeight(), 480);
    EXPECT_EQ(scene.presentedAt(639, 479), 0x445566u);
    EXPECT_EQ(scene.text.find("RGB"), nullptr);
}

TEST(FrameBufferTest, WithoutABufferNothingIsDrawnOrShown)
{
    RenderScene scene(800, 600, 0, 0);
    makeFlatPicture(5, 5, 0x445566);
    EXPECT_EQ(viewerState->framePixels, nullptr);
    EXPECT_EQ(renderFrame(), 0);
    EXPECT_EQ(scene.platform.presentCount(), 0);
    EXPECT_TRUE(scene.text.calls.empty());
}

TEST(FrameBufferTest, GeometryComesFromThePlatform)
{
    RenderScene scene(700, 500, 1280, 1024);
    const ViewerState& vs = *viewerState;
    EXPECT_EQ(vs.desktopWidth, 1280);
    EXPECT_EQ(vs.desktopHeight, 1024);
    EXPECT_EQ(vs.clientWidth, 700);
    EXPECT_EQ(vs.clientHeight, 500);
    EXPECT_EQ(vs.clientOrigin.x, 50);
    EXPECT_EQ(vs.frameStride, 1280);
    EXPECT_EQ(vs.frameInfo.headerSize, 40u);
    EXPECT_EQ(vs.frameInfo.width, 1280);
    EXPECT_EQ(vs.frameInfo.height, -1024);
    EXPECT_EQ(vs.frameInfo.bitCount, 32);
    scene.platform.setClientSize(900, 400);
    updateWindowGeometry();
    EXPECT_EQ(vs.clientRect.right, 900);
    EXPECT_EQ(vs.windowWidth, 900);
}

}  // namespace
