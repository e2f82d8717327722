// Arithmetic-coded frames, sequential (SOF9) and progressive (SOF10), as
// libjpeg-turbo writes them: every family on one and two threads stays as
// close to libjpeg-turbo's decode as Huffman-coded frames do; files cut
// short or damaged show what they hold, or fail, and never more.
#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

#include "jpeg/file/container.h"
#include "jpeg/file/diagnosis.h"
#include "jpeg/frame/frame_layout.h"
#include "jpeg/globals.h"
#include "jpeg/output/picture.h"
#include "jpeg/rows/row_decoder.h"
#include "support/decode_helpers.h"
#include "support/memory_files.h"
#include "support/scan_damage.h"
#include "support/stream_segments.h"

namespace {

using jpegbytes::Bytes;

constexpr uint8_t sof9 = 0xC9, sof10 = 0xCA, dac = 0xCC;

struct ArithmeticCase {
    const char* name;
    int width, height;
    EncodeOptions options;
    uint8_t frameMarker;
};

void PrintTo(const ArithmeticCase& c, std::ostream* out) { *out << c.name; }

// DC first with a bit held back, luma's AC in two bands, chroma's whole,
// then every refinement: the four kinds of progressive scan.
const std::vector<ScanSpec> refinementScript = {
    {{0, 1, 2}, 0, 0, 0, 1}, {{0}, 1, 8, 0, 2},       {{0}, 9, 63, 0, 1}, {{1}, 1, 63, 0, 1},
    {{2}, 1, 63, 0, 1},      {{0, 1, 2}, 0, 0, 1, 0}, {{0}, 1, 8, 2, 1},  {{0}, 1, 8, 1, 0},
    {{0}, 9, 63, 1, 0},      {{1}, 1, 63, 1, 0},      {{2}, 1, 63, 1, 0},
};

const std::vector<ScanSpec> scanPerComponent = {{{2}}, {{0}}, {{1}}};

using C = ColourSpace;

// Sizes over 4096 blocks (the 384 x 256 ones) take the second thread.
// clang-format off
const ArithmeticCase arithmeticCases[] = {
    {"Sequential420", 97, 61, {.quality = 90, .arithmetic = true}, sof9},
    {"Sequential420TwoThreads", 384, 256, {.quality = 85, .arithmetic = true}, sof9},
    {"Sequential444Restart3", 64, 48, {.quality = 85, .subsampling = Subsampling::s444, .restartInterval = 3, .arithmetic = true}, sof9},
    {"Sequential444Restart1TwoThreads", 384, 256, {.quality = 90, .subsampling = Subsampling::s444, .restartInterval = 1, .arithmetic = true}, sof9},
    {"Sequential422Q30", 80, 56, {.quality = 30, .subsampling = Subsampling::s422, .arithmetic = true}, sof9},
    {"Greyscale", 75, 53, {.quality = 90, .greyscale = true, .arithmetic = true}, sof9},
    {"GreyscaleRestart2", 75, 53, {.quality = 75, .restartInterval = 2, .greyscale = true, .arithmetic = true}, sof9},
    {"ScanPerComponentRestart2", 97, 61, {.quality = 90, .restartInterval = 2, .scans = scanPerComponent, .arithmetic = true}, sof9},
    {"RgbByIds", 64, 48, {.quality = 90, .subsampling = Subsampling::s444, .colourSpace = C::rgbByIds, .arithmetic = true}, sof9},
    {"RgbAdobe", 64, 48, {.quality = 90, .subsampling = Subsampling::s444, .colourSpace = C::rgbAdobe, .arithmetic = true}, sof9},
    {"Cmyk", 64, 48, {.quality = 90, .colourSpace = C::cmykAdobe, .arithmetic = true}, sof9},
    // Conditioning other than the defaults, which the DAC segment carries.
    {"WideDcBoundsLowAcLimit", 97, 61, {.quality = 90, .arithmetic = true, .dcLower = 2, .dcUpper = 6, .acLimit = 2}, sof9},
    {"NarrowDcBoundsHighAcLimit", 97, 61, {.quality = 90, .restartInterval = 4, .progressive = true, .arithmetic = true, .dcLower = 0, .dcUpper = 0, .acLimit = 63}, sof10},
    {"Progressive420", 97, 61, {.quality = 90, .progressive = true, .arithmetic = true}, sof10},
    {"Progressive420TwoThreads", 384, 256, {.quality = 90, .progressive = true, .arithmetic = true}, sof10},
    {"Progressive444Restart1", 71, 45, {.quality = 85, .subsampling = Subsampling::s444, .restartInterval = 1, .progressive = true, .arithmetic = true}, sof10},
    {"RefinementScript420", 97, 61, {.quality = 95, .scans = refinementScript, .arithmetic = true}, sof10},
    {"RefinementScript444Restart2", 64, 48, {.quality = 80, .subsampling = Subsampling::s444, .restartInterval = 2, .scans = refinementScript, .arithmetic = true}, sof10},
    {"GreyscaleProgressive", 75, 53, {.quality = 90, .greyscale = true, .progressive = true, .arithmetic = true}, sof10},
    {"RgbByIdsProgressive", 64, 48, {.quality = 75, .subsampling = Subsampling::s444, .colourSpace = C::rgbByIds, .progressive = true, .arithmetic = true}, sof10},
};
// clang-format on

Bytes encoded(const ArithmeticCase& c) { return encodeJpeg(makePhotoLike(c.width, c.height, 23), c.options); }

std::vector<uint8_t> planesOfPicture()
{
    std::vector<uint8_t> planes;
    for (int k = 0; k < 3; ++k)
        planes.insert(planes.end(), picture.plane[k].get(), picture.plane[k].get() + picture.size[k]);
    return planes;
}

class ArithmeticFrameTest : public testing::TestWithParam<ArithmeticCase> {
protected:
    void TearDown() override { resetDecoderGlobals(); }
};

TEST_P(ArithmeticFrameTest, EncoderWritesAnArithmeticFrame)
{
    const ArithmeticCase& c = GetParam();
    const Bytes jpeg = encoded(c);
    EXPECT_EQ(jpegbytes::frameMarker(jpeg), c.frameMarker);
    EXPECT_FALSE(jpegbytes::segmentsWithCode(jpeg, dac).empty());
}

TEST_P(ArithmeticFrameTest, EveryFamilyOnEitherThreadCountStaysCloseToLibjpeg)
{
    const ArithmeticCase& c = GetParam();
    const Bytes jpeg = encoded(c);
    const RgbImage expected = decodeReference(jpeg);
    for (int32_t family = 0; family < 3; ++family) {
        testDecodeOptions().threads = 1;
        ASSERT_EQ(decodeBytes(jpeg, family), 1) << "family " << family;
        EXPECT_EQ(lastDecodePath(), DecodePath::frame);
        expectNearReference(pictureAsRgb(), expected, family, c.name, minPsnrForFrameLayouts);
        const std::vector<uint8_t> oneThread = planesOfPicture();
        testDecodeOptions().threads = 2;
        ASSERT_EQ(decodeBytes(jpeg, family), 1) << "family " << family;
        // Frames of 4,096 blocks or more are shared among the threads.
        const int64_t blocks = FrameLayout::of(jpgFile.images[jpgFile.mainImage]).coefficientCount() / 64;
        EXPECT_EQ(lastDecodePath(), blocks >= 4096 ? DecodePath::frameThreads : DecodePath::frame);
        EXPECT_EQ(planesOfPicture(), oneThread) << "family " << family;
    }
}

INSTANTIATE_TEST_SUITE_P(Arithmetic, ArithmeticFrameTest, testing::ValuesIn(arithmeticCases),
                         [](const auto& info) { return std::string(info.param.name); });

// The first rows of image, where data before a cut or damage lies.
RgbImage topRows(const RgbImage& image, int rows)
{
    RgbImage top{image.width, rows, {}};
    top.rgb.assign(image.rgb.begin(), image.rgb.begin() + std::ptrdiff_t(image.width) * rows * 3);
    return top;
}

// A change to the scan's data `at` of the way through the file: what each
// kind of damage leaves is a file that decodes, or fails, without reading
// outside its data.
enum class Damage { cutShort, bytesFlipped, stuffedBytes, restartMarkerLost };

struct DamageCase {
    const char* name;
    EncodeOptions options;
    Damage damage;
    double at;
    int intactRows;  // rows certainly before the damage, which must decode as in the whole file
};

void PrintTo(const DamageCase& c, std::ostream* out) { *out << c.name; }

Bytes flippedFrom(Bytes bytes, size_t from)
{
    for (size_t n = from; n + 2 < bytes.size(); n += 7)
        if (bytes[n] != 0xFF && (bytes[n] ^ 0x5A) != 0xFF)
            bytes[n] ^= 0x5A;
    return bytes;
}

Bytes damaged(const Bytes& whole, const DamageCase& c)
{
    const auto at = size_t(double(whole.size()) * c.at);
    switch (c.damage) {
    case Damage::cutShort: return Bytes(whole.begin(), whole.begin() + std::ptrdiff_t(at - (whole[at - 1] == 0xFF)));
    case Damage::bytesFlipped: return flippedFrom(whole, at);
    case Damage::stuffedBytes: return damagedAt(whole, c.at);
    case Damage::restartMarkerLost: return withRestartMarkerLost(whole, c.at);
    }
    return whole;
}

const EncodeOptions sequential{.quality = 90, .arithmetic = true};
const EncodeOptions sequentialRestart{.quality = 90, .restartInterval = 2, .arithmetic = true};

// clang-format off
const DamageCase damageCases[] = {
    {"SequentialCutAtTwoThirds", sequential, Damage::cutShort, 0.67, 32},
    {"SequentialCutAtTwoFifths", sequential, Damage::cutShort, 0.4, 16},
    {"SequentialRestartCutAtTwoThirds", sequentialRestart, Damage::cutShort, 0.67, 32},
    {"SequentialBytesFlippedAtTwoThirds", sequential, Damage::bytesFlipped, 0.67, 32},
    {"SequentialBytesFlippedFromTheHeaders", sequential, Damage::bytesFlipped, 0.02, 0},
    {"SequentialStuffedBytesAtTwoThirds", sequential, Damage::stuffedBytes, 0.67, 32},
    {"SequentialRestartMarkerLost", sequentialRestart, Damage::restartMarkerLost, 0.67, 32},
    {"ProgressiveCutInLastScan", {.quality = 90, .progressive = true, .arithmetic = true}, Damage::cutShort, 0.9, 0},
    {"ProgressiveCutInFirstScan", {.quality = 90, .progressive = true, .arithmetic = true}, Damage::cutShort, 0.1, 0},
    {"ProgressiveBytesFlipped", {.quality = 90, .progressive = true, .arithmetic = true}, Damage::bytesFlipped, 0.5, 0},
    {"ProgressiveRestartMarkerLost", {.quality = 90, .restartInterval = 1, .progressive = true, .arithmetic = true}, Damage::restartMarkerLost, 0.5, 0},
};
// clang-format on

class ArithmeticDamageTest : public testing::TestWithParam<DamageCase> {
protected:
    void TearDown() override { resetDecoderGlobals(); }
};

TEST_P(ArithmeticDamageTest, DecodesWhatTheDataHoldsOrFails)
{
    const DamageCase& c = GetParam();
    const Bytes whole = encodeJpeg(makePhotoLike(97, 96, 29), c.options);
    const Bytes bytes = damaged(whole, c);
    const RgbImage intact = topRows(decodeReference(whole), c.intactRows);
    for (int32_t family = 0; family < 3; ++family) {
        const int32_t result = decodeBytes(bytes, family);
        if (c.damage == Damage::cutShort) {
            ASSERT_EQ(result, 1) << "family " << family;
            EXPECT_TRUE(jpgFile.scanTruncated);
        }
        if (result == 1 && c.intactRows > 0)
            expectNearReference(topRows(pictureAsRgb(), c.intactRows), intact, family, c.name, minPsnrForFrameLayouts);
    }
}

INSTANTIATE_TEST_SUITE_P(Arithmetic, ArithmeticDamageTest, testing::ValuesIn(damageCases),
                         [](const auto& info) { return std::string(info.param.name); });

// The byte after the DAC segment's length: its first table's class and
// identifier, then the value.
Bytes withConditioning(Bytes jpeg, uint8_t classAndId, uint8_t value)
{
    const size_t at = jpegbytes::segmentsWithCode(jpeg, dac).at(0).offset + 4;
    jpeg[at] = classAndId;
    jpeg[at + 1] = value;
    return jpeg;
}

struct ConditioningCase {
    const char* name;
    uint8_t classAndId, value;
    int32_t error;
};

TEST(ArithmeticConditioning, OutOfRangeTablesFailTheFile)
{
    const Bytes jpeg = encodeJpeg(makePhotoLike(32, 32, 3), sequential);
    const ConditioningCase cases[] = {
        {"DcBoundsEqual", 0x00, 0x33, 0}, {"DcLowerAboveUpper", 0x00, 0x12, 802}, {"AcLimitZero", 0x10, 0, 802},
        {"AcLimitOf63", 0x10, 63, 0},     {"AcLimitOf64", 0x10, 64, 802},         {"TableFour", 0x04, 0x10, 802},
        {"ClassTwo", 0x20, 0x10, 802},
    };
    for (const ConditioningCase& c : cases) {
        MemoryFiles files;
        files.add("dac.jpg", withConditioning(jpeg, c.classAndId, c.value));
        jpgFile.parseFile("dac.jpg");
        EXPECT_EQ(jpgFile.error, c.error) << c.name;
    }
    resetDecoderGlobals();
}

// Frames of arithmetic coding the decoder does not read say which they are.
TEST(ArithmeticFrameKinds, LosslessAndHierarchicalOnesAreNamed)
{
    const Bytes jpeg = encodeJpeg(makePhotoLike(32, 32, 3), sequential);
    const size_t frame = jpegbytes::segmentsWithCode(jpeg, sof9).at(0).offset;
    const struct {
        uint8_t marker;
        const char* reason;
    } cases[] = {
        {0xCB, "lossless arithmetic-coded JPEG (SOF11) is not supported"},
        {0xCD, "hierarchical arithmetic-coded JPEG (SOF13-SOF15) is not supported"},
    };
    for (const auto& c : cases) {
        Bytes bytes = jpeg;
        bytes[frame + 1] = c.marker;
        EXPECT_EQ(decodeBytes(bytes), 0);
        EXPECT_EQ(explainLoadFailure(jpgFile, subImageIndex), c.reason);
    }
    resetDecoderGlobals();
}

}  // namespace
