#include "jpeg/globals.h"
#include "shell_fixture.h"

#include <algorithm>

#include "app/frame.h"
#include "render/frame_platform.h"
#include "render/memory_platform.h"

namespace {

class RunTest : public ShellTest {
protected:
    void SetUp() override
    {
        ShellTest::SetUp();
        setFramePlatform(&frames);
    }
    void TearDown() override
    {
        setFramePlatform(nullptr);
        ShellTest::TearDown();
    }

    int32_t run()
    {
        testing::internal::CaptureStdout();
        const int32_t result = runViewer();
        output = testing::internal::GetCapturedStdout();
        return result;
    }

    MemoryFramePlatform frames{1024, 768, 750, 650};
    ManualClock clock;
    std::string output;
};

TEST_F(RunTest, FailuresToMakeTheWindowAreReportedInBoxes)
{
    shell.registerSucceeds = false;
    EXPECT_EQ(run(), 0);
    shell.registerSucceeds = true;
    shell.createSucceeds = false;
    EXPECT_EQ(run(), 0);
    EXPECT_EQ(shell.boxes,
              (std::vector<std::string>{"Register class failed|RC FAILED", "Create window failed|CW FAILED"}));
    EXPECT_EQ(frames.presentCount(), 0);
}

TEST_F(RunTest, StartsOnSmallJpgAndEndsOnEscape)
{
    files.add("small.jpg", jpegWithImages(1));
    shell.queue = {keyDown('B'), keyDown(VK_ESCAPE)};
    EXPECT_EQ(run(), 0);
    EXPECT_EQ(shell.events.front(), "register");
    EXPECT_EQ(shell.events[1], "create Viewer 50,50 750x650");
    EXPECT_EQ(shell.events.back(), "close console");
    EXPECT_EQ(imageCount, 2);
    EXPECT_EQ(subImageIndex, 1);
    EXPECT_EQ(filterIndex, 1);
    EXPECT_EQ(viewerState->showFps, 1);
    EXPECT_EQ(viewerState->running, 1);
    EXPECT_EQ(frames.presentCount(), 2);
    EXPECT_EQ(output.substr(0, output.find("\n JPG stages: ")), "\n JPG load time = 0 ms");
    EXPECT_EQ(controlPoints[2].y, 600.0);
}

TEST_F(RunTest, WithoutSmallJpgAndACancelledDialogTheViewerStillRuns)
{
    shell.queue = {keyDown('S'), Message{WM_CLOSE, 0, 0}};
    EXPECT_EQ(run(), 0);
    EXPECT_EQ(shell.dialogInitialNames.size(), 1u);
    EXPECT_TRUE(shell.boxes.empty());
    EXPECT_EQ(imageCount, 0);
    EXPECT_EQ(subImageIndex, 0);
    EXPECT_NE(std::find(shell.events.begin(), shell.events.end(), "destroy"), shell.events.end());
    EXPECT_EQ(shell.quitPosts, 1);
}

TEST_F(RunTest, StartupDialogCanLoadABmp)
{
    std::vector<uint8_t> bmp(54 + 4, 0);
    bmp[0] = 'B';
    bmp[1] = 'M';
    bmp[10] = 54;
    bmp[14] = 40;
    bmp[18] = 1;
    bmp[22] = 1;
    bmp[28] = 24;
    files.add("pic.BMP", bmp);
    shell.dialogAnswers.push_back("pic.BMP");
    shell.queue = {keyDown(VK_ESCAPE)};
    run();
    EXPECT_EQ(imageCount, 1);
    EXPECT_EQ(fileKindLetter, 'B');
    EXPECT_EQ(picture.width[0], 1);
}

// Before the loop runs an erase request shows the client area cleared,
// whatever the buffer held; from then on it shows a composed frame.
TEST_F(RunTest, EraseRequestsShowAClearedFrameUntilRunningThenRender)
{
    send(Message{WM_ERASEBKGND, 0, 0});
    EXPECT_EQ(frames.presentCount(), 0);
    updateWindowGeometry();
    createFrameBuffer();
    std::fill_n(viewerState->framePixels, 1024 * 768, 0x123456u);
    send(Message{WM_ERASEBKGND, 0, 0});
    EXPECT_EQ(frames.presentCount(), 1);
    EXPECT_EQ(frames.presentedWidth(), 750);
    EXPECT_EQ(frames.presentedHeight(), 650);
    EXPECT_TRUE(std::all_of(frames.presented().begin(), frames.presented().end(),
                            [](uint32_t pixel) { return pixel == 0xFFFFFF; }));
    viewerState->running = 1;
    send(Message{WM_ERASEBKGND, 0, 0});
    EXPECT_EQ(frames.presentCount(), 2);
    EXPECT_EQ(frames.presented()[604 * 750 + 604], 0xFA0000u);  // the marker of point 3
}

TEST_F(RunTest, WaitingModeRendersOneFramePerMessage)
{
    viewerState->waitForMessages = 1;
    shell.queue = {keyDown('1'), keyDown('1'), keyDown('1')};
    run();  // the fake reports quit once the queue is empty
    EXPECT_EQ(frames.presentCount(), 3);
    EXPECT_EQ(showHelp, 0);
}

TEST_F(RunTest, SizeMessagesRefreshTheGeometry)
{
    frames.setClientSize(400, 300);
    send(Message{WM_SIZE, 0, 0});
    EXPECT_EQ(viewerState->clientWidth, 400);
    EXPECT_EQ(viewerState->clientRect.bottom, 300);
}

}  // namespace
