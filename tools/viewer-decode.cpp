// Decodes one file the way the viewer does and reports on it:
//   viewer-decode [--idct fw|aan|aan2] [--image N] [--info] [--out FILE.ppm] [--repeat N] [--threads N]
//                 [--upright] [--compare [--out-diff DIFF.ppm]] FILE
// --threads N lets the decode use N threads (one per core up to eight
// unless given); 1 keeps it on one thread, for comparison.
// --compare decodes with every inverse-DCT family and prints, for each, how
// far its samples are from the exact transform's (PSNR, largest error, mean
// error) and its median decode time over --repeat runs (5 unless given),
// split into stages. --out-diff writes the --idct family's difference from
// the exact transform, amplified, as the viewer's C key shows it.
// --upright turns the main picture as its EXIF Orientation tag asks, as the
// viewer shows it; otherwise it is written as the file stores it.
// Exit status: 0 decoded, 1 the file did not load, 2 bad usage.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/file_kinds.h"
#include "app/interaction.h"
#include "app/open_file.h"
#include "base/disk_file.h"
#include "jpeg/decode_choice.h"
#include "jpeg/decode_stages.h"
#include "jpeg/file/container.h"
#include "jpeg/file/image_description.h"
#include "jpeg/globals.h"
#include "jpeg/output/colour.h"
#include "jpeg/output/picture.h"
#include "jpeg/transform_comparison.h"

namespace {

const char* const usageLine =
    "usage: viewer-decode [--idct fw|aan|aan2] [--image N] [--info] [--out FILE.ppm] [--repeat N] [--threads N] "
    "[--upright] [--compare [--out-diff DIFF.ppm]] FILE\n";

// Decodes per family in --compare when --repeat does not say.
constexpr int compareRepeats = 5;
// More threads than this only wait for each other.
constexpr int maxThreads = 64;

struct Options {
    int32_t family = 0;
    int32_t image = -1;
    bool info = false;
    bool upright = false;
    bool compare = false;
    std::string out;
    std::string outDiff;
    int repeat = 0;
    int32_t threads = defaultDecodeThreads();
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
        } else if (arg == "--compare") {
            options.compare = true;
        } else if (arg == "--out-diff" && hasValue) {
            options.outDiff = arguments[++i];
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
            if (!threads || *threads > maxThreads)
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
    // --compare decodes with every family: a picture of one is --out-diff's.
    if (options.file.empty() || (!options.outDiff.empty() && !options.compare) ||
        (options.compare && !options.out.empty()))
        return std::nullopt;
    return options;
}

// One line per image (a frame and its scans); the main picture, the one
// shown by default, is marked.
void printInfo()
{
    for (int32_t n = 0; n < jpgFile.count; ++n) {
        const tjpgel& image = jpgFile.images[n];
        std::printf("image %d: %s, %dx%d, components", n, frameKindName(image), image.width, image.height);
        for (const ComponentSpec& c : image.component)
            if (c.hSampling > 0)
                std::printf(" %d:%dx%d", c.id, c.hSampling, c.vSampling);
        if (image.hasFrameHeader)
            std::printf(" (%s)", colourModelName(colourModelOf(image)));
        std::printf(", %d scan%s, restart interval %d%s\n", 1 + image.laterScanCount,
                    image.laterScanCount > 0 ? "s" : "", image.restartInterval,
                    n == jpgFile.mainImage ? ", main picture" : "");
    }
}

bool writePlanesAsPpm(const std::string& path, const pctr& picture)
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

Orientation orientationOf(const Options& options)
{
    return options.upright ? Orientation::upright : Orientation::stored;
}

int32_t loadOnce(const Options& options) { return loadImageFile(options.file, options.image, orientationOf(options)); }

struct TimedLoad {
    double milliseconds = 0;
    StageSplit stages;
};

// `count` loads with the family idctIndex selects, each timed; empty when one
// fails.
std::vector<TimedLoad> timedLoads(const Options& options, int count)
{
    std::vector<TimedLoad> loads;
    for (int n = 0; n < count; ++n) {
        const auto start = std::chrono::steady_clock::now();
        if (loadOnce(options) == 0)
            return {};
        const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
        loads.push_back({took.count(), lastStageSplit()});
    }
    return loads;
}

TimedLoad medianLoad(std::vector<TimedLoad> loads)
{
    const auto middle = loads.begin() + std::ptrdiff_t(loads.size() / 2);
    std::nth_element(loads.begin(), middle, loads.end(),
                     [](const TimedLoad& a, const TimedLoad& b) { return a.milliseconds < b.milliseconds; });
    return *middle;
}

int32_t loadRepeatedly(const Options& options)
{
    const std::vector<TimedLoad> loads = timedLoads(options, options.repeat);
    if (loads.empty())
        return 0;
    const double median = medianLoad(loads).milliseconds;
    const double megapixels = double(picture.width[0]) * picture.height[0] / 1e6;
    std::printf("\nmedian %.3f ms over %d decodes, %.1f megapixels/s\n", median, options.repeat,
                megapixels / (median / 1000.0));
    return jpgFile.count;
}

std::string psnrText(double psnr)
{
    char text[16];
    std::snprintf(text, sizeof text, std::isinf(psnr) ? "  inf dB" : "%5.1f dB", psnr);
    return text;
}

// The family's line of --compare; its difference picture into `difference`
// when one is asked for. Empty when the image does not decode.
std::string compareFamily(const Options& options, int32_t family, pctr* difference)
{
    idctIndex = family;
    const std::vector<TimedLoad> loads = timedLoads(options, options.repeat > 0 ? options.repeat : compareRepeats);
    const std::optional<SampleError> error =
        loads.empty() ? std::nullopt : compareWithExact(jpgFile, subImageIndex, family, difference);
    if (!error)
        return "";
    if (difference)
        turnUprightAsLoaded(*difference, orientationOf(options));
    const TimedLoad median = medianLoad(loads);
    char line[200];
    std::snprintf(line, sizeof line, "%-5s %s  max %d  mean %.2f  %.1f ms (%s)\n",
                  std::string(idctFamilyName(family)).c_str(), psnrText(error->psnr()).c_str(), error->largest,
                  error->mean(), median.milliseconds, describeStages(median.stages).text);
    return line;
}

// Every family against the exact transform, one line each once all have
// decoded. Returns the image count, 0 when the file does not load.
int32_t compareFamilies(const Options& options)
{
    pctr difference;
    std::string lines;
    for (int32_t family = 0; family < int32_t(idctFamilyNames.size()); ++family) {
        const bool wanted = family == options.family && !options.outDiff.empty();
        const std::string line = compareFamily(options, family, wanted ? &difference : nullptr);
        if (line.empty())
            return 0;
        lines += line;
    }
    std::printf("\n%s", lines.c_str());
    if (!options.outDiff.empty() && !writePlanesAsPpm(options.outDiff, difference)) {
        std::fprintf(stderr, "viewer-decode: cannot write %s\n", options.outDiff.c_str());
        return 0;
    }
    return jpgFile.count;
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
    viewerDecodeOptions().threads = options->threads;
    if (options->compare && !fileKindOf(options->file).transformCoded) {
        std::fprintf(stderr, "viewer-decode: %s: --compare takes a JPEG file\n", options->file.c_str());
        return 2;
    }
    const int32_t count = options->compare      ? compareFamilies(*options)
                          : options->repeat > 0 ? loadRepeatedly(*options)
                                                : loadOnce(*options);
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
    if (!options->out.empty() && !writePlanesAsPpm(options->out, picture)) {
        std::fprintf(stderr, "viewer-decode: cannot write %s\n", options->out.c_str());
        return 1;
    }
    return 0;
}
