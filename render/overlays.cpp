#include "render/overlays.h"

#include <cinttypes>
#include <cstdio>

std::string_view idctLabel(int32_t idctIndex)
{
    switch (idctIndex) {
    case 0: return "D - FeigWinograd";
    case 1: return "D - AraiAguiNakajima";
    default: return "D - AraiAguiNakajima2";
    }
}

std::string_view idctName(int32_t idctIndex)
{
    constexpr std::string_view labelKey = "D - ";
    return idctLabel(idctIndex).substr(labelKey.size());
}

TextPosition helpLinePosition(size_t line) { return {10, 35 + helpLinePitch * static_cast<int32_t>(line)}; }

TextPosition subImagePosition(bool helpShown) { return {10, helpShown ? 255 : 55}; }

TextPosition infoLinePosition(size_t line, size_t count, int32_t clientHeight)
{
    const auto linesBelow = static_cast<int32_t>(count - line);
    return {10, clientHeight - 10 - helpLinePitch * linesBelow};
}

OverlayText formatSubImageText(int32_t subImageIndex, int32_t imageCount)
{
    OverlayText out;
    // Widened so that the one-based number cannot overflow.
    std::snprintf(out.text, sizeof out.text, "S-subimg  %" PRId64 "/%d     ", int64_t{subImageIndex} + 1, imageCount);
    return out;
}

OverlayText formatProbeText(uint32_t pixel)
{
    OverlayText out;
    std::snprintf(out.text, sizeof out.text, "RGB %d,%d,%d", static_cast<int>((pixel >> 16) & 0xFF),
                  static_cast<int>((pixel >> 8) & 0xFF), static_cast<int>(pixel & 0xFF));
    return out;
}

OverlayText formatFpsText(int32_t framesPerSecond)
{
    OverlayText out;
    std::snprintf(out.text, sizeof out.text, "FPS:  %d  ", framesPerSecond);
    return out;
}
