#pragma once

#include <cstdint>

#include "jpeg/entropy/scan_decoder.h"
#include "jpeg/frame/frame_layout.h"

struct tdec;

// Decodes the scan that reader has started, whose header and tables are in
// reader.image, into the frame's coefficients: per component, 64 per block
// in zig-zag order, blocks row by row over the component's padded grid.
// DC values are kept whole, not as differences. Where the data runs out,
// dataEnd says which blocks are decoded from zeros. progress, when given,
// hears of every MCU row decoded.
ScanOutcome decodeScanCoefficients(tdec& reader, const FrameLayout& layout, const ScanShape& shape,
                                   int16_t* const* coefficients, DataEnd dataEnd, ScanProgress* progress = nullptr);

// The scans of Huffman-coded frames, through decodeScanCoefficients.
std::unique_ptr<ScanDecoder> huffmanScanDecoder(tdec& reader);
