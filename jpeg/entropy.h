#pragma once

#include <cstdint>
#include <memory>

#include "jpeg/huffman.h"
#include "jpeg/image_record.h"

// Decoder state: the working copy of the image being decoded, the bit
// reader over the reversed scan data, the DC predictors and the block
// handed to the inverse DCT.
struct tdec {
    // Added to every DC term before the transform: 128, the samples' offset
    // (T.81 A.3.1), times 8, the transforms' DC scale.
    static constexpr int32_t levelShift = 1024;

    tjpgel image;
    int32_t bitPos = 0;   // bits 0..7 already consumed of the current byte
    int32_t readPos = 0;  // lowest byte of the current 32-bit window; moves downwards
    int32_t dcPred[3] = {};
    // The block in natural (row-major) order: decoded into, then handed to
    // the inverse DCT and transformed in place.
    std::unique_ptr<int32_t[]> block = std::make_unique<int32_t[]>(64);
    int32_t restartCountdown = 0;
    const uint8_t* scanData = nullptr;  // the container's extracted scan
    int32_t table = 0;                  // Huffman table decodeSymbol uses
    // What the next bits decode to, built from image's code tables.
    PrefixTables prefixes;

    tdec() = default;
    tdec(const tdec&) = delete;
    tdec& operator=(const tdec&) = delete;
    virtual ~tdec();

    // Builds prefixes from image's code tables; run once per decode.
    void buildLookahead() { prefixes.build(image); }

    // Decodes one symbol of the current table into block from zig-zag
    // position k. Returns 0 when stored, 1 at end of block, -1 when no code
    // matches.
    int decodeSymbol(int32_t& k);
    // Returns 0 on success, 1 when the block cannot be decoded.
    int decodeBlock(int i);
    // Decodes the blocks of one MCU, of components component[0..count-1],
    // into out (64 values apart, cleared first), each followed by DC
    // dequantisation, prediction and the level shift: ready for the inverse
    // DCT. Returns how many were decoded: count, or the place of the first
    // block that cannot be.
    int prepareMcu(const int* component, int count, int32_t* out);
    // decodeBlock, the DC steps of prepareMcu and the active inverse DCT,
    // on block. Returns 0 on success, 1 on failure.
    int transformBlock(int i);

    // Starts reading the scan at byte firstByte.
    void startScan(const uint8_t* scan, int32_t length, int32_t firstByte = 0);
    // How far into the scan the reader is, in bits counted from an origin
    // of its own: for comparing two readers of the same scan.
    int64_t bitsRead() const { return int64_t{-readPos} * 8 + bitPos; }
    // Takes image and the look-up tables from other, to read the same scan.
    void copyTables(const tdec& other);
    // Moves to the next byte boundary at a restart point.
    void alignToByte();

private:
    class BitReader;
    int decodeNextSymbol(BitReader& reader, int t, int32_t& k, int32_t* out);
    int decodeBlockInto(BitReader& reader, int i, int32_t* out);
    int prepareBlockInto(BitReader& reader, int i, int32_t* out);
    bool decodeFastSymbol(BitReader& reader, const int32_t* table, int32_t& k, int32_t* out);
};

extern tdec decoder;
