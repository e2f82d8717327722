#include "render/frame_platform.h"

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
