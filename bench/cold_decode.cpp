// What opening a picture costs: the first decode in a fresh process, with
// nothing allocated, built or started beforehand. Each measurement is a new
// child process that decodes one file from the disk once: ours as the
// viewer does it (parseFile and decodeImage) with each inverse-DCT family
// on one thread and on two, timed from just before the file is opened to
// the decoded planes; and libjpeg-turbo (accurate integer IDCT, no fancy
// upsampling, RGB out), timed from reading the file into memory to its last
// scanline in a freshly allocated buffer. The files are a generated
// 12-megapixel landscape at qualities 90 and 75 (4:2:0) and a dark, smooth
// 5120x2880 wallpaper at 85, written to a temporary folder and read once
// beforehand so that every child finds them in the page cache. Each kind
// runs seven times, the kinds taking turns; the table gives the medians.
//
//   cold_decode                                  the comparison
//   cold_decode --child DECODER THREADS FILE     one decode; DECODER is fw, aan, aan2 or libjpeg.
//                                                Writes its milliseconds to descriptor 3.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "base/file_reader.h"
#include "jpeg/decode_choice.h"
#include "jpeg/driver.h"
#include "jpeg/file/container.h"
#include "jpeg/globals.h"
#include "libjpeg_rgb.h"
#include "support/reference_codec.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int reportFd = 3;
constexpr int runsPerKind = 7;
const char* const libjpegName = "libjpeg";
const char* const familyNames[] = {"fw", "aan", "aan2"};

double millisecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Through the reader our decoder uses, so that both pay the same for it.
// Empty when the file cannot be read, which libjpeg-turbo then refuses.
std::vector<uint8_t> readWholeFile(const std::string& path)
{
    std::vector<uint8_t> bytes;
    fileReader().read(path, bytes);
    return bytes;
}

// The child: one decode.

std::optional<double> decodeWithOurs(int32_t family, int32_t threads, const char* path)
{
    idctIndex = family;
    subImageIndex = -1;
    const Clock::time_point start = Clock::now();
    jpgFile.parseFile(path);
    if (jpgFile.error != 0 || decodeImage(0, {.threads = threads}) == 0)
        return std::nullopt;
    return millisecondsSince(start);
}

// libjpeg-turbo's own error handler ends the process, which the parent
// sees as a failed child.
std::optional<double> decodeWithLibjpeg(const char* path)
{
    const Clock::time_point start = Clock::now();
    const std::vector<uint8_t> file = readWholeFile(path);
    uint8_t* rgb = nullptr;
    const bool decoded = decodeRgbWithLibjpeg(file.data(), file.size(), [&](uint32_t width, uint32_t height) {
        return rgb = static_cast<uint8_t*>(std::malloc(size_t(width) * height * 3));
    });
    const double elapsed = millisecondsSince(start);
    std::free(rgb);
    return decoded ? std::optional<double>(elapsed) : std::nullopt;
}

std::optional<double> decodeAsChild(const char* decoder, const char* threads, const char* path)
{
    if (std::strcmp(decoder, libjpegName) == 0)
        return decodeWithLibjpeg(path);
    const auto family = idctFamilyNamed(decoder);
    const int32_t count = std::atoi(threads);
    if (!family || count < 1 || count > 2)
        return std::nullopt;
    return decodeWithOurs(*family, count, path);
}

int runChild(const char* decoder, const char* threads, const char* path)
{
    const auto elapsed = decodeAsChild(decoder, threads, path);
    if (!elapsed)
        return 1;
    return dprintf(reportFd, "%.3f\n", *elapsed) > 0 ? 0 : 1;
}

// The parent: files, children and the table.

struct Kind {
    std::string decoder;  // a family of ours, or libjpeg
    int32_t threads;

    std::string label() const { return decoder + "_" + std::to_string(threads) + "t"; }
};

std::vector<Kind> kinds()
{
    std::vector<Kind> all{{libjpegName, 1}};
    for (const char* family : familyNames)
        for (int32_t threads = 1; threads <= 2; ++threads)
            all.push_back({family, threads});
    return all;
}

struct TestFile {
    std::string name;
    fs::path path;
};

void writeFile(const fs::path& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::vector<TestFile> writeTestFiles(const fs::path& folder)
{
    const RgbImage photo = makeLandscape(4000, 3000, 2026);
    const std::vector<std::pair<std::string, std::vector<uint8_t>>> encoded = {
        {"420_q90", encodeJpeg(photo, {.quality = 90})},
        {"420_q75", encodeJpeg(photo, {.quality = 75})},
        {"smooth_dark_q85", encodeJpeg(makeSmoothDark(5120, 2880), {.quality = 85})},
    };
    std::vector<TestFile> files;
    for (const auto& [name, bytes] : encoded) {
        files.push_back({name, folder / (name + ".jpg")});
        writeFile(files.back().path, bytes);
    }
    return files;
}

// The child's stdout, where the decoder prints its load time, goes to
// /dev/null; its report comes back through a pipe on reportFd.
std::optional<double> spawnChild(const Kind& kind, const fs::path& file)
{
    int report[2];
    if (pipe2(report, O_CLOEXEC) != 0)
        return std::nullopt;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, report[1], reportFd);
    const std::string threads = std::to_string(kind.threads), path = file.string();
    std::vector<std::string> arguments = {"cold_decode", "--child", kind.decoder, threads, path};
    std::vector<char*> argv;
    for (std::string& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    pid_t child = 0;
    const int spawned = posix_spawn(&child, "/proc/self/exe", &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(report[1]);
    std::string output;
    char buffer[64];
    for (ssize_t n; (n = read(report[0], buffer, sizeof buffer)) > 0;)
        output.append(buffer, size_t(n));
    close(report[0]);
    int status = 0;
    if (spawned != 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return std::nullopt;
    return std::strtod(output.c_str(), nullptr);
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Median milliseconds per kind label; nullopt when a child failed.
std::optional<std::map<std::string, double>> measureFile(const TestFile& file, const std::vector<Kind>& all)
{
    std::map<std::string, std::vector<double>> runs;
    for (int run = 0; run < runsPerKind; ++run)
        for (const Kind& kind : all) {
            const auto elapsed = spawnChild(kind, file.path);
            if (!elapsed) {
                std::fprintf(stderr, "cold_decode: %s failed on %s\n", kind.label().c_str(), file.name.c_str());
                return std::nullopt;
            }
            runs[kind.label()].push_back(*elapsed);
        }
    std::map<std::string, double> medians;
    for (const auto& [label, values] : runs)
        medians[label] = median(values);
    return medians;
}

void printHeader()
{
    std::printf("First decode in a fresh process, median of %d, ms; ratio = libjpeg-turbo's time over ours, above 1 "
                "ours is faster\n",
                runsPerKind);
    std::printf("%-16s %5s %11s %11s %11s %9s %9s\n", "file", "idct", "ours 1t ms", "ours 2t ms", "libjpeg ms",
                "ratio 1t", "ratio 2t");
}

void printFileLines(const TestFile& file, const std::map<std::string, double>& medians)
{
    const double libjpeg = medians.at(Kind{libjpegName, 1}.label());
    for (const char* family : familyNames) {
        const double one = medians.at(Kind{family, 1}.label()), two = medians.at(Kind{family, 2}.label());
        std::printf("%-16s %5s %11.1f %11.1f %11.1f %9.2f %9.2f\n", file.name.c_str(), family, one, two, libjpeg,
                    libjpeg / one, libjpeg / two);
    }
}

// Reading each file once puts it in the page cache for every child.
void warmPageCache(const std::vector<TestFile>& files)
{
    for (const TestFile& file : files)
        readWholeFile(file.path.string());
}

int compare(const fs::path& folder)
{
    const std::vector<TestFile> files = writeTestFiles(folder);
    warmPageCache(files);
    const std::vector<Kind> all = kinds();
    printHeader();
    for (const TestFile& file : files) {
        const auto medians = measureFile(file, all);
        if (!medians)
            return 1;
        printFileLines(file, *medians);
        std::fflush(stdout);
    }
    return 0;
}

std::optional<fs::path> makeTemporaryFolder()
{
    std::string pattern = (fs::temp_directory_path() / "cold_decode.XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        return std::nullopt;
    return fs::path(pattern);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 5 && std::strcmp(argv[1], "--child") == 0)
        return runChild(argv[2], argv[3], argv[4]);
    if (argc != 1) {
        std::fputs("usage: cold_decode\n", stderr);
        return 2;
    }
    const auto folder = makeTemporaryFolder();
    if (!folder) {
        std::perror("cold_decode: temporary folder");
        return 1;
    }
    const int status = compare(*folder);
    std::error_code ignored;
    fs::remove_all(*folder, ignored);
    return status;
}
