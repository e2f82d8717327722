// The row decoder and the frame decoder read blocks with the same reader:
// every sequential layout the row decoder takes must come out of both the
// same, on good files and on damaged ones. Planes are compared where a
// decode succeeds; a failed one keeps its blocks only in the row decoder's
// planes, so the terms each block hands the inverse DCT are compared too,
// up to the block where both must fail.
// The two decoders end a scan differently: the frame decoder at any marker
// but a restart, where a later scan may follow, and one MCU row after its
// data runs out. Files damaged there are compared block by block only,
// both readers reading the same bytes.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "jpeg/entropy/entropy.h"
#include "jpeg/entropy/scan_coefficients.h"
#include "jpeg/entropy/zigzag.h"
#include "jpeg/file/container.h"
#include "jpeg/frame/frame_decoder.h"
#include "jpeg/frame/frame_layout.h"
#include "jpeg/globals.h"
#include "jpeg/output/picture.h"
#include "jpeg/rows/mcu_rows.h"
#include "jpeg/rows/row_decoder.h"
#include "support/camera_segments.h"
#include "support/decode_helpers.h"
#include "support/jpeg_builder.h"
#include "support/memory_files.h"
#include "support/scan_damage.h"

namespace {

using Bytes = std::vector<uint8_t>;
using Terms = std::array<int32_t, 64>;

struct Decoded {
    bool decoded = false;
    Planes planes;
};

Decoded byRows(const Bytes& bytes)
{
    testDecodeOptions().threads = 1;
    const bool decoded = decodeBytes(bytes) != 0;
    EXPECT_NE(lastDecodePath(), DecodePath::frame);
    return {decoded, picturePlanes()};
}

// Leaves the file parsed in jpgFile; false when it holds no image.
bool parse(const Bytes& bytes)
{
    MemoryFiles files;
    files.add("memory.jpg", bytes);
    jpgFile.parseFile("memory.jpg");
    return jpgFile.error == 0 && jpgFile.count > 0;
}

const tjpgel& mainImage() { return jpgFile.images[jpgFile.mainImage]; }

Decoded byFrame(const Bytes& bytes)
{
    picture.clear();
    if (!parse(bytes))
        return {};
    const bool decoded = decodeFrame(mainImage(), jpgFile, decoder, picture, {.workspace = &testDecodeWorkspace()});
    return {decoded, picturePlanes()};
}

// Both readers read the main picture's scan as the row decoder extracts
// it: only the bytes of a whole scan.
void startMainScan()
{
    decoder.image.assign(mainImage());
    jpgFile.extractScan(decoder.image.scanStart, decoder.image.streamEnd);
    decoder.image.scanLength = jpgFile.scanLength;
    decoder.buildLookahead();
    decoder.startScan(jpgFile.scan(), decoder.image.scanLength);
}

// The scan read as the row decoder reads it, MCU by MCU: every block's
// terms up to the first block that fails.
std::vector<Terms> rowBlocks()
{
    startMainScan();
    decoder.resetPredictions();
    decoder.restartCountdown = decoder.image.restartInterval;
    const McuLayout layout = McuLayout::of(decoder.image);
    const McuRows rows(layout, RowColour::ycbcr, picture, {});
    std::vector<Terms> blocks;
    std::vector<int32_t> mcu(size_t(layout.blocksPerMcu) * 64);
    for (int64_t m = 0; m < rows.mcuCount(); ++m) {
        const int decoded = rows.decodeMcu(decoder, mcu.data());
        for (int n = 0; n < decoded; ++n)
            std::copy_n(mcu.begin() + 64 * n, 64, blocks.emplace_back().begin());
        if (decoded < layout.blocksPerMcu)
            break;
    }
    return blocks;
}

// The same scan read as the frame decoder reads it: every block's terms in
// the order the scan codes them, and how the scan ended.
std::vector<Terms> frameBlocks(ScanOutcome& outcome)
{
    startMainScan();
    const FrameLayout layout = FrameLayout::of(decoder.image);
    ScanShape shape;
    shape.count = layout.count;
    std::vector<std::vector<int16_t>> coefficients;
    int16_t* planes[4] = {};
    for (int32_t n = 0; n < layout.count; ++n) {
        shape.component[n] = n;
        planes[n] = coefficients.emplace_back(size_t(layout.blockCount(n)) * 64).data();
    }
    outcome = decodeScanCoefficients(decoder, layout, shape, planes, DataEnd::keep);
    std::vector<Terms> blocks;
    const auto add = [&](int32_t n, int64_t by, int64_t bx) {
        const int16_t* zigzagOrdered = planes[n] + (by * layout.component[n].blocksWide + bx) * 64;
        const int32_t dcQuant = decoder.image.quant[decoder.image.component[layout.component[n].place].quantTable][0];
        Terms& terms = blocks.emplace_back();
        for (int k = 0; k < 64; ++k)
            terms[k] = zigzagOrdered[zigzag[k]];
        terms[0] = static_cast<int32_t>(uint32_t(zigzagOrdered[0]) * uint32_t(dcQuant) + tdec::levelShift);
    };
    if (layout.count == 1) {
        for (int32_t by = 0; by < layout.component[0].ownBlocksHigh; ++by)
            for (int32_t bx = 0; bx < layout.component[0].ownBlocksWide; ++bx)
                add(0, by, bx);
        return blocks;
    }
    for (int32_t row = 0; row < layout.mcusHigh; ++row)
        for (int32_t column = 0; column < layout.mcusWide; ++column)
            for (int32_t n = 0; n < layout.count; ++n)
                for (int32_t y = 0; y < layout.component[n].v; ++y)
                    for (int32_t x = 0; x < layout.component[n].h; ++x)
                        add(n, row * layout.component[n].v + y, column * layout.component[n].h + x);
    return blocks;
}

// A few bits of the scan data flipped, as random as seed makes them.
Bytes withScanBitsFlipped(Bytes bytes, uint32_t seed)
{
    parse(bytes);
    const auto scan = size_t(mainImage().scanStart);
    std::mt19937 random(seed);
    for (int flips = 1 + int(seed % 3); flips > 0; --flips) {
        const size_t at = std::uniform_int_distribution<size_t>(scan, bytes.size() - 3)(random);
        bytes[at] ^= static_cast<uint8_t>(1u << (random() % 8));
    }
    return bytes;
}

// A grey 16x8 picture, two blocks, each coded as DC 0 ("0"), the unused
// AC symbol run 1 size 0 ("0"), then a 1 at position 1 ("110" "1") and
// end of block ("10"). The unused symbol moves nothing on: the 1 lands in
// position 1, and the block ends where its end of block says.
Bytes withUnusedAcSymbols()
{
    using namespace jpegbytes;
    const Bytes tables = join({dqt(0), dht(0, 0, {1}, {0x00}), dht(1, 0, {1, 1, 1}, {0x10, 0x00, 0x01})});
    return join({soi(), sof0(16, 8, {{1, 0x11, 0}}), tables, sos({{1, 0x00}}), Bytes{0x36, 0x36}, eoi()});
}

// Only the symbol that moves nothing on: every block fails.
Bytes withOnlyUnusedAcSymbols()
{
    using namespace jpegbytes;
    const Bytes tables = join({dqt(0), dht(0, 0, {1}, {0x00}), dht(1, 0, {1}, {0x10})});
    return join({soi(), sof0Colour(8, 8), tables, sosColour(), Bytes(4, 0), eoi()});
}

enum class Alteration { none, stuffedOnes, trailingJunk, restartMarkerLost, bitsFlipped, cutShort };

struct AgreementCase {
    std::string name;
    EncodeOptions options{};
    Alteration alteration = Alteration::none;
    // stuffedOnes: where, as a share of the file; bitsFlipped: the seed;
    // cutShort: the percentage of the scan kept.
    double at = 0;
    Bytes (*handMade)() = nullptr;  // in place of an encoded photo
};

void PrintTo(const AgreementCase& c, std::ostream* out) { *out << c.name; }

Bytes fileFor(const AgreementCase& c)
{
    if (c.handMade)
        return c.handMade();
    Bytes bytes = encodeJpeg(makePhotoLike(203, 117, 23), c.options);
    switch (c.alteration) {
    case Alteration::none: return bytes;
    case Alteration::stuffedOnes: return damagedAt(std::move(bytes), c.at);
    case Alteration::trailingJunk: return withTrailingJunk(std::move(bytes));
    case Alteration::restartMarkerLost: return withRestartMarkerLost(std::move(bytes), 0.5);
    case Alteration::bitsFlipped: return withScanBitsFlipped(std::move(bytes), uint32_t(c.at));
    case Alteration::cutShort: return camerafiles::truncatedScan(bytes, int(c.at));
    }
    return bytes;
}

constexpr EncodeOptions greyscale{90, Subsampling::s444, 0, false, true};

// Every sequential layout the row decoder takes, good and damaged, each
// scan whole.
const AgreementCase wholeScans[] = {
    {"Photo420", {90, Subsampling::s420}},
    {"Photo422", {90, Subsampling::s422}},
    {"Photo444", {90, Subsampling::s444}},
    {"Photo422LowQuality", {20, Subsampling::s422}},
    {"Grey", greyscale},
    {"Restarts420", {90, Subsampling::s420, 13}},
    {"Restarts444", {90, Subsampling::s444, 7}},
    {"DamagedNearTheStart", {90, Subsampling::s420}, Alteration::stuffedOnes, 0.2},
    {"DamagedInTheMiddle", {90, Subsampling::s420}, Alteration::stuffedOnes, 0.5},
    {"DamagedNearTheEnd", {90, Subsampling::s420}, Alteration::stuffedOnes, 0.97},
    {"Damaged444InTheMiddle", {95, Subsampling::s444}, Alteration::stuffedOnes, 0.5},
    {"DamagedWithRestarts422", {95, Subsampling::s422, 16}, Alteration::stuffedOnes, 0.5},
    {"DamagedGrey", greyscale, Alteration::stuffedOnes, 0.6},
    {"TrailingJunk", {90, Subsampling::s420}, Alteration::trailingJunk},
    {"RestartMarkerLost", {95, Subsampling::s422, 16}, Alteration::restartMarkerLost},
    {"UnusedAcSymbols", {}, Alteration::none, 0, withUnusedAcSymbols},
};

// Damage that may make a marker or run the data out early.
std::vector<AgreementCase> scanEndDamage()
{
    std::vector<AgreementCase> cases = {{"OnlyUnusedAcSymbols", {}, Alteration::none, 0, withOnlyUnusedAcSymbols}};
    for (int seed = 1; seed <= 12; ++seed)
        cases.push_back({"ScanBitsFlipped" + std::to_string(seed),
                         {75, Subsampling::s422, 3},
                         Alteration::bitsFlipped,
                         double(seed)});
    return cases;
}

// Scans the file's end cuts short, which each decoder finishes its own
// way: only their planes are compared.
const AgreementCase cutScans[] = {
    {"ScanCutShort", {90, Subsampling::s420}, Alteration::cutShort, 60},
    {"ScanCutShortWithRestarts", {90, Subsampling::s444, 5}, Alteration::cutShort, 30},
};

std::string caseName(const testing::TestParamInfo<AgreementCase>& info) { return info.param.name; }

class DecoderAgreementTest : public testing::TestWithParam<AgreementCase> {
protected:
    void TearDown() override
    {
        testDecodeOptions().threads = 2;
        resetDecoderGlobals();
    }
};

TEST_P(DecoderAgreementTest, RowsAndFrameLeaveTheSamePlanes)
{
    const Bytes bytes = fileFor(GetParam());
    const Decoded rows = byRows(bytes);
    const Decoded frame = byFrame(bytes);
    EXPECT_EQ(rows.decoded, frame.decoded);
    if (rows.decoded && frame.decoded) {
        EXPECT_TRUE(rows.planes == frame.planes);
    }
}

INSTANTIATE_TEST_SUITE_P(WholeScans, DecoderAgreementTest, testing::ValuesIn(wholeScans), caseName);
INSTANTIATE_TEST_SUITE_P(CutScans, DecoderAgreementTest, testing::ValuesIn(cutScans), caseName);
INSTANTIATE_TEST_SUITE_P(ScanEndDamage, DecoderAgreementTest, testing::ValuesIn(scanEndDamage()), caseName);

using BlockTermsTest = DecoderAgreementTest;

// A block no reader stored: coefficients all zero.
constexpr Terms untouched = [] {
    Terms terms{};
    terms[0] = tdec::levelShift;
    return terms;
}();

// Where the row decoder fails, the frame decoder fails on the same block,
// having stored nothing past it. Where the data runs out, the frame
// decoder reads zeros to the end of that MCU row, as the row decoder does,
// and stores nothing past it.
TEST_P(BlockTermsTest, EveryBlockGetsTheSameTermsUpToTheSameFailure)
{
    ASSERT_TRUE(parse(fileFor(GetParam())));
    const std::vector<Terms> rows = rowBlocks();
    ScanOutcome outcome = ScanOutcome::decoded;
    const std::vector<Terms> frame = frameBlocks(outcome);
    ASSERT_LE(rows.size(), frame.size());
    size_t stored = frame.size();
    if (outcome == ScanOutcome::decoded) {
        EXPECT_EQ(rows.size(), frame.size());
    }
    if (outcome == ScanOutcome::failed) {
        ASSERT_LT(rows.size(), frame.size());
        stored = rows.size() + 1;
    }
    if (outcome == ScanOutcome::dataEnded) {
        while (stored > 0 && frame[stored - 1] == untouched)
            --stored;
    }
    for (size_t n = 0; n < std::min(rows.size(), stored); ++n)
        ASSERT_EQ(rows[n], frame[n]) << "block " << n;
    for (size_t n = stored; n < frame.size(); ++n)
        ASSERT_EQ(frame[n], untouched) << "block " << n;
}

INSTANTIATE_TEST_SUITE_P(WholeScans, BlockTermsTest, testing::ValuesIn(wholeScans), caseName);
INSTANTIATE_TEST_SUITE_P(ScanEndDamage, BlockTermsTest, testing::ValuesIn(scanEndDamage()), caseName);

}  // namespace
