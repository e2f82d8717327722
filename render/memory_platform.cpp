#include "render/memory_platform.h"

#include <algorithm>
#include <new>

namespace {
// A frame larger than this (1 GiB) is refused like a failed allocation.
constexpr int64_t maxFramePixels = int64_t{1} << 28;
constexpr uint32_t white = 0xFFFFFF;
}  // namespace

MemoryFramePlatform::MemoryFramePlatform(int32_t desktopWidth, int32_t desktopHeight, int32_t clientWidth,
                                         int32_t clientHeight, TextPainter* textPainter)
    : desktopWidth_(desktopWidth), desktopHeight_(desktopHeight), clientWidth_(clientWidth),
      clientHeight_(clientHeight), textPainter_(textPainter)
{
}

void MemoryFramePlatform::setClientSize(int32_t width, int32_t height)
{
    clientWidth_ = width;
    clientHeight_ = height;
}

Rect MemoryFramePlatform::desktopRect() { return {0, 0, desktopWidth_, desktopHeight_}; }

Rect MemoryFramePlatform::windowRect()
{
    return {windowOrigin.x, windowOrigin.y, windowOrigin.x + clientWidth_, windowOrigin.y + clientHeight_};
}

Rect MemoryFramePlatform::clientRect() { return {0, 0, clientWidth_, clientHeight_}; }

Point MemoryFramePlatform::clientOrigin() { return windowOrigin; }

// White from the start, so the first frame is composed on the same
// background as every later one.
uint32_t* MemoryFramePlatform::createFrameBitmap(int32_t width, int32_t height)
{
    bitmap_.clear();
    bitmap_.shrink_to_fit();
    const int64_t pixels = int64_t{width} * height;
    if (width <= 0 || height <= 0 || pixels > maxFramePixels)
        return nullptr;
    try {
        bitmap_.assign(static_cast<size_t>(pixels), white);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    return bitmap_.data();
}

void MemoryFramePlatform::drawText(const FrameSurface& surface, int32_t x, int32_t y, std::string_view text)
{
    if (textPainter_)
        textPainter_->drawText(surface, x, y, text);
}

void MemoryFramePlatform::presentFrame(const FrameSurface& frame)
{
    presentedWidth_ = frame.width;
    presentedHeight_ = frame.height;
    presented_.resize(static_cast<size_t>(int64_t{frame.width} * frame.height));
    for (int32_t row = 0; row < frame.height; ++row) {
        const uint32_t* line = frame.pixels + int64_t{row} * frame.stride;
        std::copy(line, line + frame.width, presented_.begin() + int64_t{row} * frame.width);
    }
    ++presentCount_;
}
