#pragma once

#include <cstdint>
#include <memory>

#include "jpeg/image_record.h"

// Decoder state: the working copy of the image being decoded, the bit
// reader over the reversed scan data, the DC predictors and the block
// handed to the inverse DCT.
struct tdec {
    tjpgel image;
    int32_t bitPos = 0;   // bits 0..7 already consumed of the current byte
    int32_t readPos = 0;  // lowest byte of the current 32-bit window; moves downwards
    int32_t coef[64] = {};  // zig-zag order; coef[0] is the DC difference
    int32_t dcPred[3] = {};
    std::unique_ptr<int32_t[]> block = std::make_unique<int32_t[]>(64);
    int32_t restartCountdown = 0;
    const uint8_t* scanData = nullptr;  // the container's extracted scan
    int32_t table = 0;                  // Huffman table decodeSymbol uses

    tdec() = default;
    tdec(const tdec&) = delete;
    tdec& operator=(const tdec&) = delete;
    virtual ~tdec();

    // Decodes one symbol of the current table into coef from position k.
    // Returns 0 when stored, 1 at end of block, -1 when no code matches.
    int decodeSymbol(int32_t& k);
    // Returns 0 on success, 1 when the block cannot be decoded.
    int decodeBlock(int i);
    // decodeBlock, DC dequantisation, reordering, prediction, level shift
    // and the active inverse DCT. Returns 0 on success, 1 on failure.
    int transformBlock(int i);

    // Starts reading the scan from its first byte.
    void startScan(const uint8_t* scan, int32_t length);
    // Moves to the next byte boundary at a restart point.
    void alignToByte();

private:
    uint32_t window() const;
    void consume(int32_t bits);
};

extern tdec decoder;
