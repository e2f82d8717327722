#pragma once

#include <cstdint>
#include <memory>

#include "jpeg/entropy/huffman.h"
#include "jpeg/file/image_record.h"

// Where a reader stands in its scan: the byte that holds the next bit,
// counted from the scan's first byte, and how many of its bits are read.
struct ScanPosition {
    int32_t byte = 0;
    int32_t bit = 0;  // 0..7
};

// Decoder state: the working copy of the image being decoded, the bit
// reader over the reversed scan data, the DC predictors, the end-of-band
// run and the block handed to the inverse DCT. The blocks themselves are
// read by jpeg/entropy/block_reader.h.
struct tdec {
    // Added to every DC term before the transform: 128, the samples' offset
    // (T.81 A.3.1), times 8, the transforms' DC scale.
    static constexpr int32_t levelShift = 1024;

    tjpgel image;
    // One per component: dequantised for the row decoder, as coded for the
    // frame decoder.
    int32_t dcPred[4] = {};
    int32_t endOfBandRun = 0;  // bands still to skip in a progressive scan
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

    // Starts reading the scan of length bytes at byte firstByte.
    void startScan(const uint8_t* scan, int32_t length, int32_t firstByte = 0);
    // Past the end of the data the byte stops a few bytes on, inside the
    // scan's zero padding.
    int32_t bytePos() const { return scanLength_ - 1 - current_; }
    int32_t bitPos() const { return bitPos_; }
    ScanPosition position() const { return {bytePos(), bitPos()}; }
    // How far into the scan the reader is, in bits.
    int64_t bitsRead() const { return int64_t{bytePos()} * 8 + bitPos(); }
    // Goes on from where another reader of the same scan stood.
    void moveTo(ScanPosition position);
    // Takes image and the look-up tables from other, to read the same scan.
    void copyTables(const tdec& other);
    // Moves to the next byte boundary at a restart point.
    void alignToByte();
    // At a restart point: the markers were dropped with the stuffing, so
    // the reader realigns, and predictions and runs start afresh.
    void restart();
    void resetPredictions();

    // Reads the scan through decoder's position, which it takes on
    // construction and gives back on destruction (jpeg/entropy/bit_reader.h).
    class BitReader;

private:
    int32_t scanLength_ = 0;
    // The byte that holds the next bit, as an index into scanData: the
    // scan is stored last byte first, so this moves downwards.
    int32_t current_ = 0;
    int32_t bitPos_ = 0;  // bits 0..7 already consumed of the current byte
};
