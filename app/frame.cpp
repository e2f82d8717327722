#include "app/frame.h"

#include <algorithm>
#include <cstring>

#include "app/info_line.h"
#include "app/interaction.h"
#include "app/viewer_state.h"
#include "base/tick_clock.h"
#include "jpeg/globals.h"
#include "render/frame_platform.h"
#include "render/geometry.h"
#include "render/overlays.h"
#include "render/resample.h"
#include "render/truncate.h"

namespace {

constexpr uint32_t blueMarker = 0x0000FA;
constexpr uint32_t redMarker = 0xFA0000;
constexpr int32_t markerHalfSize = 5;
constexpr int32_t fpsInterval = 2000;  // milliseconds between counter updates

int32_t extent(int32_t low, int32_t high)
{
    return static_cast<int32_t>(std::clamp<int64_t>(int64_t{high} - low, 0, INT32_MAX));
}

// Everything the buffer holds at the current stride. The stride follows the
// desktop's width while the buffer keeps the size it was made with, so rows
// are counted from the buffer's real size.
FrameSurface bufferSurface()
{
    const ViewerState& vs = *viewerState;
    if (!vs.framePixels || vs.frameStride <= 0)
        return {};
    const int64_t pixels = int64_t{vs.frameInfo.width} * -int64_t{vs.frameInfo.height};
    const int64_t rows = std::min<int64_t>(pixels / vs.frameStride, INT32_MAX);
    return {vs.framePixels, vs.frameStride, std::min(vs.frameInfo.width, vs.frameStride), static_cast<int32_t>(rows)};
}

FrameSurface cutTo(FrameSurface surface, int32_t width, int32_t height)
{
    surface.width = std::clamp(width, 0, surface.width);
    surface.height = std::clamp(height, 0, surface.height);
    return surface;
}

FrameSurface clientSurface() { return cutTo(bufferSurface(), viewerState->clientWidth, viewerState->clientHeight); }

// Fills columns [x0, x1) of rows [y0, y1), cut to the surface.
void fillBlock(const FrameSurface& surface, int64_t x0, int64_t y0, int64_t x1, int64_t y1, uint32_t colour)
{
    x0 = std::max<int64_t>(x0, 0);
    y0 = std::max<int64_t>(y0, 0);
    x1 = std::min<int64_t>(x1, surface.width);
    y1 = std::min<int64_t>(y1, surface.height);
    if (x0 >= x1)
        return;
    for (int64_t row = y0; row < y1; ++row) {
        uint32_t* line = surface.pixels + row * surface.stride;
        std::fill(line + x0, line + x1, colour);
    }
}

void drawFrameText(TextPosition at, std::string_view text)
{
    const FrameSurface surface = clientSurface();
    if (surface.pixels)
        framePlatform().drawText(surface, at.x, at.y, text);
}

// Drawn from the points as they stand before this frame's completion.
void drawMarkers()
{
    for (size_t i = 0; i < controlPoints.size(); ++i) {
        const ControlPoint& p = controlPoints[i];
        fillFrameRect(truncToInt(p.x + markerHalfSize), truncToInt(p.y + markerHalfSize),
                      truncToInt(p.x - markerHalfSize), truncToInt(p.y - markerHalfSize),
                      i == 2 ? redMarker : blueMarker);
    }
}

void drawPicture()
{
    completeParallelogram();
    buildSpanBreaks(viewerState->clientRect);
    const InverseMap map = computeInverseMap(filterIndex);
    rasterizePicture(map, clientSurface(), filterIndex, viewerState->render);
}

void drawHelp()
{
    for (size_t line = 0; line < helpLines.size(); ++line)
        drawFrameText(helpLinePosition(line), helpLines[line]);
    drawFrameText(idctLabelPosition, idctLabel(idctIndex));
}

// The composed pixel under the pointer, so the probe shows filtered colour
// and overlays; nothing is read outside the buffer.
void drawColourProbe()
{
    const FrameSurface buffer = bufferSurface();
    if (mouseX < 0 || mouseY < 0 || mouseX >= buffer.width || mouseY >= buffer.height)
        return;
    const uint32_t pixel = buffer.pixels[int64_t{mouseY} * buffer.stride + mouseX];
    drawFrameText(probePosition, formatProbeText(pixel).view());
}

void drawInfoLines()
{
    const InfoLines info = formatInfoLines();
    for (size_t line = 0; line < info.count; ++line)
        drawFrameText(infoLinePosition(line, info.count, viewerState->clientHeight), info.line[line].view());
}

void drawOverlays()
{
    if (showHelp)
        drawHelp();
    drawFrameText(subImagePosition(showHelp != 0), formatSubImageText(subImageIndex, imageCount).view());
    if (showInfo)
        drawInfoLines();
    if (showRgb)
        drawColourProbe();
}

// Frames are counted over a little more than two seconds and halved.
void countFrameForFps()
{
    ViewerState& vs = *viewerState;
    vs.frameCount += 1;
    const uint32_t now = tickClock().tickCount();
    if (static_cast<int32_t>(now - vs.fpsTick) <= fpsInterval)
        return;
    const OverlayText text = formatFpsText(vs.frameCount >> 1);
    std::memcpy(vs.fpsText, text.text, sizeof vs.fpsText);
    vs.frameCount = 0;
    vs.fpsTick = now;
}

}  // namespace

void createFrameBuffer()
{
    ViewerState& vs = *viewerState;
    vs.framePixels = nullptr;
    vs.frameInfo = FrameInfo{};
    vs.frameInfo.headerSize = 40;
    vs.frameInfo.width = vs.desktopWidth;
    vs.frameInfo.height = -vs.desktopHeight;  // top row first
    vs.frameInfo.planes = 1;
    vs.frameInfo.bitCount = 32;
    vs.frameInfo.compression = 0;  // uncompressed
    vs.frameInfo.xPixelsPerMetre = 5000;
    vs.frameInfo.yPixelsPerMetre = 5000;
    if (vs.desktopWidth > 0 && vs.desktopHeight > 0)
        vs.framePixels = framePlatform().createFrameBitmap(vs.desktopWidth, vs.desktopHeight);
    vs.frameStride = vs.desktopWidth;
}

void updateWindowGeometry()
{
    ViewerState& vs = *viewerState;
    FramePlatform& platform = framePlatform();
    vs.desktopRect = platform.desktopRect();
    vs.windowRect = platform.windowRect();
    vs.clientRect = platform.clientRect();
    vs.clientOrigin = platform.clientOrigin();
    vs.desktopWidth = extent(vs.desktopRect.left, vs.desktopRect.right);
    vs.desktopHeight = extent(vs.desktopRect.top, vs.desktopRect.bottom);
    vs.windowWidth = extent(vs.windowRect.left, vs.windowRect.right);
    vs.windowHeight = extent(vs.windowRect.top, vs.windowRect.bottom);
    vs.clientWidth = extent(vs.clientRect.left, vs.clientRect.right);
    vs.clientHeight = extent(vs.clientRect.top, vs.clientRect.bottom);
    vs.frameStride = vs.desktopWidth;
}

int32_t renderFrame()
{
    drawMarkers();
    drawPicture();
    drawOverlays();
    presentFrame();
    return 0;
}

void fillFrameRect(int32_t xa, int32_t ya, int32_t xb, int32_t yb, uint32_t colour)
{
    const FrameSurface surface = clientSurface();
    if (!surface.pixels)
        return;
    fillBlock(surface, std::min(xa, xb), std::min(ya, yb), int64_t{std::max(xa, xb)} + 1, int64_t{std::max(ya, yb)} + 1,
              colour);
}

void presentFrame()
{
    const ViewerState& vs = *viewerState;
    if (vs.showFps) {
        countFrameForFps();
        drawFrameText(fpsPosition, vs.fpsText);
    }
    const FrameSurface client = clientSurface();
    if (!client.pixels)
        return;
    framePlatform().presentFrame(client);
    // The next frame starts from white. The window's outer size normally
    // covers the client area; the larger of the two is cleared in case a
    // platform reports them the other way round.
    framePlatform().clearFrame(
        cutTo(bufferSurface(), std::max(vs.windowWidth, vs.clientWidth), std::max(vs.windowHeight, vs.clientHeight)));
}

void presentClearedFrame()
{
    const FrameSurface client = clientSurface();
    if (!client.pixels)
        return;
    framePlatform().clearFrame(client);
    framePlatform().presentFrame(client);
}
