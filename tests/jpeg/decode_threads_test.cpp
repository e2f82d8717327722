// Two threads must leave exactly the planes one thread leaves: through the
// row pipeline and however a scan is cut into bands, on good files and on
// files that fail part-way, where every block before the damage is stored
// and nothing after it.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "jpeg/mcu_loop.h"
#include "jpeg/picture.h"
#include "jpeg/scan_bands.h"
#include "support/decode_helpers.h"

namespace {

using Bytes = std::vector<uint8_t>;
using Planes = std::vector<std::vector<uint8_t>>;

struct Decoded {
    int32_t result = 0;
    int32_t colourState = 0;
    Planes planes;
};

// Decodes after decoding `primer`, a file of the same size, on one thread:
// the planes are reused, so what a failed decode leaves unwritten is known.
Decoded decodeAfter(const Bytes& primer, const Bytes& bytes, int32_t threads, int32_t bands)
{
    decodeThreads = 1;
    scanBandCount = 0;
    EXPECT_EQ(decodeBytes(primer, 2), 1);
    decodeThreads = threads;
    scanBandCount = bands;
    Decoded decoded;
    decoded.result = decodeBytes(bytes, 2);
    decoded.colourState = picture.colourState;
    for (int k = 0; k < 3; ++k)
        decoded.planes.emplace_back(picture.plane[k].get(), picture.plane[k].get() + picture.size[k]);
    return decoded;
}

// Runs of stuffed 0xFF bytes, which no code matches, from `at` of the way
// into the file.
Bytes damaged(Bytes bytes, double at)
{
    const auto from = size_t(double(bytes.size()) * at) & ~size_t{1};
    for (size_t n = from; n < from + 64 && n + 1 < bytes.size() - 2; n += 2) {
        bytes[n] = 0xFF;
        bytes[n + 1] = 0x00;
    }
    return bytes;
}

// Bytes that decode as nothing the picture needs between the last MCU's
// data and the end-of-image marker: the reader from the last band's middle
// runs into them.
Bytes withTrailingJunk(Bytes bytes)
{
    Bytes junk(3000);
    for (size_t n = 0; n < junk.size(); ++n)
        junk[n] = static_cast<uint8_t>((n * 131 + 7) % 255);  // never 0xFF
    bytes.insert(bytes.end() - 2, junk.begin(), junk.end());
    return bytes;
}

struct FileCase {
    const char* name;
    int width, height;
    EncodeOptions options;
    double damageAt;  // below 0: undamaged
    bool trailingJunk;
    double flatFrom;  // the picture is one grey below this share of its height
};

// Flat rows take a few bits per MCU: bands cut by bytes then hold very
// different numbers of MCUs.
RgbImage pictureFor(const FileCase& c)
{
    RgbImage picture = makePhotoLike(c.width, c.height, 17);
    const auto flatRow = size_t(c.flatFrom * c.height);
    std::fill(picture.rgb.begin() + std::ptrdiff_t(flatRow * size_t(c.width) * 3), picture.rgb.end(), uint8_t{128});
    return picture;
}

const FileCase fileCases[] = {
    {"Photo420", 720, 480, {92, Subsampling::s420, 0, false}, -1, false, 1},
    {"Photo444OddSize", 333, 250, {95, Subsampling::s444, 0, false}, -1, false, 1},
    {"Photo422LowQuality", 400, 320, {20, Subsampling::s422, 0, false}, -1, false, 1},
    {"FlatBelowAQuarter", 720, 480, {92, Subsampling::s420, 0, false}, -1, false, 0.25},
    {"DamagedNearTheStart", 720, 480, {92, Subsampling::s420, 0, false}, 0.08, false, 1},
    {"DamagedInTheMiddle", 720, 480, {92, Subsampling::s420, 0, false}, 0.5, false, 1},
    {"DamagedNearTheEnd", 720, 480, {92, Subsampling::s420, 0, false}, 0.97, false, 1},
    {"TrailingJunk", 720, 480, {92, Subsampling::s420, 0, false}, -1, true, 1},
};

class DecodeThreadsTest : public testing::TestWithParam<FileCase> {
protected:
    void TearDown() override
    {
        decodeThreads = 2;
        scanBandCount = 0;
        resetDecoderGlobals();
    }
};

TEST_P(DecodeThreadsTest, EveryWayOfSplittingLeavesWhatOneThreadLeaves)
{
    const FileCase& c = GetParam();
    const Bytes valid = encodeJpeg(pictureFor(c), c.options);
    Bytes bytes = c.damageAt >= 0 ? damaged(valid, c.damageAt) : valid;
    if (c.trailingJunk)
        bytes = withTrailingJunk(bytes);
    const Decoded expected = decodeAfter(valid, bytes, 1, 0);
    EXPECT_EQ(expected.result, c.damageAt >= 0 ? 0 : 1);
    for (int32_t bands : {-1, 0, 1, 2, 3, 8, 40}) {
        const Decoded got = decodeAfter(valid, bytes, 2, bands);
        EXPECT_EQ(got.result, expected.result) << bands << " bands";
        EXPECT_EQ(got.colourState, expected.colourState) << bands << " bands";
        EXPECT_TRUE(got.planes == expected.planes) << bands << " bands";
    }
}

INSTANTIATE_TEST_SUITE_P(Files, DecodeThreadsTest, testing::ValuesIn(fileCases),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
