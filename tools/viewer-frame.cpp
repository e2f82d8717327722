// Composes one viewer frame without a window and writes its client area
// (FILE is a JPEG, or a BMP when its extension starts with b or B):
//   viewer-frame [--client WxH] [--filter 0|1|2] [--idct fw|aan|aan2] [--image N]
//                [--points x1,y1,x2,y2,x3,y3,x4,y4] [--help 0|1] [--rgb 0|1] [--fps 0|1]
//                [--mouse X,Y] [--info 0|1] [--difference 0|1] --out FRAME.ppm FILE
// --info 1 draws the information lines (the I key); --difference 1 shows the
// difference view (the C key) in place of the picture.
// Point 3 is completed from points 1, 2 and 4 as in every frame.
// Exit status: 0 composed with the picture; 1 the file did not load (the
// frame is still written, without a picture) or the frame could not be
// written; 2 bad usage.
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/difference_view.h"
#include "app/frame.h"
#include "app/interaction.h"
#include "app/open_file.h"
#include "app/viewer_state.h"
#include "jpeg/globals.h"
#include "jpeg/output/picture.h"
#include "render/geometry.h"
#include "render/memory_platform.h"
#include "render/ppm_writer.h"
#ifdef VIEWER_HAS_TEXT
#include "platform/text_freetype.h"
#endif

namespace {

const char* const usageLine = "usage: viewer-frame [--client WxH] [--filter 0|1|2] [--idct fw|aan|aan2] [--image N]"
                              " [--points x1,y1,x2,y2,x3,y3,x4,y4] [--help 0|1] [--rgb 0|1] [--fps 0|1] [--mouse X,Y]"
                              " [--info 0|1] [--difference 0|1] --out FRAME.ppm FILE\n";

constexpr int32_t largestClientSide = 16384;

struct Options {
    int32_t clientWidth = 800;
    int32_t clientHeight = 600;
    int32_t filter = 0;
    int32_t family = 0;
    int32_t image = -1;
    std::array<ControlPoint, 4> points = startupControlPoints;
    int32_t help = 1;
    int32_t rgb = 1;
    int32_t fps = 0;
    int32_t info = 0;
    int32_t difference = 0;
    int32_t mouseX = 0;
    int32_t mouseY = 0;
    std::string out;
    std::string file;
};

// count finite numbers separated by one delimiter, nothing else.
std::optional<std::vector<double>> parseNumbers(const std::string& text, char delimiter, size_t count)
{
    std::vector<double> numbers;
    const char* at = text.c_str();
    while (numbers.size() < count) {
        char* end = nullptr;
        const double value = std::strtod(at, &end);
        if (end == at || !std::isfinite(value))
            return std::nullopt;
        numbers.push_back(value);
        const bool last = numbers.size() == count;
        if (last ? *end != '\0' : *end != delimiter)
            return std::nullopt;
        at = end + 1;
    }
    return numbers;
}

std::optional<int32_t> toInt(double value, int32_t low, int32_t high)
{
    if (value != std::trunc(value) || value < low || value > high)
        return std::nullopt;
    return static_cast<int32_t>(value);
}

std::optional<int32_t> parseInt(const std::string& text, int32_t low, int32_t high)
{
    const auto numbers = parseNumbers(text, ',', 1);
    return numbers ? toInt((*numbers)[0], low, high) : std::nullopt;
}

bool parseClient(const std::string& text, Options& options)
{
    const auto size = parseNumbers(text, 'x', 2);
    const auto width = size ? toInt((*size)[0], 1, largestClientSide) : std::nullopt;
    const auto height = size ? toInt((*size)[1], 1, largestClientSide) : std::nullopt;
    if (!width || !height)
        return false;
    options.clientWidth = *width;
    options.clientHeight = *height;
    return true;
}

bool parsePoints(const std::string& text, Options& options)
{
    const auto xy = parseNumbers(text, ',', 8);
    if (!xy)
        return false;
    for (size_t k = 0; k < 4; ++k)
        options.points[k] = {(*xy)[2 * k], (*xy)[2 * k + 1]};
    return true;
}

bool parseMouse(const std::string& text, Options& options)
{
    const auto xy = parseNumbers(text, ',', 2);
    const auto x = xy ? toInt((*xy)[0], INT32_MIN, INT32_MAX) : std::nullopt;
    const auto y = xy ? toInt((*xy)[1], INT32_MIN, INT32_MAX) : std::nullopt;
    if (!x || !y)
        return false;
    options.mouseX = *x;
    options.mouseY = *y;
    return true;
}

bool assign(std::optional<int32_t> value, int32_t& field)
{
    if (value)
        field = *value;
    return value.has_value();
}

bool parseOption(const std::string& name, const std::string& value, Options& options)
{
    if (name == "--client")
        return parseClient(value, options);
    if (name == "--filter")
        return assign(parseInt(value, 0, 2), options.filter);
    if (name == "--idct")
        return assign(idctFamilyNamed(value), options.family);
    if (name == "--image")
        return assign(parseInt(value, 0, INT32_MAX), options.image);
    if (name == "--points")
        return parsePoints(value, options);
    if (name == "--help")
        return assign(parseInt(value, 0, 1), options.help);
    if (name == "--rgb")
        return assign(parseInt(value, 0, 1), options.rgb);
    if (name == "--fps")
        return assign(parseInt(value, 0, 1), options.fps);
    if (name == "--mouse")
        return parseMouse(value, options);
    if (name == "--info")
        return assign(parseInt(value, 0, 1), options.info);
    if (name == "--difference")
        return assign(parseInt(value, 0, 1), options.difference);
    if (name == "--out") {
        options.out = value;
        return !value.empty();
    }
    return false;
}

std::optional<Options> parseArguments(const std::vector<std::string>& arguments)
{
    Options options;
    for (size_t i = 1; i < arguments.size(); ++i) {
        const std::string& arg = arguments[i];
        if (arg.rfind("--", 0) == 0) {
            if (i + 1 >= arguments.size() || !parseOption(arg, arguments[++i], options))
                return std::nullopt;
        } else if (options.file.empty()) {
            options.file = arg;
        } else {
            return std::nullopt;
        }
    }
    if (options.file.empty() || options.out.empty())
        return std::nullopt;
    return options;
}

std::unique_ptr<TextPainter> makeTextPainter()
{
#ifdef VIEWER_HAS_TEXT
    return createSystemTextPainter();
#else
    std::fputs("warning: built without text; overlays are not drawn\n", stderr);
    return nullptr;
#endif
}

// One frame on a window whose desktop is exactly the client area.
bool composeFrame(const Options& options)
{
    const std::unique_ptr<TextPainter> text = makeTextPainter();
    MemoryFramePlatform platform(options.clientWidth, options.clientHeight, options.clientWidth, options.clientHeight,
                                 text.get());
    setFramePlatform(&platform);
    resetViewerState();
    viewerState->showFps = options.fps;
    updateWindowGeometry();
    createFrameBuffer();
    controlPoints = options.points;
    point3Dragged = 0;
    filterIndex = options.filter;
    showHelp = options.help;
    showRgb = options.rgb;
    showInfo = options.info != 0;
    mouseX = options.mouseX;
    mouseY = options.mouseY;
    renderFrame();
    setFramePlatform(nullptr);
    return platform.presentCount() == 1 &&
           writePpm(options.out, platform.presented().data(), platform.presentedWidth(), platform.presentedHeight());
}

}  // namespace

int main(int argc, char** argv)
{
    const auto options = parseArguments(programArguments(argc, argv));
    if (!options) {
        std::fputs(usageLine, stderr);
        return 2;
    }
    idctIndex = options->family;
    imageCount = loadImageFile(options->file, options->image, Orientation::upright);
    if (options->difference)
        toggleDifferenceView();
    std::printf("\n");
    if (imageCount == 0) {
        std::fprintf(stderr, "viewer-frame: %s: %s\n", options->file.c_str(), explainFailedLoad(options->file).c_str());
        picture.clear();
    } else if (const std::string warning = loadWarning(options->file); !warning.empty()) {
        std::fprintf(stderr, "viewer-frame: %s: warning: %s\n", options->file.c_str(), warning.c_str());
    }
    if (!composeFrame(*options)) {
        std::fprintf(stderr, "viewer-frame: cannot write %s\n", options->out.c_str());
        return 1;
    }
    return imageCount == 0 ? 1 : 0;
}
