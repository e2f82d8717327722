// Decodes every JPEG file of a folder on two or more threads, in every way
// the decoder can share the work, and checks each decode against the one
// on one thread: the same result, colour state and planes, bit for bit,
// and a path of several threads taken. A lost wake-up between the decoder's threads
// hangs a decode for good, and a hung thread can be neither joined nor
// stopped: each decode runs under a watchdog that, on a timeout, names
// the decode and ends the process at once.
// Usage: decode_stress [--rounds N] FOLDER. Reports on standard error,
// "N passed, M failed" last, as standard output would carry a load-time
// line per decode; exit code 0 when none failed, 1 when some did, 3 on a
// hang, 77 when the folder holds no JPEG file.
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "jpeg/decode_workspace.h"
#include "jpeg/globals.h"
#include "jpeg/output/picture.h"
#include "jpeg/rows/row_decoder.h"
#include "jpeg/rows/scan_bands.h"
#include "support/decode_bytes.h"

namespace {

using Bytes = std::vector<uint8_t>;

#ifdef _WIN32
constexpr const char* nullDevice = "NUL";
#else
constexpr const char* nullDevice = "/dev/null";
#endif

constexpr auto watchdogTimeout = std::chrono::seconds(20);
constexpr int32_t hungExitCode = 3;
// Rounds repeat until at least this many two-thread decodes ran, unless
// --rounds says how many.
constexpr int32_t twoThreadDecodesWanted = 300;
constexpr const char* familyNames[] = {"fw", "aan", "aan2"};
// The decoder's choice, never in bands (the row pipeline), and forced cuts.
constexpr int32_t bandCounts[] = {0, -1, 2, 3, 7};
// Taken in turn: more threads than this machine's cores too, which must
// wait for each other as well.
constexpr int32_t threadCounts[] = {2, 3, 4, 8};
// Written into the planes before every decode: what a failed decode leaves
// unwritten is then the same for every decode of a file.
constexpr uint8_t unwrittenSample = 0x5A;

struct InputFile {
    std::string name;
    Bytes bytes;
};

struct Setting {
    int32_t threads;
    int32_t bands;
    int32_t family;
};

struct Outcome {
    int32_t result = 0;
    int32_t colourState = 0;
    uint64_t hash = 0;
    DecodePath path = DecodePath::none;
};

std::string describe(const InputFile& file, const Setting& setting, int32_t round)
{
    return file.name + ", " + familyNames[setting.family] + ", " + std::to_string(setting.threads) +
           " thread(s), testDecodeOptions().bandCount " + std::to_string(setting.bands) + ", round " +
           std::to_string(round);
}

Outcome decode(const Bytes& bytes, const Setting& setting)
{
    // Buffers kept from the decode before would let the threads run so
    // evenly that they seldom block; fresh ones fault their pages in on the
    // way, as in a viewer's first decode, and the threads really wait.
    testDecodeWorkspace().release();
    for (int k = 0; k < 3; ++k)
        std::fill_n(picture.plane[k].get(), picture.plane[k] ? picture.size[k] : 0, unwrittenSample);
    testDecodeOptions().threads = setting.threads;
    testDecodeOptions().bandCount = setting.bands;
    Outcome outcome;
    outcome.result = decodeBytes(bytes, setting.family);
    outcome.colourState = picture.colourState;
    outcome.hash = planesHash();
    outcome.path = lastDecodePath();
    return outcome;
}

// Decodes on a thread of its own while this one waits, at most
// watchdogTimeout; the decode's threads wait through the decoder's own
// means, this one through a condition variable with a deadline.
Outcome watchedDecode(const InputFile& file, const Setting& setting, int32_t round)
{
    std::mutex mutex;
    std::condition_variable finished;
    std::optional<Outcome> outcome;
    std::thread worker([&] {
        const Outcome decoded = decode(file.bytes, setting);
        const std::lock_guard lock(mutex);
        outcome = decoded;
        finished.notify_one();
    });
    std::unique_lock lock(mutex);
    if (!finished.wait_for(lock, watchdogTimeout, [&] { return outcome.has_value(); })) {
        std::fprintf(stderr, "HUNG: %s did not finish in %lld s\n", describe(file, setting, round).c_str(),
                     static_cast<long long>(watchdogTimeout.count()));
        std::_Exit(hungExitCode);
    }
    lock.unlock();
    worker.join();
    return *outcome;
}

// The ways two threads may go where one went `alone`: the frame decoder
// shares its scans and rows whatever the band count, the files being made
// large enough, and decodes again on one thread where a scan fails or runs
// out early; the row decoder goes into bands when told to, never when told
// -1, and chooses by the picture's height at 0. A scan cut short stays on
// one thread, so a file of one has no place here.
bool takenByTwoThreads(DecodePath twoThreads, DecodePath alone, int32_t bands)
{
    if (alone == DecodePath::frame)
        return twoThreads == DecodePath::frameThreads || twoThreads == DecodePath::frame;
    if (alone != DecodePath::oneThread)
        return false;
    if (bands == 0)
        return twoThreads == DecodePath::bands || twoThreads == DecodePath::rowPipeline;
    return twoThreads == (bands > 0 ? DecodePath::bands : DecodePath::rowPipeline);
}

// What differs between a two-thread decode and the one-thread one, or
// empty when nothing does.
std::string difference(const Outcome& got, const Outcome& expected, int32_t bands)
{
    if (got.result != expected.result)
        return "result " + std::to_string(got.result) + ", one thread " + std::to_string(expected.result);
    if (got.colourState != expected.colourState)
        return "colour state " + std::to_string(got.colourState) + ", one thread " +
               std::to_string(expected.colourState);
    if (got.hash != expected.hash)
        return "planes differ from one thread's";
    if (!takenByTwoThreads(got.path, expected.path, bands))
        return std::string("path ") + decodePathName(got.path) + ", one thread " + decodePathName(expected.path);
    return {};
}

std::vector<InputFile> readJpegFiles(const std::filesystem::path& folder)
{
    std::vector<std::filesystem::path> paths;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        const std::string extension = entry.path().extension().string();
        if (extension == ".jpg" || extension == ".jpeg")
            paths.push_back(entry.path());
    }
    std::sort(paths.begin(), paths.end());
    std::vector<InputFile> files;
    for (const auto& path : paths) {
        std::ifstream in(path, std::ios::binary);
        files.push_back({path.filename().string(), {std::istreambuf_iterator<char>(in), {}}});
    }
    return files;
}

struct Arguments {
    std::filesystem::path folder;
    std::optional<int32_t> rounds;
};

std::optional<Arguments> parseArguments(int argc, char** argv)
{
    Arguments arguments;
    int n = 1;
    if (argc == 4 && std::strcmp(argv[1], "--rounds") == 0) {
        arguments.rounds = std::atoi(argv[2]);
        n = 3;
    }
    if (n != argc - 1 || (arguments.rounds && *arguments.rounds < 1)) {
        std::fprintf(stderr, "usage: %s [--rounds N] FOLDER\n", argv[0]);
        return std::nullopt;
    }
    arguments.folder = argv[n];
    return arguments;
}

}  // namespace

int main(int argc, char** argv)
{
    const auto arguments = parseArguments(argc, argv);
    if (!arguments)
        return 2;
    if (!std::freopen(nullDevice, "w", stdout))
        return 2;
    const std::vector<InputFile> files = readJpegFiles(arguments->folder);
    if (files.empty()) {
        std::fprintf(stderr, "no JPEG files in %s: skipped\n", arguments->folder.string().c_str());
        return 77;
    }
    const auto perRound = int32_t(files.size() * std::size(familyNames) * std::size(bandCounts));
    const int32_t rounds = arguments->rounds.value_or((twoThreadDecodesWanted + perRound - 1) / perRound);

    // One thread's outcome per file and family; the first decode of a file
    // only sizes the planes for the fills.
    std::vector<Outcome> alone;
    for (const InputFile& file : files) {
        watchedDecode(file, {1, 0, 0}, 0);
        for (int32_t family = 0; family < 3; ++family)
            alone.push_back(watchedDecode(file, {1, 0, family}, 0));
    }

    int32_t passed = 0, failed = 0;
    for (int32_t round = 1; round <= rounds; ++round) {
        for (size_t f = 0; f < files.size(); ++f) {
            for (int32_t family = 0; family < 3; ++family) {
                for (int32_t bands : bandCounts) {
                    const int32_t threads = threadCounts[size_t(passed + failed) % std::size(threadCounts)];
                    const Setting setting{threads, bands, family};
                    const Outcome got = watchedDecode(files[f], setting, round);
                    const std::string wrong = difference(got, alone[f * 3 + size_t(family)], bands);
                    if (wrong.empty()) {
                        ++passed;
                        continue;
                    }
                    ++failed;
                    std::fprintf(stderr, "FAILED: %s: %s\n", describe(files[f], setting, round).c_str(), wrong.c_str());
                }
            }
        }
    }
    std::fprintf(stderr, "%d passed, %d failed\n", passed, failed);
    return failed == 0 ? 0 : 1;
}
