// The viewer program: the SDL platform installed under the shell, which
// does the rest.
#include "app/run.h"
#include "app/shell_platform.h"
#include "platform/sdl_platform.h"
#include "render/frame_platform.h"

int main()
{
    SdlPlatform platform;
    setFramePlatform(&platform);
    setShellPlatform(&platform);
    const int32_t exitCode = runViewer();
    setShellPlatform(nullptr);
    setFramePlatform(nullptr);
    return exitCode;
}
