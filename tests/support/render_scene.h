#pragma once

#include <cstdint>
#include <functional>

#include "render/memory_platform.h"
#include "support/render_text_double.h"

// The viewer's render state set up as at start-up, on an in-memory window:
// state and interaction variables reset, the platform installed, geometry
// read, the frame made, the control points at their start-up places and no
// picture. Everything is put back when the scene ends.
class RenderScene {
public:
    RenderScene(int32_t clientWidth = 800, int32_t clientHeight = 600, int32_t desktopWidth = 1024,
                int32_t desktopHeight = 768);
    ~RenderScene();
    RenderScene(const RenderScene&) = delete;
    RenderScene& operator=(const RenderScene&) = delete;

    // Composes one frame; the result is in platform.presented().
    void render();
    // A pixel of the last presented frame.
    uint32_t presentedAt(int32_t x, int32_t y) const;
    // A pixel of the frame buffer as it stands now.
    uint32_t frameAt(int32_t x, int32_t y) const;

    BlockTextPainter text;
    MemoryFramePlatform platform;
};

using PixelMaker = std::function<uint32_t(int32_t column, int32_t row)>;

// Fills the global picture with width x height R/G/B samples.
void makePicture(int32_t width, int32_t height, const PixelMaker& pixelAt);
// The same colour everywhere.
void makeFlatPicture(int32_t width, int32_t height, uint32_t rgb);
