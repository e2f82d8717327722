#pragma once

#include <cstdint>
#include <memory>
#include <vector>

// Tables of one component. Components numbered 1..4 sit at identifier - 1;
// a frame that numbers them otherwise (0, 1, 2, or 'R', 'G', 'B') has them
// in frame order.
struct ComponentSpec {
    int32_t quantTable = 0;  // Tq
    int32_t dcTable = 0;     // Td
    int32_t acTable = 0;     // Ta
    int32_t hSampling = 0;   // H; 0 while no frame header names the component
    int32_t vSampling = 0;   // V
    int32_t id = 0;          // C, as the frame header gives it
};

// First code of one code length and the number of codes of that length;
// both -1 when the length has no codes.
struct HuffmanCodeRange {
    int32_t first = -1;
    int32_t count = -1;
};

// Huffman symbol split into its zero run and the size of the value that
// follows (T.81 F.1.2.2).
struct RunSize {
    int16_t run;
    int16_t size;
};

// How arithmetic-coded scans condition their statistics, per table
// (T.81 F.1.4.4): the bounds L and U on DC differences, the Kx that splits
// AC bands; T.81's defaults until a DAC segment sets them.
struct ArithmeticConditioning {
    int32_t dcLower[4] = {0, 0, 0, 0};
    int32_t dcUpper[4] = {1, 1, 1, 1};
    int32_t acLimit[4] = {5, 5, 5, 5};
};

// Everything one embedded image needs for decoding. An image is a frame:
// its frame header and every scan that belongs to it. The record holds what
// the segments between the previous frame's scans (or the file start) and
// the frame's first scan header define, and where the segments that
// redefine tables for its later scans, and those scans, lie.
// Huffman table index t = class * 4 + identifier: 0..3 DC, 4..7 AC.
struct tjpgel {
    int32_t width = 0;
    int32_t height = 0;
    int32_t componentCount = 0;
    int32_t scanComponentCount = 0;
    int32_t spectralStart = 0;
    int32_t spectralEnd = 0;
    int32_t approxHigh = 0;
    int32_t approxLow = 0;
    // The places of the scan's components, in the order its header names
    // them, and how many selectors the header holds (up to 5: one too many).
    int32_t scanComponent[4] = {};
    int32_t scanSelectorCount = 0;
    ComponentSpec component[4];
    std::unique_ptr<int32_t[]> quant[4];  // 64 values in zig-zag order, or null
    // The Huffman tables as DHT segments define them: counts per length,
    // values, and where each length's values start...
    int16_t huffCount[8] = {};
    int32_t huffBits[8][16] = {};
    std::unique_ptr<int16_t[]> huffValues[8];
    int16_t huffFirstIndex[8][16] = {};
    // ...and what jpeg/entropy/huffman.h builds from them once the image's tables
    // are final.
    std::unique_ptr<RunSize[]> huffRunSize[8];
    HuffmanCodeRange huffCode[8][16];
    ArithmeticConditioning conditioning;
    int32_t restartInterval = 0;
    int32_t scanLength = 0;
    int32_t scanStart = -1;  // -1 until the walk reads this image's SOS
    int32_t fileSize = 0;
    bool hasFrameHeader = false;  // a frame header was read for this image
    // Where the stream holding this image ends: the file's end, or the end
    // of the segment a nested stream (a thumbnail) lies in. No reader and no
    // scan extraction goes past it.
    int32_t streamEnd = 0;
    // The frame marker (SOF0..SOF15) last met in this image's stream before
    // its scan; 0 if none.
    int32_t frameMarker = 0;
    // The sample precision that frame header gives, in bits; 0 if none.
    int32_t samplePrecision = 0;
    // The code of a segment of this image that could not be read, 0 if none:
    // such an image is kept in the index, in its place, but cannot be decoded.
    int32_t failure = 0;
    // The DHT, DAC, DQT, DRI and SOS segments of the frame after its first scan
    // header, by the offsets of their markers, in file order: a
    // progressive or non-interleaved frame's later scans and their tables.
    std::vector<int32_t> laterSegments;
    int32_t laterScanCount = 0;  // the scan headers among them
    // Markers of the image's stream before its frame that say how its
    // components are coded: a JFIF APP0, an Adobe APP14 and its transform
    // flag (-1 when there is none).
    bool jfif = false;
    int32_t adobeTransform = -1;

    tjpgel() = default;
    tjpgel(const tjpgel&) = delete;
    tjpgel& operator=(const tjpgel&) = delete;
    virtual ~tjpgel();

    // Releases the tables and resets what construction sets; the header
    // fields keep their values.
    void clear();
    // Deep copy of other.
    void assign(const tjpgel& other);
};
