#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "idct/idct_slots.h"
#include "idct/tidct.h"
#include "jpeg/entropy/entropy.h"
#include "jpeg/entropy/zigzag.h"
#include "jpeg/file/container.h"
#include "jpeg/file/markers.h"
#include "jpeg/globals.h"
#include "support/jpeg_builder.h"

using namespace jpegbytes;

namespace {

// Runs decodeSymbol and decodeBlock on a bit string, with tables read from
// DHT segments exactly as the file walk reads them.
class EntropyTest : public testing::Test {
protected:
    void addTable(uint8_t tableClass, uint8_t id, const std::vector<uint8_t>& counts,
                  const std::vector<uint8_t>& values)
    {
        const Bytes segment = dht(tableClass, id, counts, values);
        decoder.image.streamEnd = static_cast<int32_t>(segment.size());
        int32_t pos = 0;
        readHuffmanTables(segment.data(), pos, decoder.image);
        buildHuffmanCodes(decoder.image);
        splitRunSize(decoder.image);
    }

    // Bits as '0'/'1' characters, packed MSB first and stored reversed
    // behind zero padding, as the container stores a scan.
    void setBits(const std::string& bits)
    {
        std::vector<uint8_t> stream((bits.size() + 7) / 8, 0);
        for (size_t i = 0; i < bits.size(); ++i)
            if (bits[i] == '1')
                stream[i / 8] |= static_cast<uint8_t>(0x80 >> (i % 8));
        buffer_.assign(tjpg::scanPadding, 0);
        buffer_.insert(buffer_.end(), stream.rbegin(), stream.rend());
        decoder.startScan(buffer_.data() + tjpg::scanPadding, static_cast<int32_t>(stream.size()));
        decoder.buildLookahead();
    }

    void TearDown() override { decoder.image.clear(); }

    std::vector<uint8_t> buffer_;
};

TEST_F(EntropyTest, LuminanceDcCodesSelectTheirSymbols)
{
    addTable(0, 0, lumaDcCounts, {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0A, 0x0B, 0x0C});
    decoder.table = 0;
    struct {
        const char* bits;
        int32_t value;
    } const cases[] = {{"00"
                        "1",
                        1},
                       {"010"
                        "01",
                        -2},
                       {"011"
                        "110",
                        6},
                       {"011"
                        "010",
                        -5}};
    for (const auto& c : cases) {
        setBits(c.bits);
        int32_t k = 0;
        EXPECT_EQ(decoder.decodeSymbol(k), 0) << c.bits;
        EXPECT_EQ(k, 1) << c.bits;
        EXPECT_EQ(decoder.block[0], c.value) << c.bits;
    }
}

TEST_F(EntropyTest, CodesOfOnlyOneBitsNeverMatch)
{
    addTable(0, 0, {2}, {0x00, 0x01});
    decoder.table = 0;
    int32_t k = 0;
    setBits("0");
    EXPECT_EQ(decoder.decodeSymbol(k), 1);  // symbol 0x00
    setBits("1");
    EXPECT_EQ(decoder.decodeSymbol(k), -1);
    setBits("1111111111111111");
    EXPECT_EQ(decoder.decodeSymbol(k), -1);
}

TEST_F(EntropyTest, BlockWithZeroRunsAndEndOfBlock)
{
    // DC: "0" -> category 0. AC: "00" -> 0xF0, "01" -> 0x12, "10" -> 0x00.
    addTable(0, 0, {1}, {0x00});
    addTable(1, 0, {0, 3}, {0xF0, 0x12, 0x00});
    decoder.image.component[0] = ComponentSpec{0, 0, 0, 1, 1};
    std::fill_n(decoder.block.get(), 64, 99);
    setBits("0"
            "00"
            "01"
            "11"
            "10");
    ASSERT_EQ(decoder.decodeBlock(0), 0);
    // The value lands at zig-zag position 1 + 16 + 1, in natural order.
    std::vector<int32_t> expected(64, 0);
    for (int n = 0; n < 64; ++n)
        expected[n] = zigzag[n] == 18 ? 3 : 0;
    EXPECT_EQ(std::vector<int32_t>(decoder.block.get(), decoder.block.get() + 64), expected);
}

// Short codes with few value bits decode in one table step, the rest bit by
// bit; a block mixing both must come out as the symbols say, whichever way
// each took.
TEST_F(EntropyTest, CoefficientsDecodeAlikeWithinAndBeyondOneTableStep)
{
    // Codes 00, 010, 0110, ... 01111110 for lengths 2..8.
    const std::vector<uint8_t> symbols = {0x00, 0x01, 0x13, 0x06, 0x24, 0x0A, 0x32};
    addTable(0, 0, {1}, {0x00});
    addTable(1, 0, {0, 1, 1, 1, 1, 1, 1, 1}, symbols);
    decoder.image.component[0] = ComponentSpec{0, 0, 0, 1, 1};
    const auto code = [](size_t n) {  // 0, n ones, 0
        std::string bits(n + 2, '1');
        bits.front() = bits.back() = '0';
        return bits;
    };
    struct {
        size_t symbol;  // index into symbols
        const char* valueBits;
        int32_t value;
    } const coefficients[] = {
        {1, "1", 1},        {1, "0", -1},    {2, "101", 5},    {2, "010", -5},         {3, "100000", 32},
        {3, "011111", -32}, {4, "1111", 15}, {4, "0000", -15}, {5, "1000000000", 512}, {5, "0111111111", -512},
        {6, "11", 3},       {6, "00", -3},
    };
    std::string bits = "0";  // DC difference 0
    std::vector<int32_t> expected(64, 0);
    int32_t k = 1;
    for (const auto& c : coefficients) {
        bits += code(c.symbol) + c.valueBits;
        k += symbols[c.symbol] >> 4;
        for (int n = 0; n < 64; ++n)
            if (zigzag[n] == k)
                expected[n] = c.value;
        ++k;
    }
    setBits(bits + code(0));
    ASSERT_EQ(decoder.decodeBlock(0), 0);
    EXPECT_EQ(std::vector<int32_t>(decoder.block.get(), decoder.block.get() + 64), expected);

    // The next block starts exactly where this one ended.
    setBits(bits + code(0) + "0" + code(1) + "1" + code(0));
    ASSERT_EQ(decoder.decodeBlock(0), 0);
    ASSERT_EQ(decoder.decodeBlock(0), 0);
    EXPECT_EQ(decoder.block[1], 1);
}

TEST_F(EntropyTest, DataThatRunsOutReadsAsZeroBits)
{
    addTable(0, 0, {1}, {0x00});
    addTable(1, 0, {1}, {0x00});
    decoder.image.component[0] = ComponentSpec{0, 0, 0, 1, 1};
    setBits("");
    for (int block = 0; block < 1000; ++block)
        ASSERT_EQ(decoder.decodeBlock(0), 0);
    // The eight bytes a reader loads from where it stands lie within the
    // zero padding behind the scan.
    EXPECT_LE(decoder.bytePos() + 8, tjpg::scanPadding);
}

// Positions count from the scan's first byte, whichever way the reader got
// there, so that two readers of one scan can be compared and one can take
// over where the other stands.
TEST_F(EntropyTest, PositionCountsFromTheScansFirstByte)
{
    addTable(0, 0, lumaDcCounts, {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0A, 0x0B, 0x0C});
    decoder.table = 0;
    setBits("011"
            "110"
            "11"
            "000"
            "11111"
            "010"
            "01");  // each byte padded with 1-bits
    int32_t k = 0;
    ASSERT_EQ(decoder.decodeSymbol(k), 0);
    EXPECT_EQ(decoder.bytePos(), 0);
    EXPECT_EQ(decoder.bitPos(), 6);
    EXPECT_EQ(decoder.bitsRead(), 6);
    decoder.alignToByte();
    EXPECT_EQ(decoder.bitsRead(), 8);
    const ScanPosition second = decoder.position();
    decoder.startScan(buffer_.data() + tjpg::scanPadding, 3, 2);
    EXPECT_EQ(decoder.bitsRead(), 16);
    decoder.moveTo(second);
    k = 0;
    ASSERT_EQ(decoder.decodeSymbol(k), 0);  // "00" "0": -1
    EXPECT_EQ(decoder.block[0], -1);
    EXPECT_EQ(decoder.bitsRead(), 11);
    decoder.alignToByte();
    k = 0;
    ASSERT_EQ(decoder.decodeSymbol(k), 0);
    EXPECT_EQ(decoder.block[0], -2);
}

TEST_F(EntropyTest, FullBlockEndsWithoutEndOfBlockSymbol)
{
    addTable(0, 0, {1}, {0x00});
    addTable(1, 0, {1}, {0x01});  // "0" -> run 0, size 1
    decoder.image.component[0] = ComponentSpec{0, 0, 0, 1, 1};
    setBits("0" + std::string(63 * 2, '0'));  // 63 AC values of -1 (bit 0)
    ASSERT_EQ(decoder.decodeBlock(0), 0);
    EXPECT_EQ(decoder.block[63], -1);
}

// Records the block it is given instead of transforming it.
class RecordingIdct final : public tidct {
public:
    void transformAs(int32_t* block, BlockShape) override { dc.push_back(block[0]); }
    int32_t flatSample(int32_t) const override { return 0; }
    std::vector<int32_t> dc;
};

TEST_F(EntropyTest, DcIsDequantisedAndPredictedPerComponent)
{
    addTable(0, 0, lumaDcCounts, {0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0A, 0x0B});
    addTable(1, 0, {1}, {0x00});
    decoder.image.component[0] = ComponentSpec{0, 0, 0, 1, 1};
    decoder.image.quant[0] = std::make_unique<int32_t[]>(64);
    decoder.image.quant[0][0] = 4;
    RecordingIdct recorder;
    idctActive[0] = &recorder;
    decoder.dcPred[0] = 0;
    setBits("100"
            "110"
            "0"
            "011"
            "01"
            "0");  // +6, EOB; -2, EOB
    ASSERT_EQ(decoder.transformBlock(0), 0);
    ASSERT_EQ(decoder.transformBlock(0), 0);
    idctActive[0] = nullptr;
    EXPECT_EQ(recorder.dc, (std::vector<int32_t>{24 + 1024, 16 + 1024}));
    EXPECT_EQ(decoder.dcPred[0], 16);
}

}  // namespace
