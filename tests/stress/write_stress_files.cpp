// Writes the inputs of decode_stress into the folder given: one file for
// each way two threads share a decode (bands, with and without restart
// intervals; the row pipeline; the frame decoder's halves, for progressive,
// four-component and non-interleaved frames) and files that fail part-way
// or end early. With --large instead, two 4000 x 3000 photographs, baseline
// and progressive, for the viewer's end-to-end test.
// Usage: write_stress_files [--large] FOLDER.
#include <cstring>
#include <span>
#include <string>

#include "support/generated_files.h"
#include "support/reference_codec.h"
#include "support/scan_damage.h"

namespace {

enum class Alteration { none, damagedInTheMiddle, cutShort };

struct StressFile {
    const char* name;
    int width, height;
    EncodeOptions options;
    Alteration alteration = Alteration::none;
    uint32_t seed = 23;  // of the picture
};

const std::vector<ScanSpec> oneScanPerComponent = {{{0}}, {{1}}, {{2}}};

// Every file is above the 4,096 blocks from which a decode takes a second
// thread; the row decoder's choose bands from 48 MCU rows on.
const StressFile stressFiles[] = {
    // 48 MCU rows of 16 lines, the least that the decoder cuts into bands.
    {"Baseline420Bands", 1023, 767, {.quality = 90}},
    {"Progressive444Restarts",
     1023,
     767,
     {.quality = 90, .subsampling = Subsampling::s444, .restartInterval = 16, .progressive = true}},
    // 75 MCU rows with a restart marker every 7 MCUs: bands cut at markers.
    {"Baseline422Restarts", 800, 600, {.quality = 90, .subsampling = Subsampling::s422, .restartInterval = 7}},
    // 30 MCU rows, 8,100 blocks: the row pipeline.
    {"Baseline420Rows", 720, 480, {.quality = 90}},
    {"CmykAdobe", 400, 300, {.quality = 90, .subsampling = Subsampling::s444, .colourSpace = ColourSpace::cmykAdobe}},
    {"NonInterleavedOddSampling",
     640,
     480,
     {.quality = 90, .sampling = {{2, 1}, {1, 2}, {1, 1}}, .scans = oneScanPerComponent}},
    {"Progressive420", 640, 480, {.quality = 85, .progressive = true}},
    {"Baseline420Damaged", 1023, 767, {.quality = 90}, Alteration::damagedInTheMiddle},
    {"Progressive420CutShort", 640, 480, {.quality = 85, .progressive = true}, Alteration::cutShort},
};

const StressFile largeFiles[] = {
    {"photo1_baseline", 4000, 3000, {.quality = 90}},
    // Another picture, so that the viewer's frame shows the change.
    {"photo2_progressive", 4000, 3000, {.quality = 90, .progressive = true}, Alteration::none, 29},
};

std::vector<uint8_t> encoded(const StressFile& file)
{
    auto bytes = encodeJpeg(makePhotoLike(file.width, file.height, file.seed), file.options);
    if (file.alteration == Alteration::damagedInTheMiddle)
        return damagedAt(std::move(bytes), 0.5);
    if (file.alteration == Alteration::cutShort)
        bytes.resize(bytes.size() * 6 / 10);
    return bytes;
}

}  // namespace

int main(int argc, char** argv)
{
    const bool large = argc > 1 && std::strcmp(argv[1], "--large") == 0;
    // The option's place takes the program's name, for the usage message.
    argv[int(large)] = argv[0];
    const auto folder = outputFolder(argc - int(large), argv + int(large));
    if (!folder)
        return 2;
    const auto files = large ? std::span<const StressFile>(largeFiles) : std::span<const StressFile>(stressFiles);
    for (const StressFile& file : files) {
        const auto bytes = encoded(file);
        if (!writeGeneratedFile(*folder / (std::string(file.name) + ".jpg"), "", bytes.data(), bytes.size()))
            return 1;
    }
    return 0;
}
