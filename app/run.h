#pragma once

#include <cstdint>

// The program between entry and exit: window, console, frame buffer,
// start-up load, main loop, clean-up. Uses the installed ShellPlatform and
// FramePlatform. Returns 0 in every case, as the exit code.
int32_t runViewer();

class FramePlatform;
class ShellPlatform;
// runViewer with platform installed as both services, and uninstalled after.
int32_t runViewerOn(FramePlatform& frame, ShellPlatform& shell);

// Routes one window message: geometry refresh (a fitted view fits the new
// size), close, destroy, erase (renders a frame while running), the F key,
// then the input handler.
int64_t windowProcedure(uint32_t message, uint64_t wParam, int64_t lParam);
