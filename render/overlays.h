#pragma once

#include <array>
#include <cstdint>
#include <string_view>

// The texts drawn over the picture and where they go, in client pixels.

inline constexpr std::array<std::string_view, 10> helpLines{
    "F1 - open file",      "1 - toggle this text",     "F - show FPS",
    "B - three filters",   "Click & mousemove - pane", "Click & mousemove on blue point",
    "Mousewheel - rotate", "Ctrl & Mousewheel - zoom", "Check console window for load times",
    "R - Show RGB",
};

// The inverse transform the next decode uses; anything but 0 and 1 is the
// second AAN form.
std::string_view idctLabel(int32_t idctIndex);
// The family's name alone, as the label gives it after "D - ".
std::string_view idctName(int32_t idctIndex);

struct TextPosition {
    int32_t x;
    int32_t y;
};

inline constexpr TextPosition fpsPosition{10, 10};
inline constexpr TextPosition probePosition{210, 10};
inline constexpr int32_t helpLinePitch = 20;
TextPosition helpLinePosition(size_t line);  // line 0..9
inline constexpr TextPosition idctLabelPosition{10, 235};
TextPosition subImagePosition(bool helpShown);
// Line `line` of `count` information lines, which end 10 pixels above the
// bottom of the client area, clear of the overlays at the top.
TextPosition infoLinePosition(size_t line, size_t count, int32_t clientHeight);

// Fixed-size text, formatted without allocating.
struct OverlayText {
    char text[40] = {};
    std::string_view view() const { return text; }
};

OverlayText formatSubImageText(int32_t subImageIndex, int32_t imageCount);
OverlayText formatProbeText(uint32_t pixel);
OverlayText formatFpsText(int32_t framesPerSecond);
