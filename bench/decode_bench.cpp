// Whole-file decode speed against libjpeg-turbo (accurate integer IDCT, no
// fancy upsampling, RGB out, greyscale files included; it uses SIMD), over a
// grid of files: a generated 12-megapixel landscape in 4:2:0, 4:2:2, 4:4:4
// and greyscale, at qualities 50, 75, 90 and 95, without and with restart
// markers, baseline and progressive; and a dark, smooth 5120x2880 wallpaper,
// where nearly every block is flat. Ours runs with each inverse-DCT family on
// one thread and on two. Every decoder starts from the file's bytes in
// memory. After the Google Benchmark table a summary gives the ratio of each
// of ours to libjpeg-turbo on the same file, measured in the same run.
//
// Each file is encoded the first time one of its benchmarks runs, so that
// --benchmark_filter also saves the encoding of the rows it leaves out.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <iostream>
#include <limits>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "jpeg/decode_choice.h"
#include "jpeg/decode_workspace.h"
#include "jpeg/driver.h"
#include "jpeg/file/container.h"
#include "jpeg/globals.h"
#include "jpeg/output/picture.h"
#include "libjpeg_rgb.h"
#include "support/memory_files.h"
#include "support/reference_codec.h"

namespace {

constexpr int photoWidth = 4000, photoHeight = 3000;
constexpr int darkWidth = 5120, darkHeight = 2880;
constexpr int restartMcus = 64;
constexpr int32_t familyCount = 3;
constexpr int32_t maxThreads = 2;
const char* const familyNames[familyCount] = {"fw", "aan", "aan2"};
const std::string libjpegName = "libjpeg_turbo";

const RgbImage& landscape()
{
    static const RgbImage image = makeLandscape(photoWidth, photoHeight, 2026);
    return image;
}

const RgbImage& noisyPlasma()
{
    static const RgbImage image = makeNoisyPlasma(photoWidth, photoHeight, 2026);
    return image;
}

const RgbImage& smoothDark()
{
    static const RgbImage image = makeSmoothDark(darkWidth, darkHeight);
    return image;
}

struct Row {
    std::string name;
    const RgbImage& (*picture)();
    int width, height;
    EncodeOptions options;

    double megapixels() const { return width * double(height) / 1e6; }
};

struct Layout {
    const char* name;
    Subsampling subsampling;
    bool greyscale;
};

// A row of the landscape, or of the noisy plasma when noisy; its name says
// which, and how it is encoded.
Row photoRow(const Layout& layout, int quality, bool restart, bool progressive, bool noisy = false)
{
    const std::string name = std::string(noisy ? "noisy_" : "") + layout.name + "_q" + std::to_string(quality) +
                             (restart ? "_rst" : "") + (progressive ? "_prog" : "");
    EncodeOptions options{.quality = quality,
                          .subsampling = layout.subsampling,
                          .restartInterval = restart ? restartMcus : 0,
                          .greyscale = layout.greyscale,
                          .progressive = progressive};
    return {name, noisy ? noisyPlasma : landscape, photoWidth, photoHeight, options};
}

const std::vector<Row>& rows()
{
    static const std::vector<Row> all = [] {
        const Layout layouts[] = {{"420", Subsampling::s420, false},
                                  {"422", Subsampling::s422, false},
                                  {"444", Subsampling::s444, false},
                                  {"grey", Subsampling::s444, true}};
        std::vector<Row> made;
        for (const Layout& layout : layouts)
            for (int quality : {50, 75, 90, 95})
                for (bool restart : {false, true})
                    for (bool progressive : {false, true})
                        made.push_back(photoRow(layout, quality, restart, progressive));
        made.push_back({"smooth_dark_q85", smoothDark, darkWidth, darkHeight, {.quality = 85}});
        // Noise in every block, at the bitrates where the landscape's
        // ratios were lowest.
        const Layout& s420 = layouts[0];
        for (int quality : {50, 75, 90})
            made.push_back(photoRow(s420, quality, false, false, true));
        made.push_back(photoRow(s420, 90, true, false, true));
        made.push_back(photoRow(layouts[1], 90, false, false, true));
        for (int quality : {75, 90})
            made.push_back(photoRow(layouts[2], quality, false, false, true));
        made.push_back(photoRow(layouts[3], 90, false, false, true));
        for (int quality : {75, 90})
            made.push_back(photoRow(s420, quality, false, true, true));
        made.push_back(photoRow(layouts[2], 90, false, true, true));
        return made;
    }();
    return all;
}

const std::vector<uint8_t>& encoded(const Row& row)
{
    static std::map<std::string, std::vector<uint8_t>> cache;
    auto [entry, fresh] = cache.try_emplace(row.name);
    if (fresh)
        entry->second = encodeJpeg(row.picture(), row.options);
    return entry->second;
}

void decodeOurs(benchmark::State& state, const Row& row, int32_t family, int32_t threads)
{
    MemoryFiles memory;
    memory.add("bench.jpg", encoded(row));
    idctIndex = family;
    DecodeWorkspace workspace;
    const DecodeOptions options{.threads = threads, .workspace = &workspace};
    const auto decode = [&options] {
        subImageIndex = -1;
        jpgFile.parseFile("bench.jpg");
        return jpgFile.error == 0 && decodeImage(0, options) != 0;
    };
    // Untimed: the first decode of a process faults its buffers in, which
    // cold_decode measures; with a few slow decodes per benchmark it would
    // count against whichever decoder comes first.
    decode();
    for (auto _ : state) {
        if (!decode())
            state.SkipWithError("decode failed");
        benchmark::DoNotOptimize(picture.plane[0].get());
    }
}

void decodeLibjpeg(benchmark::State& state, const Row& row)
{
    const std::vector<uint8_t>& file = encoded(row);
    std::vector<uint8_t> rgb(size_t(row.width) * row.height * 3);
    for (auto _ : state) {
        decodeRgbWithLibjpeg(file.data(), file.size(), [&](uint32_t, uint32_t) { return rgb.data(); });
        benchmark::DoNotOptimize(rgb.data());
    }
}

std::string threadsSuffix(int32_t threads) { return threads == 1 ? "_1thread" : "_2threads"; }

std::string oursName(int32_t family, int32_t threads) { return familyNames[family] + threadsSuffix(threads); }

std::string benchmarkName(const std::string& decoder, const Row& row) { return decoder + "/" + row.name; }

void configure(benchmark::internal::Benchmark* benchmark) { benchmark->Unit(benchmark::kMillisecond)->UseRealTime(); }

// Ours on one thread and on two, then the reference.
void registerRow(const Row& row)
{
    for (int32_t threads = 1; threads <= maxThreads; ++threads)
        for (int32_t family = 0; family < familyCount; ++family)
            configure(benchmark::RegisterBenchmark(
                benchmarkName(oursName(family, threads), row).c_str(),
                [&row, family, threads](benchmark::State& s) { decodeOurs(s, row, family, threads); }));
    configure(benchmark::RegisterBenchmark(benchmarkName(libjpegName, row).c_str(),
                                           [&row](benchmark::State& s) { decodeLibjpeg(s, row); }));
}

// Collects each benchmark's time per decode for the summary: the median
// over repetitions when there are several, else the one measurement. A
// decode that failed has none.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    // Colours only on a terminal, as the library's own reporter chooses.
    RatioReporter() : ConsoleReporter(isatty(STDERR_FILENO) ? OO_Defaults : OO_None) {}

    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs)
            record(run);
    }

    std::optional<double> seconds(const std::string& name) const
    {
        const auto it = measured_.find(name);
        if (it == measured_.end())
            return std::nullopt;
        return it->second.median ? it->second.median : it->second.iteration;
    }

private:
    struct Measured {
        std::optional<double> median, iteration;
    };

    void record(const Run& run)
    {
        if (run.error_occurred || run.iterations == 0)
            return;
        const double perDecode = run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
        Measured& measured = measured_[run.run_name.function_name];
        if (run.run_type == Run::RT_Iteration)
            measured.iteration = perDecode;
        else if (run.aggregate_name == "median")
            measured.median = perDecode;
    }

    std::map<std::string, Measured> measured_;
};

// libjpeg-turbo's time over ours, per thread count and family, for one row;
// above 1 ours is faster.
struct RowRatios {
    const Row* row;
    std::optional<double> libjpegSeconds;
    std::optional<double> ratio[maxThreads][familyCount];

    bool measured() const { return libjpegSeconds.has_value(); }
};

RowRatios ratiosOf(const RatioReporter& reporter, const Row& row)
{
    RowRatios ratios{&row, reporter.seconds(benchmarkName(libjpegName, row)), {}};
    for (int32_t threads = 1; threads <= maxThreads; ++threads)
        for (int32_t family = 0; family < familyCount; ++family) {
            const auto ours = reporter.seconds(benchmarkName(oursName(family, threads), row));
            if (ours && ratios.libjpegSeconds)
                ratios.ratio[threads - 1][family] = *ratios.libjpegSeconds / *ours;
        }
    return ratios;
}

std::optional<int32_t> bestFamily(const RowRatios& ratios, int32_t threads)
{
    std::optional<int32_t> best;
    for (int32_t family = 0; family < familyCount; ++family) {
        const auto& ratio = ratios.ratio[threads - 1][family];
        if (ratio && (!best || *ratio > *ratios.ratio[threads - 1][*best]))
            best = family;
    }
    return best;
}

void printRatio(const std::optional<double>& ratio)
{
    if (ratio)
        std::fprintf(stderr, " %8.2f", *ratio);
    else
        std::fprintf(stderr, " %8s", "-");
}

void printBest(const RowRatios& ratios, int32_t threads)
{
    if (const auto family = bestFamily(ratios, threads))
        std::fprintf(stderr, " %5s %5.2f", familyNames[*family], *ratios.ratio[threads - 1][*family]);
    else
        std::fprintf(stderr, " %11s", "-");
}

void printTableHeader()
{
    std::fprintf(stderr,
                 "\nRatio to libjpeg-turbo: its wall-clock time per decode over ours; above 1 ours is faster\n"
                 "%-18s %10s",
                 "row", "libjpeg ms");
    for (int32_t threads = 1; threads <= maxThreads; ++threads)
        for (int32_t family = 0; family < familyCount; ++family)
            std::fprintf(stderr, " %8s", (familyNames[family] + std::string(threads == 1 ? "_1t" : "_2t")).c_str());
    std::fprintf(stderr, " %11s %11s\n", "best_1t", "best_2t");
}

void printRowLine(const RowRatios& ratios)
{
    std::fprintf(stderr, "%-18s %10.1f", ratios.row->name.c_str(), *ratios.libjpegSeconds * 1e3);
    for (const auto& byFamily : ratios.ratio)
        for (const auto& ratio : byFamily)
            printRatio(ratio);
    for (int32_t threads = 1; threads <= maxThreads; ++threads)
        printBest(ratios, threads);
    std::fprintf(stderr, "\n");
}

// The lowest ratio seen, and which family on which row gave it.
struct Worst {
    double ratio = std::numeric_limits<double>::infinity();
    std::string where;

    void consider(const RowRatios& ratios, int32_t threads, int32_t family)
    {
        const auto& candidate = ratios.ratio[threads - 1][family];
        if (candidate && *candidate < ratio) {
            ratio = *candidate;
            where = std::string(familyNames[family]) + " on " + ratios.row->name;
        }
    }
};

// The family whose one-thread ratios have the highest geometric mean over
// the rows measured.
std::optional<int32_t> fastestFamilyOnOneThread(const std::vector<RowRatios>& measured)
{
    std::optional<int32_t> fastest;
    double fastestLogSum = 0;
    for (int32_t family = 0; family < familyCount; ++family) {
        double logSum = 0;
        size_t count = 0;
        for (const RowRatios& ratios : measured)
            if (const auto& ratio = ratios.ratio[0][family]) {
                logSum += std::log(*ratio);
                ++count;
            }
        if (count > 0 && (!fastest || logSum / count > fastestLogSum)) {
            fastest = family;
            fastestLogSum = logSum / count;
        }
    }
    return fastest;
}

void printWorst(const char* what, const Worst& worst)
{
    if (worst.where.empty())
        std::fprintf(stderr, "%s: none measured\n", what);
    else
        std::fprintf(stderr, "%s: %.2f, %s\n", what, worst.ratio, worst.where.c_str());
}

Worst worstOfFamily(const std::vector<RowRatios>& measured, int32_t threads, int32_t family)
{
    Worst worst;
    for (const RowRatios& ratios : measured)
        worst.consider(ratios, threads, family);
    return worst;
}

// The worst of any family over the rows the predicate keeps.
template <class Keep>
Worst worstOfAnyFamily(const std::vector<RowRatios>& measured, int32_t threads, Keep keep)
{
    Worst worst;
    for (const RowRatios& ratios : measured)
        if (keep(*ratios.row))
            for (int32_t family = 0; family < familyCount; ++family)
                worst.consider(ratios, threads, family);
    return worst;
}

void printWorstLines(const std::vector<RowRatios>& measured)
{
    std::fprintf(stderr, "\n");
    if (const auto fastest = fastestFamilyOnOneThread(measured)) {
        const std::string what = std::string("worst ratio of the fastest family on 1 thread (") +
                                 familyNames[*fastest] + ", by geometric mean)";
        printWorst(what.c_str(), worstOfFamily(measured, 1, *fastest));
    }
    const auto everyRow = [](const Row&) { return true; };
    printWorst("worst 1-thread ratio of any family", worstOfAnyFamily(measured, 1, everyRow));
    printWorst("worst 2-thread ratio of any family on rows of 4 MP or more",
               worstOfAnyFamily(measured, 2, [](const Row& row) { return row.megapixels() >= 4.0; }));
    printWorst("worst 1-thread ratio of any family on progressive rows",
               worstOfAnyFamily(measured, 1, [](const Row& row) { return row.options.progressive; }));
}

void printSummary(const RatioReporter& reporter)
{
    std::vector<RowRatios> measured;
    for (const Row& row : rows())
        if (RowRatios ratios = ratiosOf(reporter, row); ratios.measured())
            measured.push_back(ratios);
    printTableHeader();
    for (const RowRatios& ratios : measured)
        printRowLine(ratios);
    printWorstLines(measured);
}

// A minimum time per benchmark short enough for the whole grid to run in a
// few minutes; a decode takes tens to hundreds of milliseconds, so each
// still averages several. Put first, so that a --benchmark_min_time on the
// command line, read later, overrides it.
std::vector<char*> withShortMinTime(int argc, char** argv)
{
    static char shortMinTime[] = "--benchmark_min_time=0.3";
    std::vector<char*> arguments(argv, argv + argc);
    arguments.insert(arguments.begin() + 1, shortMinTime);
    arguments.push_back(nullptr);
    return arguments;
}

}  // namespace

int main(int argc, char** argv)
{
    std::vector<char*> arguments = withShortMinTime(argc, argv);
    int count = argc + 1;
    benchmark::Initialize(&count, arguments.data());
    for (const Row& row : rows())
        registerRow(row);
    // The decoder prints a load-time line per decode on standard output;
    // the tables go to standard error instead.
    if (!std::freopen("/dev/null", "w", stdout))
        return 1;
    RatioReporter reporter;
    reporter.SetOutputStream(&std::cerr);
    reporter.SetErrorStream(&std::cerr);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    printSummary(reporter);
    benchmark::Shutdown();
}
