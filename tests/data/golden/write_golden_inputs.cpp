// Writes the input files of the golden decode tests into the folder given.
// They are committed rather than encoded at test time: another libjpeg-turbo
// makes other bytes, and the recorded plane hashes hold only for these.
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "support/reference_codec.h"

namespace {

struct GoldenInput {
    const char* name;
    int width, height;
    EncodeOptions options;
};

constexpr uint32_t pictureSeed = 11;

const GoldenInput goldenInputs[] = {
    {"Photo420", 320, 240, {90, Subsampling::s420, 0, false}},
    {"Photo422Restarts", 200, 136, {75, Subsampling::s422, 3, false}},
    {"Photo444Optimised", 96, 80, {50, Subsampling::s444, 0, true}},
    {"Odd420", 33, 65, {95, Subsampling::s420, 1, false}},
    // 8100 blocks in 30 MCU rows: enough for the two-thread row pipeline.
    {"Large420", 720, 480, {85, Subsampling::s420, 0, false}},
    {"LowQuality420", 257, 119, {10, Subsampling::s420, 0, false}},
};

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    for (const GoldenInput& input : goldenInputs) {
        const auto bytes = encodeJpeg(makePhotoLike(input.width, input.height, pictureSeed), input.options);
        const std::filesystem::path path = folder / (std::string(input.name) + ".jpg");
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        if (!out) {
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
