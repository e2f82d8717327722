#include "app/run.h"

#include "app/frame.h"
#include "app/input.h"
#include "app/shell_platform.h"
#include "app/startup.h"
#include "app/view_fit.h"
#include "app/viewer_state.h"
#include "render/frame_platform.h"

namespace {

// While the FPS counter is shown it measures the renderer, so frames come
// back to back. Otherwise nothing changes between messages (every change is
// a command, a load, a resize or an expose, each brought by a message), so
// the loop sleeps until the next one; as it does while nothing can be seen.
bool waitsForMessages(ShellPlatform& shell)
{
    const ViewerState& vs = *viewerState;
    return vs.waitForMessages != 0 || vs.showFps == 0 || !shell.windowShown();
}

// Takes at most one message per pass and renders a frame after it.
void mainLoop(ShellPlatform& shell)
{
    for (;;) {
        Message message;
        bool taken = true;
        if (waitsForMessages(shell))
            shell.getMessage(message);
        else
            taken = shell.peekMessage(message);
        if (taken && message.message == WM_QUIT)
            return;
        if (taken)
            shell.dispatchMessage(message);
        if (renderFrame() != 0)
            return;
    }
}

}  // namespace

int32_t runViewer()
{
    ShellPlatform& shell = shellPlatform();
    ViewerState& vs = *viewerState;
    if (!shell.registerWindowClass(windowProcedure)) {
        shell.messageBox("Register class failed", "RC FAILED");
        return 0;
    }
    // Before the window exists windowRect holds its position and size.
    if (!shell.createWindow(vs.title, vs.windowRect.left, vs.windowRect.top, vs.windowRect.right,
                            vs.windowRect.bottom)) {
        shell.messageBox("Create window failed", "CW FAILED");
        return 0;
    }
    if (vs.useConsole)
        shell.openConsole(vs.title);
    shell.showWindow();
    updateWindowGeometry();
    createFrameBuffer();
    startupLoad();
    vs.running = 1;
    mainLoop(shell);
    if (vs.useConsole)
        shell.closeConsole();
    vs.windowDc = nullptr;
    return 0;
}

int32_t runViewerOn(FramePlatform& frame, ShellPlatform& shell)
{
    setFramePlatform(&frame);
    setShellPlatform(&shell);
    const int32_t exitCode = runViewer();
    setShellPlatform(nullptr);
    setFramePlatform(nullptr);
    return exitCode;
}

int64_t windowProcedure(uint32_t message, uint64_t wParam, int64_t lParam)
{
    switch (message) {
    case WM_DESTROY: shellPlatform().postQuitMessage(0); return 0;
    case WM_MOVE:
    case WM_SIZING: updateWindowGeometry(); break;
    case WM_SIZE:
        updateWindowGeometry();
        followClientSize();
        break;
    case WM_CLOSE: shellPlatform().destroyWindow(); break;
    case WM_ERASEBKGND:
        // The window is never painted by the system: only frames show. Until
        // the loop runs (behind the start-up dialog or box) that is a blank
        // one, rather than whatever the window held.
        if (viewerState->running)
            renderFrame();
        else
            presentClearedFrame();
        return 0;
    case WM_KEYDOWN:
        if (wParam == 'F')
            viewerState->showFps = !viewerState->showFps;
        break;
    default: break;
    }
    handleInput(message, wParam, lParam);
    return 0;
}
