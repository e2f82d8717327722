#include <gtest/gtest.h>

#include "jpeg/entropy/huffman.h"
#include "jpeg/file/markers.h"
#include "jpeg/file/result_codes.h"
#include "support/jpeg_builder.h"

using namespace jpegbytes;

namespace {

// Runs one reader on bytes, as the file walk does, with the cursor on the marker.
template <typename Reader>
int32_t readAt(Reader reader, const Bytes& bytes, tjpgel& image)
{
    image.streamEnd = static_cast<int32_t>(bytes.size());
    int32_t pos = 0;
    EXPECT_TRUE(reader(bytes.data(), pos, image));
    return pos;
}

TEST(Readers, RefuseToMoveWhenTheMarkerIsNotTheirs)
{
    const Bytes bytes = dqt(0);
    tjpgel image;
    image.streamEnd = static_cast<int32_t>(bytes.size());
    int32_t pos = 0;
    EXPECT_FALSE(readHuffmanTables(bytes.data(), pos, image));
    EXPECT_FALSE(readFrameHeader(bytes.data(), pos, image));
    EXPECT_EQ(pos, 0);
}

TEST(FrameHeader, FillsComponentsByIdentifier)
{
    const Bytes bytes = sof0(33, 65, {{3, 0x11, 1}, {1, 0x22, 0}, {2, 0x12, 1}});
    tjpgel image;
    EXPECT_EQ(readAt(readFrameHeader, bytes, image), static_cast<int32_t>(bytes.size()));
    EXPECT_EQ(image.width, 33);
    EXPECT_EQ(image.height, 65);
    EXPECT_EQ(image.componentCount, 3);
    EXPECT_EQ(image.component[0].hSampling, 2);
    EXPECT_EQ(image.component[0].vSampling, 2);
    EXPECT_EQ(image.component[1].hSampling, 1);
    EXPECT_EQ(image.component[1].vSampling, 2);
    EXPECT_EQ(image.component[2].quantTable, 1);
    EXPECT_TRUE(image.hasFrameHeader);
}

TEST(ScanHeader, SetsTablesAndLeavesCursorOnFirstScanByte)
{
    const Bytes bytes = join({sos({{1, 0x00}, {2, 0x11}, {3, 0x32}}), {0xAB}});
    tjpgel image;
    const int32_t pos = readAt(readScanHeader, bytes, image);
    EXPECT_EQ(bytes[pos], 0xAB);
    EXPECT_EQ(image.scanComponentCount, 3);
    EXPECT_EQ(image.component[1].dcTable, 1);
    EXPECT_EQ(image.component[1].acTable, 1);
    EXPECT_EQ(image.component[2].dcTable, 3);
    EXPECT_EQ(image.component[2].acTable, 2);
    EXPECT_EQ(image.spectralEnd, 63);
}

// Frames numbered other than 1..4 (0, 1, 2 from some encoders; 'R', 'G',
// 'B') keep frame order, and scans find their components by identifier.
TEST(FrameHeader, OtherNumberingsKeepFrameOrderAndScansMatchByIdentifier)
{
    struct {
        uint8_t ids[3];
    } numberings[] = {{{0, 1, 2}}, {{'R', 'G', 'B'}}, {{200, 7, 1}}};
    for (const auto& n : numberings) {
        const Bytes frame = sof0(16, 8, {{n.ids[0], 0x22, 0}, {n.ids[1], 0x11, 1}, {n.ids[2], 0x11, 1}});
        tjpgel image;
        readAt(readFrameHeader, frame, image);
        for (int k = 0; k < 3; ++k)
            EXPECT_EQ(image.component[k].id, n.ids[k]);
        EXPECT_EQ(image.component[0].hSampling, 2);
        EXPECT_EQ(image.component[2].quantTable, 1);
        readAt(readScanHeader, sos({{n.ids[2], 0x11}, {n.ids[0], 0x00}, {n.ids[1], 0x23}}), image);
        EXPECT_EQ(image.component[0].dcTable, 0);
        EXPECT_EQ(image.component[1].acTable, 3);
        EXPECT_EQ(image.component[2].dcTable, 1);
    }
}

TEST(ScanHeader, SelectorOutsideAFrameNumberedOtherwiseFails)
{
    tjpgel image;
    readAt(readFrameHeader, sof0(8, 8, {{0, 0x11, 0}, {1, 0x11, 0}, {2, 0x11, 0}}), image);
    const Bytes scan = sos({{3, 0x00}});
    int32_t pos = 0;
    image.streamEnd = static_cast<int32_t>(scan.size());
    try {
        readScanHeader(scan.data(), pos, image);
        ADD_FAILURE() << "no code raised";
    } catch (const JpegError& failure) {
        EXPECT_EQ(failure.code, 304);
    }
}

TEST(QuantTables, OneSegmentCanDefineTwoTables)
{
    Bytes payload{0x00};
    payload.insert(payload.end(), 64, 2);
    payload.push_back(0x03);
    for (int k = 0; k < 64; ++k)
        payload.push_back(static_cast<uint8_t>(k));
    const Bytes bytes = join({{0xFF, 0xDB, 0x00, 132}, payload});
    tjpgel image;
    EXPECT_EQ(readAt(readQuantTables, bytes, image), static_cast<int32_t>(bytes.size()));
    ASSERT_NE(image.quant[0], nullptr);
    ASSERT_NE(image.quant[3], nullptr);
    EXPECT_EQ(image.quant[0][10], 2);
    EXPECT_EQ(image.quant[3][63], 63);
}

TEST(RestartInterval, ZeroLeavesRestartsOff)
{
    tjpgel image;
    readAt(readRestartInterval, dri(0), image);
    EXPECT_EQ(image.restartInterval, 0);
    readAt(readRestartInterval, dri(300), image);
    EXPECT_EQ(image.restartInterval, 300);
}

TEST(HuffmanTables, LuminanceDcTableGetsCanonicalCodes)
{
    const std::vector<uint8_t> values = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
    tjpgel image;
    readAt(readHuffmanTables, dht(0, 0, lumaDcCounts, values), image);
    buildHuffmanCodes(image);
    EXPECT_EQ(image.huffCount[0], 12);
    const int16_t firstIndex[16] = {-1, 0, 1, 6, 7, 8, 9, 10, 11, -1, -1, -1, -1, -1, -1, -1};
    const HuffmanCodeRange ranges[16] = {{-1, -1}, {0, 1},   {2, 5},   {14, 1},  {30, 1},  {62, 1},
                                         {126, 1}, {254, 1}, {510, 1}, {-1, -1}, {-1, -1}, {-1, -1},
                                         {-1, -1}, {-1, -1}, {-1, -1}, {-1, -1}};
    for (int length = 1; length <= 16; ++length) {
        EXPECT_EQ(image.huffFirstIndex[0][length - 1], firstIndex[length - 1]) << "length " << length;
        EXPECT_EQ(image.huffCode[0][length - 1].first, ranges[length - 1].first) << "length " << length;
        EXPECT_EQ(image.huffCode[0][length - 1].count, ranges[length - 1].count) << "length " << length;
    }
}

TEST(HuffmanTables, SplitsSymbolsIntoRunAndSize)
{
    tjpgel image;
    readAt(readHuffmanTables, dht(1, 2, {0, 3}, {0x00, 0xF0, 0x3A}), image);
    splitRunSize(image);
    const RunSize* pairs = image.huffRunSize[6].get();
    ASSERT_NE(pairs, nullptr);
    EXPECT_EQ(pairs[1].run, 15);
    EXPECT_EQ(pairs[1].size, 0);
    EXPECT_EQ(pairs[2].run, 3);
    EXPECT_EQ(pairs[2].size, 10);
}

TEST(HuffmanTables, RedefinitionWithoutCodesLeavesNoStaleCodes)
{
    tjpgel image;
    readAt(readHuffmanTables, dht(0, 1, {2}, {0x05, 0x06}), image);
    buildHuffmanCodes(image);
    readAt(readHuffmanTables, dht(0, 1, {}, {}), image);  // all sixteen counts zero
    buildHuffmanCodes(image);
    for (const HuffmanCodeRange& range : image.huffCode[1])
        EXPECT_EQ(range.count, -1);
}

TEST(ImageRecord, AssignMakesAnIndependentDeepCopy)
{
    tjpgel source;
    readAt(readQuantTables, dqt(2, 9), source);
    readAt(readHuffmanTables, dht(1, 0, {1}, {0x11}), source);
    splitRunSize(source);
    source.restartInterval = 7;
    tjpgel copy;
    copy.assign(source);
    source.quant[2][0] = 1;
    source.clear();
    ASSERT_NE(copy.quant[2], nullptr);
    EXPECT_EQ(copy.quant[2][0], 9);
    EXPECT_EQ(copy.huffValues[4][0], 0x11);
    EXPECT_EQ(copy.huffRunSize[4][0].run, 1);
    EXPECT_EQ(copy.restartInterval, 7);
    EXPECT_EQ(source.restartInterval, 0);
}

}  // namespace
