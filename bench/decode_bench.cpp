// Whole-file decode speed against the field: ours (each inverse-DCT family)
// beside libjpeg-turbo (accurate integer IDCT, no fancy upsampling, RGB out,
// greyscale files included; it uses SIMD) and stb_image, on generated
// 12-megapixel photographs, baseline, progressive and greyscale. Every
// decoder starts from the file's bytes in memory. After the Google Benchmark
// table a summary gives megapixels per second and the ratio of each decoder
// to libjpeg-turbo on the same file, measured in the same run.
#include <benchmark/benchmark.h>

#include <jpeglib.h>

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <map>
#include <string>
#include <vector>

#define STBI_NO_STDIO
#include <stb/stb_image.h>

#include "app/interaction.h"
#include "jpeg/container.h"
#include "jpeg/driver.h"
#include "jpeg/mcu_loop.h"
#include "jpeg/picture.h"
#include "support/memory_files.h"
#include "support/reference_codec.h"

namespace {

constexpr int width = 4000, height = 3000;

struct BenchFile {
    std::string name;
    EncodeOptions options;
    std::vector<uint8_t> bytes;
};

std::vector<BenchFile>& files()
{
    static std::vector<BenchFile> all = [] {
        std::vector<BenchFile> made = {
            {"420_q90", {90, Subsampling::s420, 0, false}, {}},
            {"420_q75", {75, Subsampling::s420, 0, false}, {}},
            {"422_q90", {90, Subsampling::s422, 0, false}, {}},
            {"444_q90", {90, Subsampling::s444, 0, false}, {}},
            {"444_q75", {75, Subsampling::s444, 0, false}, {}},
            {"420_q90_rst", {90, Subsampling::s420, 64, false}, {}},
            // 4:2:0 in libjpeg's own progression, as cjpeg -progressive writes it.
            {"prog_q90", {.quality = 90, .progressive = true}, {}},
            {"prog_q75", {.quality = 75, .progressive = true}, {}},
            {"grey_q90", {.quality = 90, .greyscale = true}, {}},
            {"grey_q75", {.quality = 75, .greyscale = true}, {}},
        };
        const RgbImage photo = makePhotoLike(width, height, 2026);
        for (BenchFile& file : made)
            file.bytes = encodeJpeg(photo, file.options);
        return made;
    }();
    return all;
}

void decodeOurs(benchmark::State& state, const BenchFile& file, int32_t family, int32_t threads)
{
    MemoryFiles memory;
    memory.add("bench.jpg", file.bytes);
    idctIndex = family;
    decodeThreads = threads;
    for (auto _ : state) {
        subImageIndex = -1;
        jpgFile.parseFile("bench.jpg");
        if (jpgFile.error != 0 || decodeImage(0) == 0)
            state.SkipWithError("decode failed");
        benchmark::DoNotOptimize(picture.plane[0].get());
    }
}

void decodeLibjpeg(benchmark::State& state, const BenchFile& file)
{
    std::vector<uint8_t> rgb(size_t(width) * height * 3);
    for (auto _ : state) {
        jpeg_decompress_struct info{};
        jpeg_error_mgr errors{};
        info.err = jpeg_std_error(&errors);
        jpeg_create_decompress(&info);
        jpeg_mem_src(&info, file.bytes.data(), static_cast<unsigned long>(file.bytes.size()));
        jpeg_read_header(&info, TRUE);
        info.dct_method = JDCT_ISLOW;
        info.do_fancy_upsampling = FALSE;
        info.out_color_space = JCS_RGB;
        jpeg_start_decompress(&info);
        while (info.output_scanline < info.output_height) {
            JSAMPROW row = &rgb[size_t(info.output_scanline) * width * 3];
            jpeg_read_scanlines(&info, &row, 1);
        }
        jpeg_finish_decompress(&info);
        jpeg_destroy_decompress(&info);
        benchmark::DoNotOptimize(rgb.data());
    }
}

void decodeStb(benchmark::State& state, const BenchFile& file)
{
    for (auto _ : state) {
        int w = 0, h = 0, n = 0;
        uint8_t* rgb = stbi_load_from_memory(file.bytes.data(), static_cast<int>(file.bytes.size()), &w, &h, &n, 3);
        benchmark::DoNotOptimize(rgb);
        stbi_image_free(rgb);
    }
}

// Collects each benchmark's time per decode for the ratio summary; a decode
// that failed has none, and shows as "-".
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Iteration && run.iterations > 0 && !run.error_occurred)
                seconds[run.run_name.function_name] =
                    run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
    }
    std::map<std::string, double> seconds;
};

// Ours on one thread and on two, then the references.
const char* const decoders[] = {"fw_1thread",   "aan_1thread",   "aan2_1thread",  "fw_2threads",
                                "aan_2threads", "aan2_2threads", "libjpeg_turbo", "stb_image"};

void registerAll()
{
    for (const BenchFile& file : files()) {
        const BenchFile* f = &file;
        for (int32_t threads = 1; threads <= 2; ++threads)
            for (int32_t family = 0; family < 3; ++family)
                benchmark::RegisterBenchmark(
                    (std::string(decoders[(threads - 1) * 3 + family]) + "/" + file.name).c_str(),
                    [f, family, threads](benchmark::State& s) { decodeOurs(s, *f, family, threads); })
                    ->Unit(benchmark::kMillisecond)
                    ->UseRealTime();
        benchmark::RegisterBenchmark(("libjpeg_turbo/" + file.name).c_str(),
                                     [f](benchmark::State& s) { decodeLibjpeg(s, *f); })
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
        benchmark::RegisterBenchmark(("stb_image/" + file.name).c_str(), [f](benchmark::State& s) { decodeStb(s, *f); })
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
    }
}

void printSummary(const RatioReporter& reporter)
{
    std::fprintf(stderr, "\nMP/s and ratio to libjpeg-turbo (wall-clock time per decode)\n%-12s", "file");
    for (const char* decoder : decoders)
        std::fprintf(stderr, " %20s", decoder);
    std::fprintf(stderr, "\n");
    for (const BenchFile& file : files()) {
        std::fprintf(stderr, "%-12s", file.name.c_str());
        const auto reference = reporter.seconds.find("libjpeg_turbo/" + file.name);
        for (const char* decoder : decoders) {
            const auto it = reporter.seconds.find(std::string(decoder) + "/" + file.name);
            if (it == reporter.seconds.end() || reference == reporter.seconds.end()) {
                std::fprintf(stderr, " %20s", "-");
                continue;
            }
            const double mps = width * double(height) / 1e6 / it->second;
            std::fprintf(stderr, " %8.1f MP/s %5.2fx", mps, reference->second / it->second);
        }
        std::fprintf(stderr, "\n");
    }
}

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    registerAll();
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
