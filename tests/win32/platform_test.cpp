#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "app/viewer_state.h"
#include "platform/win32/win32_messages.h"
#include "platform/win32/win32_platform.h"

namespace {

std::vector<uint32_t> received;

int64_t recordMessage(uint32_t message, uint64_t, int64_t)
{
    received.push_back(message);
    return 0;
}

constexpr uint32_t white = 0xFFFFFF;

// The real window of class "MyClass"; skipped where no display can show one.
class Win32Window : public testing::Test {
protected:
    void SetUp() override
    {
        resetViewerState();
        received.clear();
        ASSERT_TRUE(platform_.registerWindowClass(recordMessage));
        if (!platform_.createWindow("Viewer", 50, 50, 750, 650))
            GTEST_SKIP() << "no display to make a window on";
    }

    Win32Platform platform_{GetModuleHandleW(nullptr)};
};

bool allWhite(const uint32_t* pixels, size_t count)
{
    return std::all_of(pixels, pixels + count, [](uint32_t p) { return (p & 0xFFFFFF) == white; });
}

}  // namespace

TEST_F(Win32Window, OuterRectangleIsTheOneAskedForAndTheClientLiesInside)
{
    platform_.showWindow();
    const Rect outer = platform_.windowRect();
    EXPECT_EQ(outer.left, 50);
    EXPECT_EQ(outer.top, 50);
    EXPECT_EQ(outer.right, 800);
    EXPECT_EQ(outer.bottom, 700);
    const Rect client = platform_.clientRect();
    const Point origin = platform_.clientOrigin();
    EXPECT_GT(client.right, 0);
    EXPECT_LE(client.right, 750);
    EXPECT_LE(client.bottom, 650);
    EXPECT_GE(origin.x, 50);
    EXPECT_GE(origin.y, 50);
    EXPECT_LE(origin.x + client.right, 800);
    EXPECT_GT(platform_.desktopRect().right, 0);
    EXPECT_EQ(viewerState->window, static_cast<void*>(FindWindowW(L"MyClass", L"Viewer")));
}

TEST_F(Win32Window, FrameStartsWhiteAndTextStaysInsideItsSurface)
{
    constexpr int32_t width = 200, height = 100;
    uint32_t* pixels = platform_.createFrameBitmap(width, height);
    ASSERT_NE(pixels, nullptr);
    EXPECT_TRUE(allWhite(pixels, width * height));
    const FrameSurface surface{pixels, width, 60, 30};
    platform_.drawText(surface, 10, 5, "Text that runs well past the edge");
    int dark = 0;
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            const bool inside = x < surface.width && y < surface.height;
            const uint32_t p = pixels[y * width + x] & 0xFFFFFF;
            dark += p == 0;
            if (!inside) {
                ASSERT_EQ(p, white) << x << "," << y;
            }
        }
    }
    EXPECT_GT(dark, 10);  // black glyphs on the white cell
}

TEST_F(Win32Window, ClearingMakesTheSurfaceWhiteAndLeavesTheRest)
{
    constexpr int32_t width = 64, height = 32;
    uint32_t* pixels = platform_.createFrameBitmap(width, height);
    ASSERT_NE(pixels, nullptr);
    std::fill(pixels, pixels + width * height, 0x0000FAu);
    platform_.clearFrame({pixels, width, 40, 20});
    EXPECT_EQ(pixels[19 * width + 39] & 0xFFFFFF, white);
    EXPECT_EQ(pixels[20 * width + 39], 0x0000FAu);
    EXPECT_EQ(pixels[19 * width + 40], 0x0000FAu);
}

TEST_F(Win32Window, FrameTooLargeOrEmptyIsRefused)
{
    EXPECT_EQ(platform_.createFrameBitmap(0, 100), nullptr);
    EXPECT_EQ(platform_.createFrameBitmap(1 << 15, 1 << 15), nullptr);
}

TEST_F(Win32Window, QuitMessageCarriesItsExitCodeThroughThePeek)
{
    platform_.postQuitMessage(3);
    Message message;
    while (platform_.peekMessage(message) && message.message != WM_QUIT)
        platform_.dispatchMessage(message);
    EXPECT_EQ(message.message, static_cast<uint32_t>(WM_QUIT));
    EXPECT_EQ(message.wParam, 3u);
}

TEST_F(Win32Window, ShownOnlyWhileVisibleAndNotMinimised)
{
    EXPECT_FALSE(platform_.windowShown());
    platform_.showWindow();
    EXPECT_TRUE(platform_.windowShown());
    ShowWindow(static_cast<HWND>(viewerState->window), SW_MINIMIZE);
    EXPECT_FALSE(platform_.windowShown());
    ShowWindow(static_cast<HWND>(viewerState->window), SW_RESTORE);
    EXPECT_TRUE(platform_.windowShown());
    platform_.destroyWindow();
    EXPECT_FALSE(platform_.windowShown());
}

TEST_F(Win32Window, DestroyingDeliversTheDestroyNotificationToTheShell)
{
    platform_.destroyWindow();
    EXPECT_NE(std::find(received.begin(), received.end(), static_cast<uint32_t>(WM_DESTROY)), received.end());
    EXPECT_EQ(viewerState->window, nullptr);
    EXPECT_EQ(platform_.windowRect().right, 0);
}

// The folder the sample is looked up in is this program's own, spelt with
// forward slashes as the shell keeps paths.
TEST(Win32Program, FolderIsTheOneThatHoldsTheRunningProgram)
{
    Win32Platform platform{GetModuleHandleW(nullptr)};
    const std::string folder = platform.programFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.find('\\'), std::string::npos) << folder;
    EXPECT_NE(GetFileAttributesW(windowsPath(folder + "/win32_tests.exe").c_str()), INVALID_FILE_ATTRIBUTES) << folder;
}

// The window's outer rectangle then is the monitor's, with the client area
// all of it; back out, the window is where and as large as it was, and the
// shell heard of both sizes.
TEST_F(Win32Window, FullscreenCoversTheMonitorAndGoesBackToThePlacementBefore)
{
    platform_.showWindow();
    EXPECT_FALSE(platform_.fullscreen());
    received.clear();
    platform_.setFullscreen(true);
    EXPECT_TRUE(platform_.fullscreen());
    const Rect screen = platform_.desktopRect();
    const Rect outer = platform_.windowRect();
    EXPECT_EQ(outer.left, screen.left);
    EXPECT_EQ(outer.top, screen.top);
    EXPECT_EQ(outer.right, screen.right);
    EXPECT_EQ(outer.bottom, screen.bottom);
    EXPECT_EQ(platform_.clientRect().right, screen.right - screen.left);
    EXPECT_EQ(platform_.clientRect().bottom, screen.bottom - screen.top);
    EXPECT_NE(std::find(received.begin(), received.end(), static_cast<uint32_t>(WM_SIZE)), received.end());

    received.clear();
    platform_.setFullscreen(false);
    EXPECT_FALSE(platform_.fullscreen());
    const Rect back = platform_.windowRect();
    EXPECT_EQ(back.left, 50);
    EXPECT_EQ(back.top, 50);
    EXPECT_EQ(back.right, 800);
    EXPECT_EQ(back.bottom, 700);
    EXPECT_NE(std::find(received.begin(), received.end(), static_cast<uint32_t>(WM_SIZE)), received.end());
}
