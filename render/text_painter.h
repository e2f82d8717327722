#pragma once

#include <cstdint>
#include <string_view>

#include "render/frame_surface.h"

// Draws text into the frame: black on an opaque white cell whose top-left
// corner is (x, y), touching only the pixels of the surface.
class TextPainter {
public:
    virtual ~TextPainter() = default;
    virtual void drawText(const FrameSurface& surface, int32_t x, int32_t y, std::string_view text) = 0;
};
