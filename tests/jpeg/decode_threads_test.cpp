// Several threads must leave exactly the planes one thread leaves: through
// the row pipeline and however a scan is cut into bands and shared among
// readers, on good files and on files that fail part-way, where every
// block before the damage is stored and nothing after it. Each decode is
// checked to have gone the way it is meant to.
#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <vector>

#include "jpeg/decode_workspace.h"
#include "jpeg/globals.h"
#include "jpeg/output/picture.h"
#include "jpeg/rows/row_decoder.h"
#include "jpeg/rows/scan_bands.h"
#include "support/decode_helpers.h"
#include "support/scan_damage.h"

namespace {

using Bytes = std::vector<uint8_t>;

struct Decoded {
    int32_t result = 0;
    int32_t colourState = 0;
    DecodePath path = DecodePath::none;
    int32_t bandReaders = 0;
    int32_t bandReadersPlaced = 0;
    Planes planes;
};

// Decodes after decoding `primer`, a file of the same size, on one thread:
// the planes are reused, so what a failed decode leaves unwritten is known.
Decoded decodeAfter(const Bytes& primer, const Bytes& bytes, int32_t threads, int32_t bands)
{
    testDecodeOptions().threads = 1;
    testDecodeOptions().bandCount = 0;
    EXPECT_EQ(decodeBytes(primer, 2), 1);
    testDecodeOptions().threads = threads;
    testDecodeOptions().bandCount = bands;
    Decoded decoded;
    decoded.result = decodeBytes(bytes, 2);
    decoded.colourState = picture.colourState;
    decoded.path = lastDecodePath();
    decoded.bandReaders = testDecodeWorkspace().bandReaders;
    decoded.bandReadersPlaced = testDecodeWorkspace().bandReadersPlaced;
    decoded.planes = picturePlanes();
    return decoded;
}

enum class Alteration { none, trailingJunk, restartMarkerLost };

struct FileCase {
    const char* name;
    int width, height;
    EncodeOptions options;
    double damageAt;  // below 0: undamaged
    Alteration alteration;
    double flatFrom;  // the picture is one grey below this share of its height
    // The way several threads go when the decoder chooses: in bands where
    // the scan holds 48 MCU rows or more.
    DecodePath chosen;
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

constexpr DecodePath rows = DecodePath::rowPipeline, bands = DecodePath::bands;

// Every picture is above the size where a second thread starts.
const FileCase fileCases[] = {
    {"Photo420", 720, 480, {92, Subsampling::s420, 0, false}, -1, Alteration::none, 1, rows},
    {"Photo444OddSize", 523, 397, {95, Subsampling::s444, 0, false}, -1, Alteration::none, 1, bands},
    {"Photo422", 488, 392, {95, Subsampling::s422, 0, false}, -1, Alteration::none, 1, bands},
    {"Photo422LowQuality", 488, 392, {20, Subsampling::s422, 0, false}, -1, Alteration::none, 1, bands},
    {"FlatBelowAQuarter", 720, 480, {92, Subsampling::s420, 0, false}, -1, Alteration::none, 0.25, rows},
    {"Flat444BelowAThird", 523, 397, {95, Subsampling::s444, 0, false}, -1, Alteration::none, 0.33, bands},
    {"DamagedNearTheStart", 720, 480, {92, Subsampling::s420, 0, false}, 0.08, Alteration::none, 1, rows},
    {"DamagedInTheMiddle", 720, 480, {92, Subsampling::s420, 0, false}, 0.5, Alteration::none, 1, rows},
    {"DamagedNearTheEnd", 720, 480, {92, Subsampling::s420, 0, false}, 0.97, Alteration::none, 1, rows},
    {"Damaged444InTheMiddle", 523, 397, {95, Subsampling::s444, 0, false}, 0.5, Alteration::none, 1, bands},
    {"Damaged422NearTheEnd", 488, 392, {95, Subsampling::s422, 0, false}, 0.9, Alteration::none, 1, bands},
    {"TrailingJunk", 720, 480, {92, Subsampling::s420, 0, false}, -1, Alteration::trailingJunk, 1, rows},
    {"RestartEveryMcuRow420", 720, 480, {92, Subsampling::s420, 45, false}, -1, Alteration::none, 1, rows},
    {"RestartIntervals444", 523, 397, {95, Subsampling::s444, 7, false}, -1, Alteration::none, 1, bands},
    {"DamagedWithRestarts422", 488, 392, {95, Subsampling::s422, 16, false}, 0.5, Alteration::none, 1, bands},
    {"RestartsAfterAFlatStart", 523, 397, {95, Subsampling::s444, 3, false}, -1, Alteration::none, 0.4, bands},
    {"RestartMarkerLost", 488, 392, {95, Subsampling::s422, 16, false}, -1, Alteration::restartMarkerLost, 1, bands},
};

// The way several threads go with testDecodeOptions().bandCount at `bands`:
// none in bands when it is -1.
DecodePath threadsPath(const FileCase& c, int32_t bands)
{
    if (bands < 0)
        return DecodePath::rowPipeline;
    return bands > 0 ? DecodePath::bands : c.chosen;
}

// The readers a scan in bands is shared among: a reader on every thread
// where the test cuts the bands, no more than the cores where the decoder
// does, and always two at least.
int32_t bandReaders(int32_t threads, int32_t bands)
{
    return std::max(bands > 0 ? threads : std::min(threads, coreCount()), 2);
}

class DecodeThreadsTest : public testing::TestWithParam<FileCase> {
protected:
    void TearDown() override
    {
        testDecodeOptions().threads = 2;
        testDecodeOptions().bandCount = 0;
        resetDecoderGlobals();
    }
};

TEST_P(DecodeThreadsTest, EveryWayOfSplittingLeavesWhatOneThreadLeaves)
{
    const FileCase& c = GetParam();
    const Bytes valid = encodeJpeg(pictureFor(c), c.options);
    Bytes bytes = c.damageAt >= 0 ? damagedAt(valid, c.damageAt) : valid;
    if (c.alteration == Alteration::trailingJunk)
        bytes = withTrailingJunk(bytes);
    if (c.alteration == Alteration::restartMarkerLost)
        bytes = withRestartMarkerLost(bytes, 0.5);  // the marker nearest the middle
    const Decoded expected = decodeAfter(valid, bytes, 1, 0);
    EXPECT_EQ(expected.result, c.damageAt >= 0 ? 0 : 1);
    EXPECT_EQ(expected.path, DecodePath::oneThread);
    for (int32_t threads : {2, 3, 4, 8})
        for (int32_t bands : {-1, 0, 1, 2, 3, 8, 40}) {
            const Decoded got = decodeAfter(valid, bytes, threads, bands);
            const auto where = testing::Message() << threads << " threads, " << bands << " bands";
            EXPECT_EQ(got.path, threadsPath(c, bands)) << where;
            if (got.path == DecodePath::bands) {
                EXPECT_EQ(got.bandReaders, bandReaders(threads, bands)) << where;
            }
            EXPECT_EQ(got.result, expected.result) << where;
            EXPECT_EQ(got.colourState, expected.colourState) << where;
            EXPECT_TRUE(got.planes == expected.planes) << where;
        }
}

INSTANTIATE_TEST_SUITE_P(Files, DecodeThreadsTest, testing::ValuesIn(fileCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Grey takes the row decoder too, here in bands.
TEST_F(DecodeThreadsTest, GreyLeavesWhatOneThreadLeaves)
{
    const Bytes bytes = encodeJpeg(makePhotoLike(720, 480, 17), {95, Subsampling::s444, 0, false, true});
    const Decoded expected = decodeAfter(bytes, bytes, 1, 0);
    const Decoded got = decodeAfter(bytes, bytes, 2, 3);
    EXPECT_EQ(got.result, 1);
    EXPECT_EQ(got.path, DecodePath::bands);
    EXPECT_TRUE(got.planes == expected.planes);
}

// Frames the frame decoder takes: their scans run on several threads at
// once, where they share no coefficients, and rows are finished as the
// scans pass them. Every thread count leaves what one thread leaves,
// where the data runs out or fails too.
struct FrameCase {
    const char* name;
    EncodeOptions options;
    double cutAt = -1;     // the share of the file kept; below 0 all of it
    double damageAt = -1;  // below 0: undamaged
    // Scans that fail or run out of data before the last send the decode
    // back to one thread.
    DecodePath path = DecodePath::frameThreads;
};

// Luma's AC in two bands, which run at once, then refined in two bands,
// which wait for each other: a refinement reads whole blocks.
const std::vector<ScanSpec> bandedRefinement = {
    {{0, 1, 2}, 0, 0, 0, 1}, {{0}, 1, 5, 0, 2},   {{0}, 6, 63, 0, 2},      {{1}, 1, 63, 0, 0}, {{2}, 1, 63, 0, 0},
    {{0}, 1, 20, 2, 1},      {{0}, 21, 63, 2, 1}, {{0, 1, 2}, 0, 0, 1, 0}, {{0}, 1, 63, 1, 0},
};

const FrameCase frameCases[] = {
    {"Progressive420", {.quality = 90, .progressive = true}},
    {"Progressive444", {.quality = 90, .subsampling = Subsampling::s444, .progressive = true}},
    {"ProgressiveGrey", {.quality = 90, .greyscale = true, .progressive = true}},
    {"ProgressiveRestarts", {.quality = 90, .restartInterval = 5, .progressive = true}},
    {"ProgressiveArithmetic", {.quality = 90, .progressive = true, .arithmetic = true}},
    {"BandedRefinement", {.quality = 90, .scans = bandedRefinement}},
    {"NonInterleaved", {.quality = 90, .subsampling = Subsampling::s444, .scans = {{{0}}, {{1}}, {{2}}}}},
    {"Cmyk", {.quality = 90, .subsampling = Subsampling::s444, .colourSpace = ColourSpace::cmykAdobe}},
    {"ProgressiveCutEarly", {.quality = 90, .progressive = true}, 0.3},
    {"ProgressiveCutInTheLastScan", {.quality = 90, .progressive = true}, 0.9},
    {"ProgressiveDamaged", {.quality = 90, .progressive = true}, -1, 0.5, DecodePath::frame},
    {"ProgressiveDamagedNearTheEnd", {.quality = 90, .progressive = true}, -1, 0.97, DecodePath::frame},
    {"NonInterleavedDamaged",
     {.quality = 90, .subsampling = Subsampling::s444, .scans = {{{0}}, {{1}}, {{2}}}},
     -1,
     0.2,
     DecodePath::frame},
};

void PrintTo(const FrameCase& c, std::ostream* out) { *out << c.name; }

class FrameThreadsTest : public testing::TestWithParam<FrameCase> {
protected:
    void TearDown() override { resetDecoderGlobals(); }
};

TEST_P(FrameThreadsTest, EveryThreadCountLeavesWhatOneThreadLeaves)
{
    const FrameCase& c = GetParam();
    const Bytes valid = encodeJpeg(makePhotoLike(720, 480, 17), c.options);
    Bytes bytes = c.damageAt >= 0 ? damagedAt(valid, c.damageAt) : valid;
    if (c.cutAt >= 0)
        bytes.resize(size_t(double(bytes.size()) * c.cutAt));
    const Decoded expected = decodeAfter(valid, bytes, 1, 0);
    EXPECT_EQ(expected.path, DecodePath::frame);
    for (int32_t threads : {2, 3, 4, 8}) {
        const Decoded got = decodeAfter(valid, bytes, threads, 0);
        EXPECT_EQ(got.path, c.path) << threads << " threads";
        EXPECT_EQ(got.result, expected.result) << threads << " threads";
        EXPECT_EQ(got.colourState, expected.colourState) << threads << " threads";
        EXPECT_TRUE(got.planes == expected.planes) << threads << " threads";
    }
}

INSTANTIATE_TEST_SUITE_P(Frames, FrameThreadsTest, testing::ValuesIn(frameCases),
                         [](const auto& info) { return std::string(info.param.name); });

// The frame decoder decodes beside the picture shown, into the
// workspace's spare, which then keeps the picture replaced: a re-decode
// maps no fresh pages and leaves the same planes.
TEST_F(DecodeThreadsTest, FrameDecodesTakeTurnsWithTheWorkspacesSparePicture)
{
    const Bytes bytes = encodeJpeg(makePhotoLike(720, 480, 17), {.quality = 90, .progressive = true});
    const Decoded first = decodeAfter(bytes, bytes, 2, 0);
    ASSERT_EQ(first.path, DecodePath::frameThreads);
    const uint8_t* shown = picture.plane[0].get();
    const size_t held = testDecodeWorkspace().bytesHeld();
    EXPECT_GE(held, size_t{720 * 480 * 3});
    ASSERT_EQ(decodeBytes(bytes, 2), 1);
    EXPECT_NE(picture.plane[0].get(), shown);
    EXPECT_EQ(testDecodeWorkspace().sparePicture().plane[0].get(), shown);
    EXPECT_EQ(testDecodeWorkspace().bytesHeld(), held);
    EXPECT_TRUE(picturePlanes() == first.planes);
}

// Each band's parts chain: every reader is met by a placed one before it,
// and placed in turn. A reader that the one before outruns is abandoned,
// which a busy machine may cause now and then, so a few decodes are made.
TEST_F(DecodeThreadsTest, EveryReaderOfAPlainPhotoIsPlaced)
{
    const Bytes bytes = encodeJpeg(makePhotoLike(720, 480, 17), {92, Subsampling::s420, 0, false});
    const Decoded expected = decodeAfter(bytes, bytes, 1, 0);
    for (int32_t threads : {3, 4, 8}) {
        int32_t placed = 0;
        for (int attempt = 0; attempt < 200 && placed < threads; ++attempt) {
            const Decoded got = decodeAfter(bytes, bytes, threads, 8);
            ASSERT_EQ(got.path, DecodePath::bands);
            EXPECT_TRUE(got.planes == expected.planes);
            placed = std::max(placed, got.bandReadersPlaced);
        }
        EXPECT_EQ(placed, threads) << threads << " threads";
    }
}

TEST_F(DecodeThreadsTest, SmallPicturesStayOnOneThread)
{
    // 42 x 32 MCUs of three blocks: a second thread would cost more than it
    // saved.
    const Bytes bytes = encodeJpeg(makePhotoLike(333, 250, 17), {95, Subsampling::s444, 0, false});
    const Decoded got = decodeAfter(bytes, bytes, 2, 3);
    EXPECT_EQ(got.result, 1);
    EXPECT_EQ(got.path, DecodePath::oneThread);
}

TEST_F(DecodeThreadsTest, ScanCutShortDecodesOnOneThread)
{
    const Bytes valid = encodeJpeg(makePhotoLike(523, 397, 17), {95, Subsampling::s444, 0, false});
    const Bytes cut(valid.begin(), valid.begin() + std::ptrdiff_t(valid.size() * 6 / 10));
    const Decoded expected = decodeAfter(valid, cut, 1, 0);
    const Decoded got = decodeAfter(valid, cut, 2, 3);
    EXPECT_EQ(got.result, 1);
    EXPECT_EQ(got.path, DecodePath::cutScan);
    EXPECT_TRUE(got.planes == expected.planes);
}

// A re-decode allocates nothing more than the decode before it; after a
// release the next decode allocates afresh and leaves the same planes.
TEST_F(DecodeThreadsTest, WorkspaceIsKeptBetweenDecodesUntilReleased)
{
    const Bytes bytes = encodeJpeg(makePhotoLike(523, 397, 17), {95, Subsampling::s444, 0, false});
    const Decoded first = decodeAfter(bytes, bytes, 2, 3);
    ASSERT_EQ(first.path, DecodePath::bands);
    const size_t held = testDecodeWorkspace().bytesHeld();
    EXPECT_GT(held, size_t{0});
    decodeAfter(bytes, bytes, 2, 3);
    EXPECT_EQ(testDecodeWorkspace().bytesHeld(), held);
    testDecodeWorkspace().release();
    EXPECT_EQ(testDecodeWorkspace().bytesHeld(), size_t{0});
    testDecodeOptions().threads = 2;
    testDecodeOptions().bandCount = 3;
    EXPECT_EQ(decodeBytes(bytes, 2), 1);
    EXPECT_TRUE(picturePlanes() == first.planes);
}

}  // namespace
