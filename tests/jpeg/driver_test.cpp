#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "app/interaction.h"
#include "jpeg/driver.h"
#include "jpeg/file/container.h"
#include "jpeg/globals.h"
#include "jpeg/output/colour.h"
#include "jpeg/output/picture.h"
#include "support/decode_helpers.h"
#include "support/jpeg_builder.h"
#include "support/memory_files.h"

using namespace jpegbytes;

namespace {

class DriverTest : public testing::Test {
protected:
    void TearDown() override { resetDecoderGlobals(); }

    // A 40x24 picture and its 8x8 thumbnail, the thumbnail inside APP1.
    static Bytes fileWithThumbnail()
    {
        const Bytes thumbnail = encodeJpeg(makePhotoLike(8, 8, 1), {75, Subsampling::s444, 0, false});
        const Bytes main = encodeJpeg(makePhotoLike(40, 24, 2), {75, Subsampling::s420, 0, false});
        return join({soi(), app1(thumbnail), Bytes(main.begin() + 2, main.end())});
    }

    static void fillPicture(uint8_t value)
    {
        picture.allocate(2, 2);
        for (auto& plane : picture.plane)
            std::fill_n(plane.get(), 4, value);
        picture.colourState = 0;
    }
};

TEST_F(DriverTest, SelectsEmbeddedImagesByIndex)
{
    const Bytes file = fileWithThumbnail();
    EXPECT_EQ(decodeBytes(file, 0, 0), 2);
    EXPECT_EQ(picture.width[0], 8);
    EXPECT_EQ(subImageIndex, 0);
    EXPECT_EQ(decodeBytes(file, 0, -1), 2);
    EXPECT_EQ(picture.width[0], 40);
    EXPECT_EQ(picture.height[2], 24);
    EXPECT_EQ(subImageIndex, 1);
}

TEST_F(DriverTest, IndexOutOfRangeLeavesPictureAlone)
{
    fillPicture(77);
    for (int32_t index : {2, -2}) {
        EXPECT_EQ(decodeBytes(fileWithThumbnail(), 0, index), 0);
        EXPECT_EQ(subImageIndex, index);
        EXPECT_EQ(picture.width[0], 2);
        EXPECT_EQ(picture.plane[0][3], 77);
    }
}

TEST_F(DriverTest, PrintsLoadTimeOnlyForDecodedImages)
{
    MemoryFiles files;
    ManualClock clock;
    files.add("a.jpg", encodeJpeg(makePhotoLike(16, 16, 3), {}));
    files.add("cut.jpg", join({soi(), zeroTables(), sof0Colour(8, 8), sosColour()}));
    clock.now = 5000;
    jpgFile.parseFile("a.jpg");
    testing::internal::CaptureStdout();
    EXPECT_EQ(decodeImage(4975), 1);
    const std::string printed = testing::internal::GetCapturedStdout();
    EXPECT_EQ(printed.substr(0, printed.find("\n JPG stages: ")), "\n JPG load time = 25 ms");
    jpgFile.parseFile("cut.jpg");
    ASSERT_EQ(jpgFile.error, 0);
    testing::internal::CaptureStdout();
    EXPECT_EQ(decodeImage(4975), 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

TEST_F(DriverTest, ScanWithoutDataKeepsPreviousPicture)
{
    fillPicture(12);
    EXPECT_EQ(decodeBytes(join({soi(), zeroTables(), sof0Colour(8, 8), sosColour()})), 0);
    EXPECT_EQ(picture.colourState, 0);
    EXPECT_EQ(picture.plane[1][0], 12);
}

// Three MCUs of 8x8, 4:4:4. The data holds MCU 0 (a bright luma block: DC
// code "10" with difference 255, then end of block; both chroma blocks
// "0" "0") and one bit of MCU 1, which is then read from the zeros past the
// end: DC difference 0, so it repeats MCU 0. MCU 2 lies wholly past the
// end and comes out flat.
TEST_F(DriverTest, ScanCutShortShowsWhatItHoldsAndGreyAfter)
{
    const Bytes tables = join({dqt(0), dht(0, 0, {1, 1}, {0x00, 0x08}), dht(1, 0, {1}, {0x00})});
    const Bytes file = join({soi(), tables, sof0Colour(24, 8), sosColour(), {0xBF, 0xC0}});
    ASSERT_EQ(decodeBytes(file), 1);
    EXPECT_TRUE(jpgFile.scanTruncated);
    EXPECT_EQ(picture.colourState, 0);
    EXPECT_GT(picture.plane[0][0], 150);
    EXPECT_EQ(picture.plane[0][8], picture.plane[0][0]);
    EXPECT_EQ(picture.plane[0][16], 128);
    EXPECT_EQ(picture.plane[0][23 + 7 * 24], 128);
}

TEST_F(DriverTest, UndecodableBlockStopsWithPictureUnconverted)
{
    // DC table 0 has codes "0" only; a scan of 1-bits matches nothing.
    EXPECT_EQ(
        decodeBytes(join({soi(), zeroTables(), sof0Colour(16, 8), sosColour(), {0x00, 0xFF, 0x00, 0xFF, 0x00}, eoi()})),
        0);
    EXPECT_EQ(picture.colourState, 1);
    EXPECT_EQ(picture.width[0], 16);
}

TEST_F(DriverTest, ZeroTablesGiveMidGreyForEveryFamily)
{
    for (int family = 0; family < 3; ++family) {
        ASSERT_EQ(decodeBytes(join({soi(), zeroTables(), sof0Colour(9, 9, 0x22), sosColour(), {0x00}, eoi()}), family),
                  1);
        // aan's flat block is 126, whose chroma offset of -2 tints the grey.
        const uint8_t expected[2][3] = {{128, 128, 128}, {123, 128, 122}};
        for (int k = 0; k < 3; ++k)
            EXPECT_EQ(picture.plane[k][80], expected[family == 1][k]) << "family " << family << " plane " << k;
    }
}

TEST_F(DriverTest, EmptyPictureDecodesNoBlocksAndSucceeds)
{
    EXPECT_EQ(decodeBytes(join({soi(), zeroTables(), sof0Colour(0, 0), sosColour(), eoi()})), 1);
    EXPECT_EQ(picture.size[0], 0);
    EXPECT_EQ(picture.colourState, 0);
}

struct LayoutCase {
    const char* name;
    Bytes file;
};

Bytes withTables(const Bytes& frame, const Bytes& scan)
{
    return join({soi(), zeroTables(), frame, scan, {0x00}, eoi()});
}

const LayoutCase unsupportedLayouts[] = {
    {"TwoComponents", withTables(sof0(8, 8, {{1, 0x11, 0}, {2, 0x11, 0}}), sos({{1, 0x00}, {2, 0x00}}))},
    {"RepeatedIdentifier", withTables(sof0(8, 8, {{1, 0x11, 0}, {1, 0x11, 0}, {2, 0x11, 0}}), sosColour())},
    {"NoFrameHeader", join({soi(), zeroTables(), sosColour(), {0x00}, eoi()})},
    {"UndefinedQuantTable", withTables(sof0(8, 8, {{1, 0x11, 0}, {2, 0x11, 1}, {3, 0x11, 1}}), sosColour())},
    {"AboveSizeLimit", withTables(sof0Colour(65535, 65535), sosColour())},
    // The only SOS pair lies inside the frame header, where the walk never reads it.
    {"ScanNeverRead", join({soi(), zeroTables(), sof0(0xDA, 8, {{1, 0x11, 0}, {2, 0x11, 0}, {3, 0x11, 0}}), eoi()})},
};

class UnsupportedLayoutTest : public testing::TestWithParam<LayoutCase> {
protected:
    void TearDown() override { resetDecoderGlobals(); }
};

TEST_P(UnsupportedLayoutTest, ReturnsZeroAndChangesNothing)
{
    picture.allocate(1, 1);
    picture.plane[0][0] = 42;
    picture.colourState = 0;
    EXPECT_EQ(decodeBytes(GetParam().file), 0);
    EXPECT_EQ(subImageIndex, -1);
    EXPECT_EQ(picture.width[0], 1);
    EXPECT_EQ(picture.plane[0][0], 42);
}

INSTANTIATE_TEST_SUITE_P(Layouts, UnsupportedLayoutTest, testing::ValuesIn(unsupportedLayouts),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ConvertColour, UsesStandardGainsSoGreysStayNeutral)
{
    struct {
        uint8_t y, cb, cr, r, g, b;
    } const cases[] = {{128, 128, 128, 128, 128, 128},
                       {255, 128, 128, 255, 255, 255},
                       {0, 128, 128, 0, 0, 0},
                       {76, 85, 255, 254, 0, 0},
                       {150, 44, 21, 0, 255, 1}};
    picture.allocate(5, 1);
    for (int s = 0; s < 5; ++s) {
        picture.plane[0][s] = cases[s].y;
        picture.plane[1][s] = cases[s].cb;
        picture.plane[2][s] = cases[s].cr;
    }
    picture.colourState = 1;
    EXPECT_EQ(convertColour(picture), 1);
    EXPECT_EQ(picture.colourState, 0);
    for (int s = 0; s < 5; ++s) {
        EXPECT_EQ(picture.plane[0][s], cases[s].r) << s;
        EXPECT_EQ(picture.plane[1][s], cases[s].g) << s;
        EXPECT_EQ(picture.plane[2][s], cases[s].b) << s;
    }
    EXPECT_EQ(convertColour(picture), 0);  // already R/G/B
    EXPECT_EQ(picture.plane[0][0], 128);
    picture.clear();
}

// Every (y, cb, cr) triple once, in a run whose length is no multiple of
// the vector width, so the tail takes the portable loop too.
TEST(ConvertColour, VectorLanesGiveThePortableBytesForEveryTriple)
{
    constexpr int32_t count = (1 << 24) + 13;
    std::vector<uint8_t> planes[2][3];
    for (auto& set : planes)
        for (int k = 0; k < 3; ++k) {
            set[k].resize(count);
            for (int32_t s = 0; s < count; ++s)
                set[k][size_t(s)] = static_cast<uint8_t>(s >> (8 * k));
        }
    convertSamples(planes[0][0].data(), planes[0][1].data(), planes[0][2].data(), count, false);
    convertSamples(planes[1][0].data(), planes[1][1].data(), planes[1][2].data(), count, true);
    for (int k = 0; k < 3; ++k)
        EXPECT_TRUE(planes[0][k] == planes[1][k]) << k;
}

// Chroma of half the width, each sample serving two: the same bytes as
// converting with the chroma replicated first, on both paths.
TEST(ConvertColour, HalfWidthChromaGivesTheBytesOfReplicatedChroma)
{
    constexpr int32_t count = 4099;
    std::vector<uint8_t> luma(count), cb(count / 2 + 1), cr(count / 2 + 1);
    uint32_t state = 12345;
    for (auto* samples : {&luma, &cb, &cr})
        for (uint8_t& sample : *samples)
            sample = static_cast<uint8_t>((state = state * 1103515245u + 12345u) >> 24);
    std::vector<uint8_t> expected[3] = {luma, std::vector<uint8_t>(count), std::vector<uint8_t>(count)};
    for (int32_t s = 0; s < count; ++s) {
        expected[1][size_t(s)] = cb[size_t(s / 2)];
        expected[2][size_t(s)] = cr[size_t(s / 2)];
    }
    convertSamples(expected[0].data(), expected[1].data(), expected[2].data(), count, false);
    for (const bool wide : {false, true}) {
        std::vector<uint8_t> red = luma, green(count), blue(count);
        convertHalfWidthChroma(red.data(), cb.data(), cr.data(), green.data(), blue.data(), count, wide);
        EXPECT_TRUE(red == expected[0] && green == expected[1] && blue == expected[2]) << "wide " << wide;
    }
}

}  // namespace

#include "jpeg/rows/row_decoder.h"

namespace {

std::vector<std::vector<uint8_t>> planesCopy()
{
    std::vector<std::vector<uint8_t>> planes;
    for (int k = 0; k < 3; ++k)
        planes.emplace_back(picture.plane[k].get(), picture.plane[k].get() + picture.size[k]);
    return planes;
}

// The second thread must leave exactly the blocks one thread leaves, also
// when a damaged block stops the decode part-way; and those blocks are
// Y, Cb, Cr, so converting the rows above the damage gives the good file's.
TEST(DecodeThreads, FailedDecodeLeavesTheSameBlocksOnEveryThreadCount)
{
    const Bytes valid = encodeJpeg(makePhotoLike(720, 480, 3), {85, Subsampling::s420, 0, false});
    Bytes damaged = valid;
    const size_t middle = damaged.size() / 2;
    for (size_t n = middle; n < middle + 64; n += 2) {  // stuffed 0xFF bytes: runs of 1-bits no code matches
        damaged[n] = 0xFF;
        damaged[n + 1] = 0x00;
    }
    std::vector<std::vector<uint8_t>> stored[2];
    for (int32_t threads : {1, 2}) {
        testDecodeOptions().threads = threads;
        ASSERT_EQ(decodeBytes(valid), 1);  // same size: the planes are reused, so the rest is known
        const std::vector<std::vector<uint8_t>> good = planesCopy();
        EXPECT_EQ(decodeBytes(damaged), 0);
        EXPECT_EQ(picture.colourState, 1);
        stored[threads - 1] = planesCopy();
        ASSERT_EQ(convertColour(picture), 1);
        const size_t topRows = 64 * 720;
        for (int k = 0; k < 3; ++k)
            EXPECT_TRUE(std::equal(good[k].begin(), good[k].begin() + topRows, picture.plane[k].get())) << k;
    }
    testDecodeOptions().threads = 2;
    EXPECT_TRUE(stored[0] == stored[1]);
    resetDecoderGlobals();
}

}  // namespace
