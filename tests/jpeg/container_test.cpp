#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "jpeg/file/container.h"
#include "jpeg/file/result_codes.h"
#include "jpeg/globals.h"
#include "support/jpeg_builder.h"
#include "support/memory_files.h"

using namespace jpegbytes;

namespace {

struct CodeCase {
    const char* name;
    Bytes tail;
    int32_t code;
};

Bytes frame(uint8_t precision, uint8_t count, const Bytes& components)
{
    const auto length = static_cast<uint8_t>(8 + components.size());
    Bytes out{0xFF, 0xC0, 0x00, length, precision, 0x00, 0x10, 0x00, 0x10, count};
    out.insert(out.end(), components.begin(), components.end());
    return out;
}

Bytes quantTable(uint8_t spec, size_t values)
{
    Bytes out{0xFF, 0xDB, 0x00, 0x43, spec};
    out.insert(out.end(), values, 1);
    return out;
}

const CodeCase codeCases[] = {
    {"FrameHeaderCutShort", {0xFF, 0xC0, 0x00, 0x11, 0x08, 0x00}, 201},
    {"PrecisionTwelve", frame(12, 1, {1, 0x11, 0}), 202},
    {"FiveComponents", frame(8, 5, {1, 0x11, 0}), 202},
    {"QuantSelectorAboveThree", frame(8, 1, {1, 0x11, 4}), 202},
    {"HorizontalSamplingZero", frame(8, 1, {1, 0x01, 0}), 202},
    {"VerticalSamplingFive", frame(8, 1, {1, 0x15, 0}), 202},
    {"FrameComponentCutShort", frame(8, 2, {1, 0x11, 0, 2, 0x11}), 203},
    {"FrameComponentIdRepeated", frame(8, 3, {0, 0x11, 0, 1, 0x11, 0, 0, 0x11, 0}), 204},
    {"ScanHeaderCutShort", {0xFF, 0xDA, 0x00, 0x08}, 301},
    {"FiveScanComponents", {0xFF, 0xDA, 0x00, 0x08, 0x05, 0x01, 0x00, 0x00, 0x3F, 0x00}, 302},
    {"ScanSelectorCutShort", {0xFF, 0xDA, 0x00, 0x0C, 0x03, 0x01}, 303},
    {"ScanSelectorFive", {0xFF, 0xDA, 0x00, 0x08, 0x01, 0x05, 0x00, 0x00, 0x3F, 0x00}, 304},
    {"DcTableAboveThree", {0xFF, 0xDA, 0x00, 0x08, 0x01, 0x01, 0x40, 0x00, 0x3F, 0x00}, 304},
    {"AcTableAboveThree", {0xFF, 0xDA, 0x00, 0x08, 0x01, 0x01, 0x04, 0x00, 0x3F, 0x00}, 304},
    {"SpectralSelectionCutShort", {0xFF, 0xDA, 0x00, 0x08, 0x01, 0x01, 0x00, 0x00, 0x3F}, 305},
    {"QuantHeaderCutShort", {0xFF, 0xDB, 0x00}, 401},
    {"QuantPrecisionTwo", quantTable(0x20, 64), 402},
    {"QuantIdFour", quantTable(0x04, 64), 402},
    {"QuantValuesCutShort", quantTable(0x00, 10), 403},
    {"HuffmanHeaderCutShort", {0xFF, 0xC4, 0x00}, 501},
    {"HuffmanClassTwo", {0xFF, 0xC4, 0x00, 0x14, 0x20, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 502},
    {"HuffmanIdFour", {0xFF, 0xC4, 0x00, 0x14, 0x14, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 502},
    {"HuffmanCountsCutShort", {0xFF, 0xC4, 0x00, 0x14, 0x00, 1, 0, 0, 0, 0}, 503},
    {"HuffmanValuesCutShort", {0xFF, 0xC4, 0x00, 0x16, 0x00, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 7}, 504},
    {"RestartIntervalCutShort", {0xFF, 0xDD, 0x00, 0x04, 0x00}, 750},
};

bool isScanHeader(const Bytes& segment) { return segment[1] == 0xDA; }

// The codes of segments that run past the end of the file: nothing can
// follow them.
bool cutOff(int32_t code)
{
    for (const int32_t cut : {201, 203, 301, 303, 305, 401, 403, 501, 503, 504, 750})
        if (code == cut)
            return true;
    return false;
}

template <typename Keep>
std::vector<CodeCase> codeCasesWhere(Keep keep)
{
    std::vector<CodeCase> kept;
    for (const CodeCase& c : codeCases)
        if (keep(c))
            kept.push_back(c);
    return kept;
}

std::string caseName(const testing::TestParamInfo<CodeCase>& info) { return info.param.name; }

// The segments of the image a scan starts: one that cannot be read fails
// the file, and so does a bad scan header.
class ImageSegmentCodeTest : public testing::TestWithParam<CodeCase> {};

TEST_P(ImageSegmentCodeTest, FailsTheParseAndClearsTheIndex)
{
    const Bytes& tail = GetParam().tail;
    MemoryFiles files;
    files.add("bad.jpg", join({soi(), tail, isScanHeader(tail) ? Bytes{} : join({sosColour(), {0x00}, eoi()})}));
    jpgFile.parseFile("bad.jpg");
    EXPECT_EQ(jpgFile.error, GetParam().code);
    EXPECT_EQ(jpgFile.count, 0);
    EXPECT_EQ(jpgFile.images, nullptr);
    EXPECT_EQ(jpgFile.pos, 0);
}

INSTANTIATE_TEST_SUITE_P(EveryCode, ImageSegmentCodeTest, testing::ValuesIn(codeCasesWhere([](const CodeCase& c) {
                             return isScanHeader(c.tail) || !cutOff(c.code);
                         })),
                         caseName);

// After the last scan a segment belongs to no image: the parse succeeds,
// and the code is kept to explain why the file shows nothing.
class TrailingSegmentCodeTest : public testing::TestWithParam<CodeCase> {};

TEST_P(TrailingSegmentCodeTest, IsOnlyNoted)
{
    MemoryFiles files;
    files.add("bad.jpg", join({soi(), GetParam().tail}));
    jpgFile.parseFile("bad.jpg");
    EXPECT_EQ(jpgFile.error, 0);
    EXPECT_EQ(jpgFile.count, 0);
    EXPECT_EQ(jpgFile.trailingFailure, GetParam().code);
}

INSTANTIATE_TEST_SUITE_P(EveryCode, TrailingSegmentCodeTest,
                         testing::ValuesIn(codeCasesWhere([](const CodeCase& c) { return !isScanHeader(c.tail); })),
                         caseName);

TEST(ParseFile, UnreadableFilesFailWith101)
{
    MemoryFiles files;
    files.add("short.jpg", join({soi(), sosColour(), eoi()}));
    files.failWith("short.jpg", FileReader::Result::shortRead);
    for (const char* path : {"missing.jpg", "short.jpg"}) {
        jpgFile.parseFile(path);
        EXPECT_EQ(jpgFile.error, 101) << path;
        EXPECT_EQ(jpgFile.count, 0) << path;
    }
}

TEST(ParseFile, RefusesFileLargerThanSignedThirtyTwoBitsWithoutReadingIt)
{
    namespace fs = std::filesystem;
    const fs::path path = fs::temp_directory_path() / "viewer-huge-test.jpg";
    std::ofstream(path, std::ios::binary).put('\xFF');
    std::error_code error;
    fs::resize_file(path, uintmax_t{1} << 31, error);  // sparse: costs no disk
    ASSERT_FALSE(error) << error.message();
    jpgFile.parseFile(path.string());
    fs::remove(path, error);
    EXPECT_EQ(jpgFile.error, 101);
    EXPECT_EQ(jpgFile.fileSize, 0);
}

TEST(ParseFile, FileWithoutScanHeaderHasNoImages)
{
    MemoryFiles files;
    files.add("empty.jpg", join({soi(), dqt(0), eoi()}));
    jpgFile.parseFile("empty.jpg");
    EXPECT_EQ(jpgFile.error, 0);
    EXPECT_EQ(jpgFile.count, 0);
}

TEST(ParseFile, ThumbnailInsideApplicationSegmentIsImageZero)
{
    const Bytes thumbnail = join({soi(), dqt(1, 7), sof0Colour(16, 8), sosColour(), {0x12}, eoi()});
    const Bytes file =
        join({soi(), app1(thumbnail), dqt(0, 3), dri(4), sof0Colour(640, 480, 0x22), sosColour(), {0x34}, eoi()});
    MemoryFiles files;
    files.add("two.jpg", file);
    jpgFile.parseFile("two.jpg");
    ASSERT_EQ(jpgFile.error, 0);
    ASSERT_EQ(jpgFile.count, 2);
    const tjpgel& thumb = jpgFile.images[0];
    const tjpgel& main = jpgFile.images[1];
    EXPECT_EQ(thumb.width, 16);
    EXPECT_EQ(thumb.height, 8);
    ASSERT_NE(thumb.quant[1], nullptr);
    EXPECT_EQ(thumb.quant[1][0], 7);
    EXPECT_EQ(thumb.quant[0], nullptr);
    EXPECT_EQ(thumb.restartInterval, 0);
    EXPECT_EQ(main.width, 640);
    EXPECT_EQ(main.component[0].hSampling, 2);
    EXPECT_EQ(main.quant[0][63], 3);
    EXPECT_EQ(main.quant[1], nullptr);
    EXPECT_EQ(main.restartInterval, 4);
    EXPECT_EQ(file[main.scanStart], 0x34);
}

TEST(ParseFile, TablesAfterTheLastScanBelongToNoImage)
{
    MemoryFiles files;
    files.add("late.jpg", join({soi(), dqt(0, 5), sof0Colour(8, 8), sosColour(), {0x00}, dqt(0, 9), dqt(2, 9), eoi()}));
    jpgFile.parseFile("late.jpg");
    ASSERT_EQ(jpgFile.error, 0);
    ASSERT_EQ(jpgFile.count, 1);
    EXPECT_EQ(jpgFile.images[0].quant[0][0], 5);
    EXPECT_EQ(jpgFile.images[0].quant[2], nullptr);
}

TEST(ParseFile, FrameOfSeveralScansIsOneImage)
{
    MemoryFiles files;
    files.add("planar.jpg", join({soi(),
                                  dqt(0),
                                  sof0Colour(8, 8),
                                  sos({{1, 0}}),
                                  {0x00},
                                  sos({{2, 0}}),
                                  {0x00},
                                  sos({{3, 0}}),
                                  {0x00},
                                  eoi()}));
    jpgFile.parseFile("planar.jpg");
    ASSERT_EQ(jpgFile.error, 0);
    ASSERT_EQ(jpgFile.count, 1);
    EXPECT_TRUE(jpgFile.images[0].hasFrameHeader);
    EXPECT_EQ(jpgFile.images[0].scanComponentCount, 1);
    EXPECT_EQ(jpgFile.images[0].laterScanCount, 2);
}

// A picture of zero-coded blocks: its tables, frame and scan.
Bytes zeroPicture(uint16_t width, uint16_t height, const Bytes& beforeScan = {})
{
    return join({soi(), zeroTables(), beforeScan, sof0Colour(width, height), sosColour(), {0x00}, eoi()});
}

// Payloads hold what they like; only the segments between them are read.
TEST(ParseFile, MarkerPairsInsidePayloadsAreNotSegments)
{
    const Bytes lookAlikes = join({dri(50), dqt(0, 9), sos({{1, 0x00}}), {0x00, 0xFF, 0xDA}});
    const Bytes file = join({soi(),
                             segment(0xE1, lookAlikes),
                             segment(0xE2, lookAlikes),
                             segment(0xFE, lookAlikes),
                             zeroTables(),
                             sof0Colour(16, 8),
                             sosColour(),
                             {0x00},
                             eoi()});
    MemoryFiles files;
    files.add("stray.jpg", file);
    jpgFile.parseFile("stray.jpg");
    ASSERT_EQ(jpgFile.error, 0);
    ASSERT_EQ(jpgFile.count, 1);
    EXPECT_EQ(jpgFile.mainImage, 0);
    EXPECT_EQ(jpgFile.images[0].restartInterval, 0);
    EXPECT_EQ(jpgFile.images[0].quant[0][0], 1);
}

// Thumbnails before, appended streams after: the main picture is the last
// image of the file's own stream, and data after it that starts no stream
// is ignored.
TEST(ParseFile, MainPictureIsTheLastImageBeforeTheFilesOwnEnd)
{
    const Bytes thumbnail = zeroPicture(8, 8);
    const Bytes file = join({soi(),
                             app1(join({{'E', 'x', 'i', 'f', 0, 0}, thumbnail})),
                             zeroTables(),
                             sof0Colour(64, 48),
                             sosColour(),
                             {0x00},
                             eoi(),
                             {0xFF, 0xDA, 0xFF, 0xC4, 0x00},
                             zeroPicture(32, 24),
                             Bytes(100, 0xFF),
                             zeroPicture(16, 16)});
    MemoryFiles files;
    files.add("mpf.jpg", file);
    jpgFile.parseFile("mpf.jpg");
    ASSERT_EQ(jpgFile.error, 0);
    ASSERT_EQ(jpgFile.count, 4);
    EXPECT_EQ(jpgFile.mainImage, 1);
    const int32_t widths[] = {8, 64, 32, 16};
    for (int32_t n = 0; n < 4; ++n)
        EXPECT_EQ(jpgFile.images[n].width, widths[n]) << n;
    EXPECT_LT(jpgFile.images[0].streamEnd, jpgFile.images[1].scanStart);
    EXPECT_EQ(jpgFile.images[3].streamEnd, jpgFile.fileSize);
}

// A nested or appended stream that cannot be read spoils its own image
// only; the file and every other image are untouched.
TEST(ParseFile, BadNestedStreamMarksOnlyItsImage)
{
    const Bytes badTables =
        join({soi(), {0xFF, 0xDB, 0x00, 0x43, 0x14}, Bytes(64, 1), sof0Colour(8, 8), sosColour(), {0x00}, eoi()});
    const Bytes badScan = join({soi(), zeroTables(), sof0Colour(8, 8), {0xFF, 0xDA, 0x00, 0x08, 0x07}});
    const Bytes file = join({soi(),
                             app1(badTables),
                             segment(0xE2, badScan),
                             zeroTables(),
                             sof0Colour(24, 16),
                             sosColour(),
                             {0x00},
                             eoi(),
                             badTables});
    MemoryFiles files;
    files.add("bad-thumbnails.jpg", file);
    jpgFile.parseFile("bad-thumbnails.jpg");
    ASSERT_EQ(jpgFile.error, 0);
    ASSERT_EQ(jpgFile.count, 4);
    EXPECT_EQ(jpgFile.mainImage, 2);
    const int32_t failures[] = {402, 302, 0, 402};
    for (int32_t n = 0; n < 4; ++n)
        EXPECT_EQ(jpgFile.images[n].failure, failures[n]) << n;
}

// Streams nest as deep as real files go, and no deeper: a crafted file
// cannot make the walk recurse without end.
TEST(ParseFile, NestedStreamsAreLookedForFourLevelsDown)
{
    Bytes stream = zeroPicture(8, 8);
    for (int level = 0; level < 6; ++level)
        stream = join({soi(), app1(stream), zeroTables(), sof0Colour(16, 16), sosColour(), {0x00}, eoi()});
    MemoryFiles files;
    files.add("deep.jpg", stream);
    jpgFile.parseFile("deep.jpg");
    ASSERT_EQ(jpgFile.error, 0);
    EXPECT_EQ(jpgFile.count, 5);
    EXPECT_EQ(jpgFile.mainImage, 4);
}

TEST(ParseFile, FrameMarkersAreNotedFromTheStructure)
{
    const Bytes lossless = {0xFF, 0xC3, 0x00, 0x0B, 8, 0, 8, 0, 8, 1, 1, 0x11, 0};
    const Bytes file = join({soi(), segment(0xFE, {0xFF, 0xC9}), zeroTables(), lossless, sosColour(), {0x00}, eoi()});
    MemoryFiles files;
    files.add("sof3.jpg", file);
    jpgFile.parseFile("sof3.jpg");
    ASSERT_EQ(jpgFile.count, 1);
    EXPECT_EQ(jpgFile.streamFrameMarker, 0xC3);
    EXPECT_EQ(jpgFile.images[0].frameMarker, 0xC3);
    EXPECT_FALSE(jpgFile.images[0].hasFrameHeader);
}

TEST(ParseFile, ReparsingStartsFromScratch)
{
    MemoryFiles files;
    files.add("one.jpg", join({soi(), sof0Colour(8, 8), sosColour(), eoi()}));
    files.add("bad.jpg", join({soi(), {0xFF, 0xDA, 0x00}}));
    jpgFile.parseFile("one.jpg");
    ASSERT_EQ(jpgFile.count, 1);
    jpgFile.parseFile("bad.jpg");
    EXPECT_EQ(jpgFile.error, 301);
    jpgFile.parseFile("one.jpg");
    EXPECT_EQ(jpgFile.error, 0);
    EXPECT_EQ(jpgFile.count, 1);
}

struct ScanCase {
    const char* name;
    Bytes data;
    Bytes reversed;
};

class ExtractScanTest : public testing::TestWithParam<ScanCase> {};

TEST_P(ExtractScanTest, RemovesStuffingAndMarkersAndReverses)
{
    jpgFile.fileData = GetParam().data;
    jpgFile.fileSize = static_cast<int32_t>(jpgFile.fileData.size());
    jpgFile.extractScan(0, jpgFile.fileSize);
    ASSERT_EQ(jpgFile.scanLength, static_cast<int32_t>(GetParam().reversed.size()));
    EXPECT_EQ(Bytes(jpgFile.scan(), jpgFile.scan() + jpgFile.scanLength), GetParam().reversed);
    for (int32_t below = 1; below <= tjpg::scanPadding; ++below)
        EXPECT_EQ(jpgFile.scan()[-below], 0);
}

INSTANTIATE_TEST_SUITE_P(
    Examples, ExtractScanTest,
    testing::Values(
        ScanCase{"StuffingAndRestart",
                 {0x12, 0xFF, 0x00, 0x34, 0xFF, 0xD0, 0x56, 0xFF, 0xD9},
                 {0x56, 0x34, 0xFF, 0x12}},
        ScanCase{"EndOfImageFirst", {0xFF, 0xD9}, {}},
        ScanCase{"RestartMarkersVanish", {0xAA, 0xFF, 0xD7, 0xBB, 0xFF, 0xD9}, {0xBB, 0xAA}},
        ScanCase{"FillBytesBeforeMarkers", {0xAA, 0xFF, 0xFF, 0xD0, 0xBB, 0xFF, 0xFF, 0xFF, 0xD9}, {0xBB, 0xAA}}),
    [](const auto& info) { return std::string(info.param.name); });

// A file cut short keeps what it holds of the scan; a 0xFF at the very end
// is half a marker, not data. Only a scan with no data at all fails.
TEST(ExtractScan, KeepsDataCutShortAndFailsOnlyWhenThereIsNone)
{
    const struct {
        Bytes data;
        Bytes reversed;
    } cases[] = {{{0x12, 0x34}, {0x34, 0x12}}, {{0x12, 0xFF}, {0x12}}, {{0x12, 0xFF, 0x00, 0x56}, {0x56, 0xFF, 0x12}}};
    for (const auto& c : cases) {
        jpgFile.fileData = c.data;
        jpgFile.fileSize = static_cast<int32_t>(c.data.size());
        jpgFile.extractScan(0, jpgFile.fileSize);
        EXPECT_TRUE(jpgFile.scanTruncated);
        EXPECT_EQ(Bytes(jpgFile.scan(), jpgFile.scan() + jpgFile.scanLength), c.reversed);
    }
    for (const Bytes& data : {Bytes{}, Bytes{0xFF}, Bytes{0xFF, 0xD0}}) {
        jpgFile.fileData = data;
        jpgFile.fileSize = static_cast<int32_t>(data.size());
        try {
            jpgFile.extractScan(0, jpgFile.fileSize);
            ADD_FAILURE() << "no code raised";
        } catch (const JpegError& failure) {
            EXPECT_EQ(failure.code, 601);
        }
    }
}

// A thumbnail's scan ends where its segment does, whatever follows.
TEST(ExtractScan, StopsAtTheEndOfItsStream)
{
    jpgFile.fileData = {0x12, 0x34, 0x56, 0xFF, 0xD9};
    jpgFile.fileSize = 5;
    jpgFile.extractScan(0, 2);
    EXPECT_TRUE(jpgFile.scanTruncated);
    EXPECT_EQ(Bytes(jpgFile.scan(), jpgFile.scan() + jpgFile.scanLength), (Bytes{0x34, 0x12}));
}

}  // namespace
