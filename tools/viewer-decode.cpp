// Decodes one file the way the viewer does and reports on it:
//   viewer-decode [--idct fw|aan|aan2] [--image N] [--info] [--out FILE.ppm] [--repeat N] [--threads 1|2]
//                 [--upright] FILE
// --threads 1 keeps the whole decode on one thread, for comparison.
// --upright turns the main picture as its EXIF Orientation tag asks, as the
// viewer shows it; otherwise it is written as the file stores it.
// Exit status: 0 decoded, 1 the file did not load, 2 bad usage.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/file_kinds.h"
#include "app/interaction.h"
#include "app/open_file.h"
#include "jpeg/colour.h"
#include "jpeg/container.h"
#include "jpeg/disk_file.h"
#include "jpeg/mcu_loop.h"
#include "jpeg/picture.h"

namespace {

const char* const usageLine =
    "usage: viewer-decode [--idct fw|aan|aan2] [--image N] [--info] [--out FILE.ppm] [--repeat N] [--threads 1|2] "
    "[--upright] FILE\n";

struct Options {
    int32_t family = 0;
    int32_t image = -1;
    bool info = false;
    bool upright = false;
    std::string out;
    int repeat = 0;
    int32_t threads = decodeThreads;
    std::string file;
};

std::optional<int> parseCount(const std::string& text, int minimum)
{
    char* end = nullptr;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || value < minimum || value > 1000000)
        return std::nullopt;
    return static_cast<int>(value);
}

std::optional<Options> parseArguments(const std::vector<std::string>& arguments)
{
    Options options;
    for (size_t i = 1; i < arguments.size(); ++i) {
        const std::string& arg = arguments[i];
        const bool hasValue = i + 1 < arguments.size();
        if (arg == "--info") {
            options.info = true;
        } else if (arg == "--upright") {
            options.upright = true;
        } else if (arg == "--idct" && hasValue) {
            const auto family = idctFamilyNamed(arguments[++i]);
            if (!family)
                return std::nullopt;
            options.family = *family;
        } else if (arg == "--image" && hasValue) {
            const auto image = parseCount(arguments[++i], 0);
            if (!image)
                return std::nullopt;
            options.image = *image;
        } else if (arg == "--repeat" && hasValue) {
            const auto repeat = parseCount(arguments[++i], 1);
            if (!repeat)
                return std::nullopt;
            options.repeat = *repeat;
        } else if (arg == "--threads" && hasValue) {
            const auto threads = parseCount(arguments[++i], 1);
            if (!threads || *threads > 2)
                return std::nullopt;
            options.threads = *threads;
        } else if (arg == "--out" && hasValue) {
            options.out = arguments[++i];
        } else if (arg.rfind("--", 0) == 0 || !options.file.empty()) {
            return std::nullopt;
        } else {
            options.file = arg;
        }
    }
    if (options.file.empty())
        return std::nullopt;
    return options;
}

const char* frameKind(const tjpgel& image)
{
    if (!image.hasFrameHeader)
        return image.frameMarker != 0 ? "unsupported frame" : "no frame header";
    switch (image.frameMarker) {
    case 0xC1: return "extended";
    case 0xC2: return "progressive";
    default: return "baseline";
    }
}

const char* colourName(ColourModel model)
{
    switch (model) {
    case ColourModel::grey: return "grey";
    case ColourModel::ycbcr: return "YCbCr";
    case ColourModel::rgb: return "RGB";
    case ColourModel::cmyk: return "CMYK";
    case ColourModel::invertedCmyk: return "CMYK, inverted";
    case ColourModel::ycck: return "YCCK";
    case ColourModel::unknown: break;
    }
    return "unknown colours";
}

// One line per image (a frame and its scans); the main picture, the one
// shown by default, is marked.
void printInfo()
{
    for (int32_t n = 0; n < jpgFile.count; ++n) {
        const tjpgel& image = jpgFile.images[n];
        std::printf("image %d: %s, %dx%d, components", n, frameKind(image), image.width, image.height);
        for (const ComponentSpec& c : image.component)
            if (c.hSampling > 0)
                std::printf(" %d:%dx%d", c.id, c.hSampling, c.vSampling);
        if (image.hasFrameHeader)
            std::printf(" (%s)", colourName(colourModelOf(image)));
        std::printf(", %d scan%s, restart interval %d%s\n", 1 + image.laterScanCount,
                    image.laterScanCount > 0 ? "s" : "", image.restartInterval,
                    n == jpgFile.mainImage ? ", main picture" : "");
    }
}

bool writePlanesAsPpm(const std::string& path)
{
    FILE* file = createDiskFile(path);
    if (!file)
        return false;
    std::fprintf(file, "P6\n%d %d\n255\n", picture.width[0], picture.height[0]);
    std::vector<uint8_t> row(size_t(picture.width[0]) * 3);
    for (int32_t y = 0; y < picture.height[0]; ++y) {
        const size_t start = size_t(y) * picture.width[0];
        for (size_t x = 0; x < size_t(picture.width[0]); ++x)
            for (int k = 0; k < 3; ++k)
                row[x * 3 + k] = picture.plane[k][start + x];
        std::fwrite(row.data(), 1, row.size(), file);
    }
    return std::fclose(file) == 0;
}

int32_t loadOnce(const Options& options)
{
    return loadImageFile(options.file, options.image, options.upright ? Orientation::upright : Orientation::stored);
}

int32_t loadRepeatedly(const Options& options)
{
    std::vector<double> millis;
    int32_t count = 0;
    for (int n = 0; n < options.repeat; ++n) {
        const auto start = std::chrono::steady_clock::now();
        count = loadOnce(options);
        millis.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
        if (count == 0)
            return 0;
    }
    std::sort(millis.begin(), millis.end());
    const double median = millis[millis.size() / 2];
    const double megapixels = double(picture.width[0]) * picture.height[0] / 1e6;
    std::printf("\nmedian %.3f ms over %d decodes, %.1f megapixels/s\n", median, options.repeat,
                megapixels / (median / 1000.0));
    return count;
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
    decodeThreads = options->threads;
    const int32_t count = options->repeat > 0 ? loadRepeatedly(*options) : loadOnce(*options);
    if (options->info && jpgFile.error == 0 && fileKindOf(options->file).holdsSeveralImages) {
        std::printf("\n");
        printInfo();
    }
    if (count == 0) {
        std::fprintf(stderr, "viewer-decode: %s: %s\n", options->file.c_str(),
                     explainFailedLoad(options->file).c_str());
        return 1;
    }
    if (const std::string warning = loadWarning(options->file); !warning.empty())
        std::fprintf(stderr, "viewer-decode: %s: warning: %s\n", options->file.c_str(), warning.c_str());
    std::printf("\n");
    if (!options->out.empty() && !writePlanesAsPpm(options->out)) {
        std::fprintf(stderr, "viewer-decode: cannot write %s\n", options->out.c_str());
        return 1;
    }
    return 0;
}
