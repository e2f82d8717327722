// The pieces of the frame decoder that whole-file comparisons with
// libjpeg-turbo cannot reach: colour models the markers select, the ink
// conversions at their extremes, sampling ratios libjpeg-turbo refuses, and
// how the walk groups the segments of a frame.
#include <gtest/gtest.h>

#include <array>
#include <string>

#include "jpeg/file/container.h"
#include "jpeg/globals.h"
#include "jpeg/output/block_store.h"
#include "jpeg/output/colour.h"
#include "jpeg/output/picture.h"
#include "support/decode_helpers.h"
#include "support/jpeg_builder.h"

using namespace jpegbytes;

namespace {

struct ModelCase {
    const char* name;
    int32_t components;
    std::array<int32_t, 3> ids;
    bool jfif;
    int32_t adobeTransform;
    ColourModel expected;
};

const ModelCase modelCases[] = {
    {"Grey", 1, {1, 0, 0}, true, -1, ColourModel::grey},
    {"JfifYCbCr", 3, {1, 2, 3}, true, -1, ColourModel::ycbcr},
    {"JfifOutweighsAdobeRgb", 3, {1, 2, 3}, true, 0, ColourModel::ycbcr},
    {"JfifOutweighsRgbIds", 3, {'R', 'G', 'B'}, true, -1, ColourModel::ycbcr},
    {"AdobeRgb", 3, {1, 2, 3}, false, 0, ColourModel::rgb},
    {"AdobeYCbCr", 3, {'R', 'G', 'B'}, false, 1, ColourModel::ycbcr},
    {"RgbIds", 3, {'R', 'G', 'B'}, false, -1, ColourModel::rgb},
    {"NoMarkersOtherIds", 3, {0, 1, 2}, false, -1, ColourModel::ycbcr},
    {"PlainCmyk", 4, {1, 2, 3}, false, -1, ColourModel::cmyk},
    {"AdobeCmyk", 4, {1, 2, 3}, false, 0, ColourModel::invertedCmyk},
    {"AdobeYcck", 4, {1, 2, 3}, false, 2, ColourModel::ycck},
    {"TwoComponents", 2, {1, 2, 0}, false, -1, ColourModel::unknown},
};

class ColourModelTest : public testing::TestWithParam<ModelCase> {};

TEST_P(ColourModelTest, FollowsTheMarkersAsLibjpegDoes)
{
    const ModelCase& c = GetParam();
    tjpgel image;
    image.componentCount = c.components;
    for (int i = 0; i < 3; ++i)
        image.component[i].id = c.ids[size_t(i)];
    image.jfif = c.jfif;
    image.adobeTransform = c.adobeTransform;
    EXPECT_EQ(colourModelOf(image), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Markers, ColourModelTest, testing::ValuesIn(modelCases),
                         [](const auto& info) { return std::string(info.param.name); });

// One sample of each model and the R, G, B it gives.
TEST(InkConversion, ScalesEachColourByTheBlackLight)
{
    struct {
        ColourModel model;
        std::array<uint8_t, 4> samples;
        std::array<uint8_t, 3> rgb;
    } const cases[] = {
        {ColourModel::cmyk, {0, 0, 0, 0}, {255, 255, 255}},  // no ink
        {ColourModel::cmyk, {255, 0, 0, 0}, {0, 255, 255}},  // full cyan
        {ColourModel::cmyk, {0, 0, 0, 255}, {0, 0, 0}},      // full black
        {ColourModel::invertedCmyk, {255, 255, 255, 255}, {255, 255, 255}},
        {ColourModel::invertedCmyk, {255, 128, 0, 128}, {128, 64, 0}},
        {ColourModel::ycck, {255, 128, 128, 255}, {0, 0, 0}},  // white luma is no light through the inks
        {ColourModel::ycck, {0, 128, 128, 200}, {200, 200, 200}},
    };
    for (const auto& c : cases) {
        picture.allocate(1, 1);
        for (int i = 0; i < 3; ++i)
            picture.plane[i][0] = c.samples[size_t(i)];
        convertPictureRowsFrom(picture, c.model, &c.samples[3], 0, 1);
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(picture.plane[i][0], c.rgb[size_t(i)]) << int(c.model) << " channel " << i;
    }
    resetDecoderGlobals();
}

// Columns 0..7 of the block hold 10 * column; rows all alike.
std::array<int32_t, 64> columnRamp()
{
    std::array<int32_t, 64> block{};
    for (int n = 0; n < 64; ++n)
        block[size_t(n)] = 10 * (n % 8);
    return block;
}

TEST(StoreScaledBlock, SpreadsARatioOfTwoToThreeByNearestSample)
{
    std::array<uint8_t, 24> row{};
    const std::array<int32_t, 64> block = columnRamp();
    // The component has 2 samples for every 3 of the picture: picture
    // column x shows component column x * 2 / 3; block 1 holds columns 8..15.
    storeScaledBlock(block.data(), {row.data(), 24, 1}, 0, 1, {2, 3, 1, 1});
    for (int x = 0; x < 24; ++x) {
        const int column = x * 2 / 3;
        if (column >= 8)
            EXPECT_EQ(row[size_t(x)], 10 * (column - 8)) << x;
        else
            EXPECT_EQ(row[size_t(x)], 0) << x;
    }
}

TEST(StoreScaledBlock, ARatioOfThreeReplicates)
{
    std::array<uint8_t, 20> row{};
    const std::array<int32_t, 64> block = columnRamp();
    storeScaledBlock(block.data(), {row.data(), 20, 1}, 0, 0, {1, 3, 1, 1});
    for (int x = 0; x < 20; ++x)
        EXPECT_EQ(row[size_t(x)], 10 * (x / 3)) << x;
}

Bytes progressiveFrame(uint16_t width, uint16_t height)
{
    Bytes frame = sof0(width, height, {{1, 0x11, 0}});
    frame[1] = 0xC2;
    return frame;
}

// A scan of the one component over coefficients ss..se.
Bytes progressiveScan(uint8_t ss, uint8_t se)
{
    Bytes scan = sos({{1, 0x00}});
    scan[scan.size() - 3] = ss;
    scan[scan.size() - 2] = se;
    return join({scan, {0x00}});
}

// A DC scan, then an AC scan of coefficients 1..63.
Bytes progressiveScans() { return join({progressiveScan(0, 0), progressiveScan(1, 63)}); }

class FrameWalk : public testing::Test {
protected:
    void TearDown() override { resetDecoderGlobals(); }
};

TEST_F(FrameWalk, ScansAndTablesAfterTheFirstBelongToTheFrame)
{
    EXPECT_EQ(decodeBytes(join({soi(), zeroTables(), progressiveFrame(8, 8), progressiveScans(), eoi()})), 1);
    ASSERT_EQ(jpgFile.count, 1);
    EXPECT_EQ(jpgFile.images[0].laterScanCount, 1);
    EXPECT_EQ(jpgFile.images[0].frameMarker, 0xC2);
}

TEST_F(FrameWalk, ANewFrameIsANewImageWithOnlyItsOwnComponents)
{
    const Bytes file = join({soi(),
                             zeroTables(),
                             sof0Colour(16, 16),
                             sos({{1, 0x00}}),
                             {0x00},
                             sos({{2, 0x00}}),
                             {0x00},
                             zeroTables(),
                             sof0(8, 8, {{7, 0x11, 0}}),
                             sos({{7, 0x00}}),
                             {0x00},
                             eoi()});
    EXPECT_EQ(decodeBytes(file), 2);
    ASSERT_EQ(jpgFile.count, 2);
    EXPECT_EQ(jpgFile.images[0].laterScanCount, 1);
    EXPECT_EQ(jpgFile.images[1].componentCount, 1);
    EXPECT_EQ(jpgFile.images[1].component[1].hSampling, 0);
    EXPECT_EQ(picture.width[0], 8);
}

TEST_F(FrameWalk, ABrokenTableBeforeALaterScanFailsTheFileOrOnlyANestedImage)
{
    const Bytes brokenTable = segment(0xC4, {0x25, 0x00, 0x00});  // a Huffman table of class 2
    const Bytes own = join({soi(), zeroTables(), progressiveFrame(8, 8), progressiveScan(0, 0), brokenTable,
                            progressiveScan(1, 63), eoi()});
    EXPECT_EQ(decodeBytes(own), 0);
    EXPECT_EQ(jpgFile.error, 502);
    const Bytes nested =
        join({soi(), app1(own), zeroTables(), sof0(8, 8, {{1, 0x11, 0}}), sos({{1, 0x00}}), {0x00}, eoi()});
    EXPECT_EQ(decodeBytes(nested, 0, 0), 0);
    ASSERT_EQ(jpgFile.count, 2);
    EXPECT_EQ(jpgFile.images[0].failure, 502);
    EXPECT_EQ(decodeBytes(nested), 2);
}

}  // namespace
