// The viewer program on Windows: the Win32 platform installed under the
// shell, which does the rest.
#include "app/run.h"
#include "app/viewer_state.h"
#include "platform/win32/win32_platform.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
    viewerState->instance = instance;
    viewerState->window = nullptr;
    Win32Platform platform(instance);
    setFramePlatform(&platform);
    setShellPlatform(&platform);
    const int32_t exitCode = runViewer();
    setShellPlatform(nullptr);
    setFramePlatform(nullptr);
    return exitCode;
}
