#pragma once

#include <cstdint>
#include <vector>

#include "render/frame_platform.h"
#include "render/text_painter.h"

// A window that exists only in memory: a desktop of a given size, a window
// at (50, 50) without decorations, a frame buffer that starts white, and a
// copy of every presented frame. Text goes through the given painter, or
// nowhere.
class MemoryFramePlatform final : public FramePlatform {
public:
    MemoryFramePlatform(int32_t desktopWidth, int32_t desktopHeight, int32_t clientWidth, int32_t clientHeight,
                        TextPainter* textPainter = nullptr);

    void setClientSize(int32_t width, int32_t height);

    Rect desktopRect() override;
    Rect windowRect() override;
    Rect clientRect() override;
    Point clientOrigin() override;
    uint32_t* createFrameBitmap(int32_t width, int32_t height) override;
    void drawText(const FrameSurface& surface, int32_t x, int32_t y, std::string_view text) override;
    void presentFrame(const FrameSurface& frame) override;

    // The last presented frame: presentedWidth x presentedHeight pixels,
    // 0x00RRGGBB, top row first.
    const std::vector<uint32_t>& presented() const { return presented_; }
    int32_t presentedWidth() const { return presentedWidth_; }
    int32_t presentedHeight() const { return presentedHeight_; }
    int32_t presentCount() const { return presentCount_; }

private:
    static constexpr Point windowOrigin{50, 50};

    int32_t desktopWidth_;
    int32_t desktopHeight_;
    int32_t clientWidth_;
    int32_t clientHeight_;
    TextPainter* textPainter_;
    std::vector<uint32_t> bitmap_;
    std::vector<uint32_t> presented_;
    int32_t presentedWidth_ = 0;
    int32_t presentedHeight_ = 0;
    int32_t presentCount_ = 0;
};
