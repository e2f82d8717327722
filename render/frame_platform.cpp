#include "render/frame_platform.h"

#include <algorithm>

void FramePlatform::clearFrame(const FrameSurface& surface)
{
    constexpr uint32_t white = 0xFFFFFF;
    for (int64_t row = 0; row < surface.height; ++row) {
        uint32_t* line = surface.pixels + row * surface.stride;
        std::fill(line, line + surface.width, white);
    }
}

namespace {

class NoWindowPlatform final : public FramePlatform {
public:
    Rect desktopRect() override { return {}; }
    Rect windowRect() override { return {}; }
    Rect clientRect() override { return {}; }
    Point clientOrigin() override { return {}; }
    uint32_t* createFrameBitmap(int32_t, int32_t) override { return nullptr; }
    void drawText(const FrameSurface&, int32_t, int32_t, std::string_view) override {}
    void presentFrame(const FrameSurface&) override {}
};

NoWindowPlatform noWindow;
FramePlatform* installedPlatform = &noWindow;

}  // namespace

FramePlatform& framePlatform() { return *installedPlatform; }

void setFramePlatform(FramePlatform* platform) { installedPlatform = platform ? platform : &noWindow; }
