// Writes the input files of the golden decode tests into the folder given.
// They are committed rather than encoded at test time: another libjpeg-turbo
// makes other bytes, and the recorded plane hashes hold only for these.
#include <string>

#include "support/generated_files.h"
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

}  // namespace

int main(int argc, char** argv)
{
    const auto folder = outputFolder(argc, argv);
    if (!folder)
        return 2;
    for (const GoldenInput& input : goldenInputs) {
        const auto bytes = encodeJpeg(makePhotoLike(input.width, input.height, pictureSeed), input.options);
        if (!writeGeneratedFile(*folder / (std::string(input.name) + ".jpg"), "", bytes.data(), bytes.size()))
            return 1;
    }
    return 0;
}
