#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "jpeg/file/container.h"
#include "jpeg/globals.h"
#include "jpeg/output/picture.h"
#include "support/decode_helpers.h"
#include "support/jpeg_builder.h"
#include "support/reference_codec.h"

using namespace jpegbytes;

namespace {

// Files that are not well formed must load or fail cleanly. These check the
// result; the sanitizer presets check that nothing reads or writes out of
// bounds on the way.
class DamagedFile : public testing::Test {
protected:
    void TearDown() override { resetDecoderGlobals(); }

    static Bytes photo(Subsampling layout, int restartInterval = 0)
    {
        return encodeJpeg(makePhotoLike(40, 24, 3), {75, layout, restartInterval, false});
    }

    // A load either fails with 0 or gives the file's image count and a
    // picture of the frame header's size.
    static void expectCleanLoad(const Bytes& file)
    {
        const int32_t result = decodeBytes(file);
        if (result == 0)
            return;
        EXPECT_EQ(result, jpgFile.count);
        EXPECT_EQ(int64_t{picture.size[0]}, int64_t{picture.width[0]} * picture.height[0]);
    }

    // Offset of the first entropy-coded byte of the last image.
    static size_t scanStart(const Bytes& file)
    {
        decodeBytes(file);
        return static_cast<size_t>(jpgFile.images[jpgFile.count - 1].scanStart);
    }
};

TEST_F(DamagedFile, TruncatedAtEveryOffsetLoadsOrFails)
{
    for (const Bytes& file : {photo(Subsampling::s420, 2), photo(Subsampling::s444)}) {
        for (size_t length = 0; length < file.size(); ++length) {
            SCOPED_TRACE(length);
            expectCleanLoad(Bytes(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(length)));
        }
    }
}

TEST_F(DamagedFile, BitFlipsInHeadersAndScanDataLoadOrFail)
{
    const Bytes file = photo(Subsampling::s422, 3);
    const size_t scan = scanStart(file);
    std::mt19937 random(7);
    for (int n = 0; n < 600; ++n) {
        Bytes damaged = file;
        // Half the flips land in the headers, half in the scan data.
        const size_t low = n % 2 == 0 ? 0 : scan;
        const size_t high = n % 2 == 0 ? scan - 1 : file.size() - 3;
        for (int flips = 1 + n % 3; flips > 0; --flips) {
            const size_t at = std::uniform_int_distribution<size_t>(low, high)(random);
            damaged[at] ^= static_cast<uint8_t>(1u << (random() % 8));
        }
        SCOPED_TRACE(n);
        expectCleanLoad(damaged);
    }
}

TEST_F(DamagedFile, FrameLargerThanThePictureLimitIsRefusedUntouched)
{
    for (const auto& [width, height] : {std::pair<uint16_t, uint16_t>{65535, 65535}, {16384, 16385}}) {
        picture.allocate(2, 2);
        const Bytes file = join({soi(), sof0Colour(width, height), zeroTables(), sosColour(), Bytes(64, 0), eoi()});
        EXPECT_EQ(decodeBytes(file), 0);
        EXPECT_EQ(picture.width[0], 2);
        ASSERT_NE(picture.plane[0], nullptr);
    }
}

TEST_F(DamagedFile, HuffmanTablesWithImpossibleCountsLoadOrFail)
{
    const std::vector<std::vector<uint8_t>> countSets = {
        {255},                                             // more codes of length 1 than there are
        {0, 0, 0, 0, 0, 0, 0, 255, 255},                   // the 8-bit codes overflow into 9 bits
        std::vector<uint8_t>(16, 255),                     // 4080 codes
        {2, 2, 2, 2},                                      // every code of every length used twice over
        {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1},  // one code, of length 16
    };
    for (const auto& counts : countSets) {
        size_t total = 0;
        for (const uint8_t n : counts)
            total += n;
        Bytes values(total);
        for (size_t v = 0; v < total; ++v)
            values[v] = static_cast<uint8_t>(v * 37);
        const Bytes tables = join({dqt(0, 3), dht(0, 0, counts, values), dht(1, 0, counts, values)});
        Bytes data(256);
        for (size_t k = 0; k < data.size(); ++k)
            data[k] = static_cast<uint8_t>(k * 101 % 255);
        expectCleanLoad(join({soi(), sof0Colour(24, 16, 0x21), tables, sosColour(), data, eoi()}));
    }
}

// Run 1..14 with size 0 is a symbol T.81 leaves unused; it moves no
// coefficient on. Decoded from the zeros past the end of the data it would
// come back forever.
TEST_F(DamagedFile, AcSymbolsThatNeverAdvanceFailTheBlock)
{
    const std::vector<uint8_t> oneCode = {1};
    const Bytes tables = join({dqt(0), dht(0, 0, oneCode, {0x00}), dht(1, 0, oneCode, {0x10})});
    EXPECT_EQ(decodeBytes(join({soi(), sof0Colour(8, 8), tables, sosColour(), Bytes(4, 0), eoi()})), 0);
}

// A 0xFF 0xDA pair among Huffman values that the file's end cuts short
// starts no image: the file holds none, and the code says why.
TEST_F(DamagedFile, HuffmanValuesCutShortLeaveNoImageAndTheirCode)
{
    Bytes cut = {0xFF, 0xC4, 0x00, 0x16, 0x00, 3};
    cut.resize(cut.size() + 15, 0);
    cut.insert(cut.end(), {0xFF, 0xDA});
    EXPECT_EQ(decodeBytes(join({soi(), sof0Colour(8, 8), cut})), 0);
    EXPECT_EQ(jpgFile.error, 0);
    EXPECT_EQ(jpgFile.count, 0);
    EXPECT_EQ(jpgFile.trailingFailure, 504);
}

TEST_F(DamagedFile, RestartIntervalWithoutRestartMarkersLoadsOrFails)
{
    const Bytes file = photo(Subsampling::s420);
    const size_t scan = scanStart(file);
    // The interval goes right before the scan header.
    const size_t header = scan - 14;
    for (const uint16_t interval : {1, 2, 7, 65535}) {
        Bytes damaged(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(header));
        const Bytes restart = dri(interval);
        damaged.insert(damaged.end(), restart.begin(), restart.end());
        damaged.insert(damaged.end(), file.begin() + static_cast<std::ptrdiff_t>(header), file.end());
        expectCleanLoad(damaged);
    }
}

TEST_F(DamagedFile, RestartMarkersWithoutIntervalLoadOrFail)
{
    Bytes file = photo(Subsampling::s444, 1);
    const Bytes restart = dri(1);
    const auto found = std::search(file.begin(), file.end(), restart.begin(), restart.end());
    ASSERT_NE(found, file.end());
    file.erase(found, found + static_cast<std::ptrdiff_t>(restart.size()));
    expectCleanLoad(file);
}

// Three 0xFF fill bytes before every marker that starts in [from, to).
Bytes withFillBytes(const Bytes& file, size_t from, size_t to)
{
    Bytes out;
    for (size_t at = 0; at < file.size(); ++at) {
        if (at >= from && at < to && file[at] == 0xFF && at + 1 < file.size() && file[at + 1] != 0x00)
            out.insert(out.end(), 3, 0xFF);
        out.push_back(file[at]);
    }
    return out;
}

// T.81 B.1.1.2 lets any marker be preceded by fill bytes. Among the header
// segments the walk steps over them; inside the scan data they are dropped
// before restart markers and EOI alike.
TEST_F(DamagedFile, FillBytesBeforeMarkers)
{
    const Bytes file = photo(Subsampling::s420, 2);
    const size_t scan = scanStart(file);
    ASSERT_EQ(decodeBytes(file), 1);
    const RgbImage clean = pictureAsRgb();

    for (const auto& [from, to] : {std::pair{size_t{0}, scan}, std::pair{scan, file.size()}}) {
        ASSERT_EQ(decodeBytes(withFillBytes(file, from, to)), 1);
        EXPECT_EQ(pictureAsRgb().rgb, clean.rgb);
    }
}

// Four components take the frame decoder. Its scans have no data: the
// zeros read in its place are the code of a DC difference of -2047, which
// takes every block decoded from them to black. A frame of one scan is
// read on to its end, as the row decoder reads a scan: black throughout. A
// frame of several scans stops where the data does: the first MCU row is
// decoded so, the rows after it are left flat, not decoded from more
// zeros.
TEST_F(DamagedFile, ScanDataThatRunsOutIsReadOnOnlyInAFrameOfOneScan)
{
    const std::vector<uint8_t> oneCode = {1};
    const Bytes tables = join({dqt(0), dht(0, 0, oneCode, {0x0B}), dht(1, 0, oneCode, {0x00})});
    const Bytes frame = sof0(32, 32, {{1, 0x11, 0}, {2, 0x11, 0}, {3, 0x11, 0}, {4, 0x11, 0}});
    const struct {
        Bytes scans;
        bool readOn;
    } cases[] = {
        {sos({{1, 0x00}, {2, 0x00}, {3, 0x00}, {4, 0x00}}), true},
        {join({sos({{1, 0x00}, {2, 0x00}}), sos({{3, 0x00}, {4, 0x00}})}), false},
    };
    for (const auto& c : cases) {
        ASSERT_EQ(decodeBytes(join({soi(), frame, tables, c.scans, eoi()})), 1);
        const RgbImage rgb = pictureAsRgb();
        const size_t rowBytes = size_t(rgb.width) * 3;
        const auto afterFirstRow = rgb.rgb.begin() + static_cast<std::ptrdiff_t>(8 * rowBytes);
        EXPECT_TRUE(std::all_of(afterFirstRow, rgb.rgb.end(), [&](uint8_t v) { return v == *afterFirstRow; }));
        EXPECT_EQ(rgb.rgb.front() == *afterFirstRow, c.readOn);
    }
}

// A progressive scan header for component 1 with tables 0: band ss..se,
// bits ah and al.
Bytes progressiveScan(uint8_t ss, uint8_t se, uint8_t ah, uint8_t al)
{
    Bytes scan = sos({{1, 0x00}});
    const size_t band = scan.size() - 3;
    scan[band] = ss;
    scan[band + 1] = se;
    scan[band + 2] = static_cast<uint8_t>(ah << 4 | al);
    return scan;
}

// Every code of the scans is "0" for size 15 followed by fifteen 1 bits:
// DC predictions past 16 bits and every AC term at 32767, each shifted up
// by Al 13 and dequantised by 65535. The coefficients wrap, the products
// in the transforms wrap, and every family still gives samples.
TEST_F(DamagedFile, LargestProgressiveTermsUnderSixteenBitTablesDecode)
{
    Bytes frame = sof0(16, 8, {{1, 0x11, 0}});
    frame[1] = 0xC2;
    Bytes table = {0x10};
    for (int k = 0; k < 64; ++k)
        table.insert(table.end(), {0xFF, 0xFF});
    const std::vector<uint8_t> oneCode = {1};
    const Bytes tables = join({segment(0xDB, table), dht(0, 0, oneCode, {0x0F}), dht(1, 0, oneCode, {0x0F})});
    Bytes largest;
    for (int code = 0; code < 2 * 64; ++code)
        largest.insert(largest.end(), {0x7F, 0xFF, 0x00});
    const Bytes dc(largest.begin(), largest.begin() + 6);
    const Bytes refinement = {0xFF, 0x00};
    const Bytes file = join({soi(), frame, tables, progressiveScan(0, 0, 0, 13), dc, progressiveScan(1, 63, 0, 13),
                             largest, progressiveScan(0, 0, 13, 12), refinement, eoi()});
    for (int32_t family = 0; family < 3; ++family) {
        EXPECT_EQ(decodeBytes(file, family), 1) << "family " << family;
        EXPECT_EQ(jpgFile.images[0].laterScanCount, 2);
    }
}

TEST_F(DamagedFile, MegabyteOfScanMarkersFailsAtTheFirstHeader)
{
    Bytes file;
    for (int n = 0; n < (1 << 19); ++n)
        file.insert(file.end(), {0xFF, 0xDA});
    EXPECT_EQ(decodeBytes(file), 0);
    EXPECT_EQ(jpgFile.error, 302);
    EXPECT_EQ(jpgFile.count, 0);
}

TEST_F(DamagedFile, MegabyteOfEmptyHuffmanSegmentsLoads)
{
    std::vector<uint8_t> counts(16, 255);
    const Bytes full = dht(1, 0, counts, Bytes(16 * 255, 0x00));
    Bytes file = join({soi(), sof0Colour(16, 16), dqt(0), dht(0, 0, {1}, {0x00}), full});
    while (file.size() < (1u << 20))
        file.insert(file.end(), {0xFF, 0xC4, 0x00, 0x00});
    const Bytes rest = join({sosColour(), Bytes(16, 0), eoi()});
    file.insert(file.end(), rest.begin(), rest.end());
    EXPECT_EQ(decodeBytes(file), 1);
}

}  // namespace
