#pragma once

#include <cstdint>
#include <string_view>

#include "render/frame_surface.h"
#include "render/rect.h"

// What frame composition needs from the window system. The real one sits
// over the desktop's window; the in-memory one (memory_platform.h) serves
// tests and tools.
class FramePlatform {
public:
    virtual ~FramePlatform() = default;

    // Screen rectangles of the desktop and of the window (decorations
    // included); the client rectangle (left and top 0); the screen position
    // of the client area's top-left corner.
    virtual Rect desktopRect() = 0;
    virtual Rect windowRect() = 0;
    virtual Rect clientRect() = 0;
    virtual Point clientOrigin() = 0;

    // Makes the frame: width x height 32-bit pixels, top row first, rows
    // packed, freeing any frame made before. The platform owns the memory.
    // Null when it cannot be made.
    virtual uint32_t* createFrameBitmap(int32_t width, int32_t height) = 0;

    // Draws text black on opaque white at (x, y), only inside the surface.
    virtual void drawText(const FrameSurface& surface, int32_t x, int32_t y, std::string_view text) = 0;

    // Shows the surface's pixels at the client area's top-left corner.
    virtual void presentFrame(const FrameSurface& frame) = 0;

    // Makes every pixel of the surface white, ready for the next frame. By
    // default in plain memory; a window system may do it with its own fill.
    virtual void clearFrame(const FrameSurface& surface);
};

FramePlatform& framePlatform();
// Installs a platform for the whole program; nullptr restores the default,
// which has no window: empty geometry, no frame, no text, nothing shown.
void setFramePlatform(FramePlatform* platform);
