#include "harness/harness.h"

#include "harness/fuzz_input.h"

#include <array>
#include <limits>

#include "app/frame.h"
#include "app/interaction.h"
#include "app/viewer_state.h"
#include "jpeg/globals.h"
#include "jpeg/output/picture.h"
#include "render/geometry.h"
#include "render/memory_platform.h"
#include "support/render_text_double.h"

namespace {

constexpr std::array<double, 14> extremeValues{
    0.0,          -0.0,          1e-300, -1e-300, 4.9e-324, 0.5,   -0.5,
    2147483647.0, -2147483649.0, 9.3e18, -9.3e18, 1e154,    1e300, -std::numeric_limits<double>::max()};

// Coordinates, lengths and factors: mostly screen-sized, sometimes anything
// a double can hold (never NaN or infinite).
double pickValue(FuzzInput& input)
{
    switch (input.inRange(0, 3)) {
    case 0: return input.inRange(-2000, 2000);
    case 1: return input.realInRange(-5000.0, 5000.0);
    case 2: return input.pick(extremeValues);
    default: return input.finiteReal();
    }
}

void makePicture(FuzzInput& input)
{
    const int32_t width = input.inRange(0, 48);
    const int32_t height = input.inRange(0, 48);
    picture.allocate(width, height);
    const auto seed = input.integral<uint8_t>();
    for (int k = 0; k < 3; ++k)
        for (int32_t s = 0; s < picture.size[k]; ++s)
            picture.plane[k][s] = static_cast<uint8_t>(s * (k + 1) + seed);
    picture.colourState = 0;
}

void setSwitches(FuzzInput& input)
{
    filterIndex = input.inRange(-1, 3);
    showHelp = input.flag();
    showRgb = input.flag();
    viewerState->showFps = input.flag();
    idctIndex = input.integral<int32_t>();
    subImageIndex = input.integral<int32_t>();
    imageCount = input.integral<int32_t>();
    mouseX = input.integral<int32_t>();
    mouseY = input.integral<int32_t>();
    point3Dragged = input.flag();
}

void applyEdit(FuzzInput& input, MemoryFramePlatform& platform)
{
    switch (input.inRange(0, 8)) {
    case 0: rotateView(pickValue(input), pickValue(input), pickValue(input)); break;
    case 1: zoomView(pickValue(input), pickValue(input), pickValue(input)); break;
    case 2: panView(pickValue(input), pickValue(input)); break;
    case 3: moveControlPoint(input.inRange(0, 5), pickValue(input), pickValue(input)); break;
    case 4: hitTestControlPoint(pickValue(input), pickValue(input)); break;
    case 5: filterIndex = input.inRange(-1, 3); break;
    case 6:
        platform.setClientSize(input.inRange(-64, 4096), input.inRange(-64, 4096));
        updateWindowGeometry();
        break;
    case 7: controlPoints[input.inRange(0, 3)] = {pickValue(input), pickValue(input)}; break;
    default: renderFrame(); break;
    }
}

}  // namespace

void runViewInput(const uint8_t* data, size_t size)
{
    FuzzInput input(data, size);
    BlockTextPainter text;
    MemoryFramePlatform platform(input.inRange(0, 320), input.inRange(0, 240), input.inRange(-64, 400),
                                 input.inRange(-64, 300), &text);
    resetViewerState();
    resetInteraction();
    setFramePlatform(&platform);
    updateWindowGeometry();
    createFrameBuffer();
    makePicture(input);
    setSwitches(input);
    for (ControlPoint& point : controlPoints)
        point = {pickValue(input), pickValue(input)};
    for (int step = 0; step < 24 && input.remaining() > 0; ++step)
        applyEdit(input, platform);
    renderFrame();
    setFramePlatform(nullptr);
    picture.clear();
    resetViewerState();
    resetInteraction();
}
