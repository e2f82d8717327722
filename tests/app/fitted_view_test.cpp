#include "shell_fixture.h"

#include <algorithm>

#include "app/command_line.h"
#include "app/frame.h"
#include "app/startup.h"
#include "render/frame_platform.h"
#include "render/memory_platform.h"
#include "support/bmp_builder.h"

namespace {

// Pictures opened from the command line, by the folder keys or by a drop
// show in their own proportions and follow the window's size; the zoom,
// actual-size, fullscreen and quit keys.
class FittedViewTest : public ShellTest {
protected:
    void SetUp() override
    {
        ShellTest::SetUp();
        setFramePlatform(&frames);
        updateWindowGeometry();
        files.add("pics/portrait.bmp", makeBmp({60, 90}));  // 2:3, as a 600 x 900 photo
        files.add("pics/wide.jpg", jpegWithImages(0));      // 32 x 16, 2:1, as a 1200 x 600 one
        shell.folders["pics/"] = {"portrait.bmp", "wide.jpg"};
    }
    void TearDown() override
    {
        commandLineFiles.clear();
        setFramePlatform(nullptr);
        ShellTest::TearDown();
    }

    void resize(int32_t width, int32_t height)
    {
        frames.setClientSize(width, height);
        send(Message{WM_SIZE, 0, 0});
    }

    // Upright, of the picture's proportions, centred, and as large as fits
    // with 50 pixels free on the tighter side.
    static void expectFitted(double proportions)
    {
        const auto& p = controlPoints;
        EXPECT_EQ(p[0].y, p[1].y);
        EXPECT_EQ(p[1].x, p[2].x);
        EXPECT_EQ(p[2].y, p[3].y);
        EXPECT_EQ(p[3].x, p[0].x);
        const double width = p[1].x - p[0].x;
        const double height = p[3].y - p[0].y;
        EXPECT_NEAR(width / height, proportions, 1e-9);
        EXPECT_NEAR(p[0].x + p[1].x, viewerState->clientWidth, 1e-9);
        EXPECT_NEAR(p[0].y + p[3].y, viewerState->clientHeight, 1e-9);
        EXPECT_NEAR(std::min(p[0].x, p[0].y), 50.0, 1e-9);
    }

    MemoryFramePlatform frames{1920, 1080, 750, 650};
    ManualClock clock;
};

TEST_F(FittedViewTest, CommandLineFolderKeysAndDropsShowEachPictureInItsOwnProportions)
{
    commandLineFiles = {"pics/portrait.bmp"};
    startupLoad();
    expectFitted(2.0 / 3.0);
    const struct {
        Message message;
        const char* path;
        double proportions;
    } opens[] = {{keyDown(VK_RIGHT), "pics/wide.jpg", 2.0},
                 {keyDown(VK_LEFT), "pics/portrait.bmp", 2.0 / 3.0},
                 {keyDown(VK_NEXT), "pics/wide.jpg", 2.0},
                 {Message{WM_DROPFILES, 0, 0}, "pics/portrait.bmp", 2.0 / 3.0}};
    shell.dropped = "pics/portrait.bmp";
    for (const auto& open : opens) {
        send(open.message);
        EXPECT_EQ(imagePath, open.path);
        expectFitted(open.proportions);
    }
    EXPECT_TRUE(shell.boxes.empty());
}

TEST_F(FittedViewTest, TheDesignsOwnPathsKeepTheirControlPoints)
{
    files.add("small.jpg", jpegWithImages(1));
    startupLoad();
    const auto square = controlPoints;
    resize(1000, 900);
    EXPECT_EQ(controlPoints, square);

    send(keyDown(VK_HOME));
    shell.dialogAnswers.push_back("pics/portrait.bmp");
    send(keyDown(VK_F1));
    const auto afterOpen = controlPoints;
    resize(750, 650);
    EXPECT_EQ(controlPoints, afterOpen);  // F1 ends the fit: the new picture fills the old one's place
}

TEST_F(FittedViewTest, AResizeRefitsAFittedViewAndLeavesAPlacedOne)
{
    shell.dropped = "pics/wide.jpg";
    send(Message{WM_DROPFILES, 0, 0});
    for (const auto& [width, height] : {std::pair{1000, 400}, {300, 900}, {1920, 1080}}) {
        resize(width, height);
        expectFitted(2.0);
    }
    const auto fitted = controlPoints;
    resize(0, 0);  // minimised: nothing to fit into
    EXPECT_EQ(controlPoints, fitted);

    viewerState->clientOrigin = Point{0, 0};
    const std::vector<std::vector<Message>> placements = {
        {mouse(WM_LBUTTONDOWN, 600, 500), mouse(WM_MOUSEMOVE, 610, 505), mouse(WM_LBUTTONUP, 610, 505)},
        {mouse(WM_LBUTTONDOWN, 52, 160), mouse(WM_MOUSEMOVE, 90, 80), mouse(WM_LBUTTONUP, 90, 80)},
        {wheel(120, 400, 300)},
        {keyDown(VK_OEM_PLUS)},
        {keyDown(VK_SUBTRACT)},
        {keyDown('0')},
    };
    for (const auto& placement : placements) {
        resize(750, 650);
        send(keyDown(VK_HOME));
        expectFitted(2.0);
        for (const Message& message : placement)
            send(message);
        const auto placed = controlPoints;
        resize(900, 500);
        EXPECT_EQ(controlPoints, placed) << "after message " << placement.front().message;
    }
}

TEST_F(FittedViewTest, PlusAndMinusZoomAboutTheWindowCentreByOneWheelStep)
{
    const struct {
        uint32_t key;
        double factor;
    } keys[] = {{VK_OEM_PLUS, 1.1}, {VK_ADD, 1.1}, {VK_OEM_MINUS, 0.9}, {VK_SUBTRACT, 0.9}};
    for (const auto& k : keys) {
        controlPoints = startupControlPoints;
        send(keyDown(k.key));
        for (size_t i = 0; i < 4; ++i) {
            EXPECT_NEAR(controlPoints[i].x, 375 + (startupControlPoints[i].x - 375) * k.factor, 1e-9) << k.key;
            EXPECT_NEAR(controlPoints[i].y, 325 + (startupControlPoints[i].y - 325) * k.factor, 1e-9) << k.key;
        }
    }
}

// Each picture pixel lands on one frame pixel: blue = x, green = y in the
// builder's picture.
TEST_F(FittedViewTest, ZeroShowsOnePicturePixelPerScreenPixelUprightAndCentred)
{
    send(keyDown('0'));  // no picture: nothing to show
    EXPECT_EQ(controlPoints, startupControlPoints);

    files.add("odd.bmp", makeBmp({60, 91}));
    shell.dialogAnswers.push_back("odd.bmp");
    send(keyDown(VK_F1));
    send(wheel(120, 300, 300));
    send(keyDown('0'));
    EXPECT_EQ(controlPoints, (std::array<ControlPoint, 4>{{{345, 279}, {405, 279}, {405, 370}, {345, 370}}}));

    createFrameBuffer();
    renderFrame();
    const auto& frame = frames.presented();
    for (const auto& [x, y] : {std::pair{1, 1}, {6, 6}, {30, 45}, {31, 45}, {58, 89}}) {
        const uint32_t pixel = frame[size_t((279 + y) * frames.presentedWidth() + 345 + x)];
        EXPECT_EQ(pixel & 0xFF, uint32_t(x)) << x << "," << y;
        EXPECT_EQ((pixel >> 8) & 0xFF, uint32_t(y)) << x << "," << y;
    }
}

TEST_F(FittedViewTest, F11TogglesFullscreenAndEscapeLeavesItBeforeQuitting)
{
    send(keyDown(VK_F11));
    EXPECT_TRUE(shell.isFullscreen);
    send(keyDown(VK_F11));
    EXPECT_FALSE(shell.isFullscreen);
    send(keyDown(VK_F11));
    send(keyDown(VK_ESCAPE));
    EXPECT_FALSE(shell.isFullscreen);
    EXPECT_EQ(shell.quitPosts, 0);
    send(keyDown(VK_ESCAPE));
    EXPECT_EQ(shell.quitPosts, 1);
    EXPECT_EQ(shell.events, (std::vector<std::string>{"fullscreen", "windowed", "fullscreen", "windowed"}));
}

TEST_F(FittedViewTest, QQuitsAtOnceFullscreenOrNot)
{
    send(keyDown('Q'));
    EXPECT_EQ(shell.quitPosts, 1);
    shell.isFullscreen = true;
    send(keyDown('Q'));
    EXPECT_EQ(shell.quitPosts, 2);
}

TEST_F(FittedViewTest, TheNewKeysWithAltAreNoCommandsAndAreListedInTheHelp)
{
    for (const uint32_t key :
         {uint32_t{VK_OEM_PLUS}, uint32_t{VK_SUBTRACT}, uint32_t{'0'}, uint32_t{VK_F11}, uint32_t{'Q'}})
        send(Message{WM_SYSKEYDOWN, key, 0});
    EXPECT_EQ(controlPoints, startupControlPoints);
    EXPECT_FALSE(shell.isFullscreen);
    EXPECT_EQ(shell.quitPosts, 0);
    for (const char* key : {"+, =, keypad +", "-, keypad -", "\n  0 ", "F11", "\n  Q "})
        EXPECT_NE(std::string(usageText).find(key), std::string::npos) << key;
}

}  // namespace
