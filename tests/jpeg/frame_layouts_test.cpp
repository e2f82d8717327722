// Every frame layout libjpeg-turbo writes beyond the one interleaved
// baseline scan: progressive scripts, greyscale, one scan per component,
// sampling factors of 1 to 4 on any component, 16-bit quantisation tables,
// RGB, CMYK and YCCK. Each picture is decoded with every inverse-DCT family
// and compared, by PSNR, with libjpeg-turbo's own decode; files cut short
// in a progressive sequence show what their scans hold, as libjpeg-turbo
// shows it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <ostream>
#include <span>
#include <string>
#include <vector>

#include "jpeg/file/container.h"
#include "jpeg/globals.h"
#include "jpeg/output/picture.h"
#include "support/camera_segments.h"
#include "support/decode_helpers.h"
#include "support/memory_files.h"
#include "support/stream_segments.h"

namespace {

using jpegbytes::Bytes;

constexpr uint8_t sof0 = 0xC0, sof1 = 0xC1, sof2 = 0xC2, sos = 0xDA, app0 = 0xE0;

struct FrameCase {
    const char* name;
    int width, height;
    EncodeOptions options;
    uint8_t frameMarker;  // the SOF libjpeg-turbo writes for the options
};

void PrintTo(const FrameCase& c, std::ostream* out) { *out << c.name; }

// Successive approximation on luma and chroma: DC in three steps, first in
// one scan and then refined per component group; each AC band first with
// one or two bits held back, then refined, Y's two bands in one scan.
const std::vector<ScanSpec> approximationScript = {
    {{0, 1, 2}, 0, 0, 0, 2}, {{0}, 1, 5, 0, 2},  {{2}, 1, 63, 0, 1}, {{1}, 1, 63, 0, 2},   {{0}, 6, 63, 0, 2},
    {{1}, 1, 63, 2, 1},      {{0}, 1, 63, 2, 1}, {{0}, 0, 0, 2, 1},  {{1, 2}, 0, 0, 2, 1}, {{0, 1, 2}, 0, 0, 1, 0},
    {{2}, 1, 63, 1, 0},      {{1}, 1, 63, 1, 0}, {{0}, 1, 63, 1, 0},
};

// Spectral selection alone: DC of luma on its own and of chroma together,
// luma's AC in three bands with the chroma scans between them.
const std::vector<ScanSpec> spectralScript = {
    {{0}, 0, 0}, {{1, 2}, 0, 0}, {{0}, 1, 2}, {{0}, 3, 9}, {{1}, 1, 63}, {{0}, 10, 63}, {{2}, 1, 63},
};

// One sequential scan per component, Cr first.
const std::vector<ScanSpec> crYCbScans = {{{2}}, {{0}}, {{1}}};
const std::vector<ScanSpec> cbCrYScans = {{{1}}, {{2}}, {{0}}};

using S = SamplingFactors;
using C = ColourSpace;

// clang-format off
const FrameCase frameCases[] = {
    {"Progressive420", 97, 61, {.quality = 90, .progressive = true}, sof2},
    {"Progressive444Q75", 64, 48, {.quality = 75, .subsampling = Subsampling::s444, .progressive = true}, sof2},
    {"Progressive422Q50", 80, 56, {.quality = 50, .subsampling = Subsampling::s422, .progressive = true}, sof2},
    {"Progressive420Restart1", 97, 61, {.quality = 90, .restartInterval = 1, .progressive = true}, sof2},
    {"Progressive444Restart5", 71, 45, {.quality = 85, .subsampling = Subsampling::s444, .restartInterval = 5, .progressive = true}, sof2},
    {"ApproximationScript420", 97, 61, {.quality = 90, .scans = approximationScript}, sof2},
    {"ApproximationScript444Restart2", 64, 48, {.quality = 80, .subsampling = Subsampling::s444, .restartInterval = 2, .scans = approximationScript}, sof2},
    {"SpectralScript420", 83, 59, {.quality = 90, .scans = spectralScript}, sof2},
    {"Progressive410", 97, 61, {.quality = 90, .sampling = {S{4, 2}, S{}, S{}}, .progressive = true}, sof2},
    {"ProgressiveSixteenBitTables", 80, 56, {.quality = 10, .progressive = true, .forceBaseline = false}, sof2},
    {"Greyscale", 75, 53, {.quality = 90, .greyscale = true}, sof0},
    {"GreyscaleRestart2", 75, 53, {.quality = 75, .restartInterval = 2, .greyscale = true}, sof0},
    {"GreyscaleProgressive", 75, 53, {.quality = 90, .greyscale = true, .progressive = true}, sof2},
    {"ScanPerComponentCrYCb420Restart2", 97, 61, {.quality = 90, .restartInterval = 2, .scans = crYCbScans}, sof0},
    {"ScanPerComponentCbCrY444", 64, 48, {.quality = 85, .subsampling = Subsampling::s444, .scans = cbCrYScans}, sof0},
    {"Sampling440", 64, 48, {.quality = 90, .sampling = {S{1, 2}, S{}, S{}}}, sof0},
    {"Sampling411", 97, 61, {.quality = 90, .sampling = {S{4, 1}, S{}, S{}}}, sof0},
    {"Sampling410", 97, 61, {.quality = 90, .sampling = {S{4, 2}, S{}, S{}}}, sof0},
    {"SamplingLuma3x1", 97, 61, {.quality = 90, .sampling = {S{3, 1}, S{}, S{}}}, sof0},
    {"SamplingChromaFinerThanLuma", 64, 48, {.quality = 90, .sampling = {S{}, S{2, 2}, S{2, 2}}}, sof0},
    {"SamplingChromaFinerThanLumaOdd", 37, 23, {.quality = 90, .sampling = {S{}, S{2, 2}, S{2, 2}}}, sof0},
    {"SamplingLuma2x2Chroma1x2And2x1", 97, 61, {.quality = 90, .sampling = {S{2, 2}, S{1, 2}, S{2, 1}}}, sof0},
    {"SamplingLuma1x2Chroma2x1And1x1", 71, 45, {.quality = 90, .sampling = {S{1, 2}, S{2, 1}, S{}}}, sof0},
    // Sixteen luma blocks to one of chroma: more than an interleaved scan
    // may carry (ten blocks), so each component has scans of its own.
    {"ScanPerComponentLuma4x4", 97, 61, {.quality = 90, .sampling = {S{4, 4}, S{}, S{}}, .scans = crYCbScans}, sof0},
    {"SpectralScriptLuma4x4", 97, 61, {.quality = 90, .sampling = {S{4, 4}, S{}, S{}}, .scans = spectralScript}, sof2},
    {"Sampling420Odd", 37, 23, {.quality = 90}, sof0},
    {"Sampling420OddRestart1", 37, 23, {.quality = 75, .restartInterval = 1}, sof0},
    {"SixteenBitTablesQ10", 80, 56, {.quality = 10, .forceBaseline = false}, sof1},
    {"SixteenBitTablesQ3", 80, 56, {.quality = 3, .forceBaseline = false}, sof1},
    {"RgbAdobe", 64, 48, {.quality = 90, .subsampling = Subsampling::s444, .colourSpace = C::rgbAdobe}, sof0},
    {"RgbByIds", 64, 48, {.quality = 90, .subsampling = Subsampling::s444, .colourSpace = C::rgbByIds}, sof0},
    {"RgbAdobeProgressive", 64, 48, {.quality = 75, .subsampling = Subsampling::s444, .colourSpace = C::rgbAdobe, .progressive = true}, sof2},
    {"CmykAdobe", 64, 48, {.quality = 90, .colourSpace = C::cmykAdobe}, sof0},
    {"CmykPlain", 64, 48, {.quality = 90, .colourSpace = C::cmykPlain}, sof0},
    // As ImageMagick writes CMYK: YCCK, every component 1x1.
    {"Ycck", 64, 48, {.quality = 90, .colourSpace = C::ycck}, sof0},
    // libjpeg's own YCCK sampling: Y and K 2x2.
    {"YcckLumaAndBlack2x2", 97, 61, {.quality = 90, .colourSpace = C::ycck, .sampling = {S{2, 2}, S{}, S{}, S{2, 2}}}, sof0},
    {"YcckProgressive", 64, 48, {.quality = 85, .colourSpace = C::ycck, .progressive = true}, sof2},
};
// clang-format on

std::string caseName(const testing::TestParamInfo<FrameCase>& info) { return info.param.name; }

Bytes encoded(const FrameCase& c) { return encodeJpeg(makePhotoLike(c.width, c.height, 17), c.options); }

bool hasSegment(const Bytes& jpeg, uint8_t code) { return !jpegbytes::segmentsWithCode(jpeg, code).empty(); }

// The transform of the Adobe marker the colour space is written with, -1
// for none.
int adobeTransform(const EncodeOptions& options)
{
    if (options.greyscale)
        return -1;
    switch (options.colourSpace) {
    case C::rgbAdobe:
    case C::cmykAdobe: return 0;
    case C::ycck: return 2;
    default: return -1;
    }
}

bool planesAreEqual()
{
    const auto* const begin = picture.plane[0].get();
    const auto* const end = begin + picture.size[0];
    return std::equal(begin, end, picture.plane[1].get()) && std::equal(begin, end, picture.plane[2].get());
}

class FrameLayoutTest : public testing::TestWithParam<FrameCase> {
protected:
    void TearDown() override { resetDecoderGlobals(); }
};

// The reference side: the options write the layout the case is named for.
TEST_P(FrameLayoutTest, EncoderWritesTheIntendedLayout)
{
    const FrameCase& c = GetParam();
    const Bytes jpeg = encoded(c);
    EXPECT_EQ(jpegbytes::frameMarker(jpeg), c.frameMarker);
    EXPECT_EQ(jpegbytes::hasSixteenBitQuantTable(jpeg), !c.options.forceBaseline);
    EXPECT_EQ(jpegbytes::adobeTransform(jpeg), adobeTransform(c.options));
    const bool jfif = c.options.greyscale || c.options.colourSpace == C::yCbCr;
    EXPECT_EQ(hasSegment(jpeg, app0), jfif);
    if (c.options.colourSpace == C::rgbByIds) {
        EXPECT_EQ(jpegbytes::frameComponentIds(jpeg), (Bytes{'R', 'G', 'B'}));
    }
    if (!c.options.scans.empty()) {
        EXPECT_EQ(jpegbytes::segmentsWithCode(jpeg, sos).size(), c.options.scans.size());
    }
}

TEST_P(FrameLayoutTest, EveryFamilyStaysCloseToLibjpeg)
{
    const FrameCase& c = GetParam();
    const Bytes jpeg = encoded(c);
    const RgbImage expected = decodeReference(jpeg);
    for (int32_t family = 0; family < 3; ++family) {
        ASSERT_EQ(decodeBytes(jpeg, family), 1) << "family " << family;
        EXPECT_EQ(picture.colourState, 0);
        expectNearReference(pictureAsRgb(), expected, family, c.name, minPsnrForFrameLayouts);
        if (c.options.greyscale) {
            EXPECT_TRUE(planesAreEqual()) << "family " << family;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Layouts, FrameLayoutTest, testing::ValuesIn(frameCases), caseName);

// A progressive or multi-scan picture with a thumbnail in its EXIF segment:
// the thumbnail is one image and the main picture, all its scans, another.
struct ThumbnailCase {
    const char* name;
    EncodeOptions main, thumbnail;
};

void PrintTo(const ThumbnailCase& c, std::ostream* out) { *out << c.name; }

constexpr int thumbSize = 16, mainWidth = 64, mainHeight = 48;

// clang-format off
const ThumbnailCase thumbnailCases[] = {
    {"ProgressiveWithBaselineThumbnail", {.quality = 90, .progressive = true}, {.quality = 75, .subsampling = Subsampling::s422}},
    {"ProgressiveWithProgressiveThumbnail", {.quality = 90, .progressive = true}, {.quality = 75, .progressive = true}},
    {"ScanPerComponentWithGreyscaleThumbnail", {.quality = 90, .scans = crYCbScans}, {.quality = 75, .greyscale = true}},
};
// clang-format on

class ThumbnailCountTest : public testing::TestWithParam<ThumbnailCase> {
protected:
    void TearDown() override { resetDecoderGlobals(); }
};

TEST_P(ThumbnailCountTest, FileHoldsTwoImagesAndDecodesBoth)
{
    const ThumbnailCase& c = GetParam();
    const Bytes thumbnail = encodeJpeg(makePhotoLike(thumbSize, thumbSize, 5), c.thumbnail);
    const Bytes file = camerafiles::withSegmentsAfterSoi(encodeJpeg(makePhotoLike(mainWidth, mainHeight, 6), c.main),
                                                         camerafiles::exifSegment({}, thumbnail));
    {
        MemoryFiles files;
        files.add("thumbnail.jpg", file);
        jpgFile.parseFile("thumbnail.jpg");
    }
    ASSERT_EQ(jpgFile.error, 0);
    ASSERT_EQ(jpgFile.count, 2);
    EXPECT_EQ(jpgFile.mainImage, 1);
    EXPECT_EQ(jpgFile.images[0].width, thumbSize);
    EXPECT_EQ(jpgFile.images[0].height, thumbSize);
    EXPECT_EQ(jpgFile.images[1].width, mainWidth);
    EXPECT_EQ(jpgFile.images[1].height, mainHeight);
    const RgbImage mainReference = decodeReference(file), thumbnailReference = decodeReference(thumbnail);
    for (int32_t family = 0; family < 3; ++family) {
        ASSERT_EQ(decodeBytes(file, family), 2) << "family " << family;
        expectNearReference(pictureAsRgb(), mainReference, family, std::string(c.name) + "-main",
                            minPsnrForFrameLayouts);
        ASSERT_EQ(decodeBytes(file, family, 0), 2) << "family " << family;
        expectNearReference(pictureAsRgb(), thumbnailReference, family, std::string(c.name) + "-thumbnail",
                            minPsnrForFrameLayouts);
    }
}

INSTANTIATE_TEST_SUITE_P(Files, ThumbnailCountTest, testing::ValuesIn(thumbnailCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Within a scan, the MCU the cut falls in is read with zero bits past the
// end, as libjpeg-turbo reads it, and the blocks after it keep what earlier
// scans gave them: the picture is as close to libjpeg-turbo's as a whole one.
struct CutCase {
    const char* name;
    size_t scan;  // 0 = the first
    int percent;  // of the scan's data kept; 100 keeps all of it
};

void PrintTo(const CutCase& c, std::ostream* out) { *out << c.name; }

const CutCase cutCases[] = {
    {"AfterDcScan", 0, 100},    {"AfterFirstLumaBand", 1, 100},
    {"AfterFirstPass", 5, 100}, {"AfterEveryScanWithoutEnd", 9, 100},
    {"InsideDcScan", 0, 50},    {"InsideFirstLumaBand", 1, 50},
    {"InsideCrScan", 2, 50},    {"InsideLastRefinement", 9, 60},
};

Bytes cutShort(const Bytes& whole, const CutCase& c)
{
    return c.percent == 100 ? jpegbytes::cutAfterScan(whole, c.scan)
                            : jpegbytes::cutInsideScan(whole, c.scan, c.percent);
}

// A progressive file cut short, at the end of a scan or inside one. The
// default script for Y/Cb/Cr writes ten scans: DC, Y 1-5, Cr, Cb, Y 6-63,
// Y's refinement, DC's refinement, Cr's, Cb's, Y's.
class ProgressiveCutTest : public testing::TestWithParam<CutCase> {
protected:
    void TearDown() override { resetDecoderGlobals(); }
};

TEST_P(ProgressiveCutTest, ShowsWhatTheScansHoldLikeLibjpeg)
{
    const CutCase& c = GetParam();
    const Bytes whole = encodeJpeg(makePhotoLike(97, 61, 19), {.quality = 90, .progressive = true});
    ASSERT_EQ(jpegbytes::segmentsWithCode(whole, sos).size(), 10u);
    const Bytes cut = cutShort(whole, c);
    const ReferenceDecode reference = decodeReferenceQuietly(cut);
    EXPECT_GT(reference.warnings, 0);  // libjpeg-turbo notices the missing end
    for (int32_t family = 0; family < 3; ++family) {
        ASSERT_EQ(decodeBytes(cut, family), 1) << "family " << family;
        EXPECT_TRUE(jpgFile.scanTruncated);
        expectNearReference(pictureAsRgb(), reference.image, family, std::string("Cut") + c.name,
                            minPsnrForFrameLayouts);
    }
}

INSTANTIATE_TEST_SUITE_P(Cuts, ProgressiveCutTest, testing::ValuesIn(cutCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
