#pragma once

#include <cstdint>

#include "jpeg/entropy/scan_decoder.h"
#include "jpeg/frame/frame_layout.h"

struct tdec;

// Decodes the scan that reader has started, whose header and tables are in
// reader.image, into the frame's coefficients: per component, 64 per block
// in zig-zag order, blocks row by row over the component's padded grid.
// DC values are kept whole, not as differences. cutShort says the file
// ends inside the scan. Where the data runs out, the blocks up to the end
// of the MCU (cutShort) or the MCU row that needed bits past it are decoded
// from zeros; the rest are left as they were.
ScanOutcome decodeScanCoefficients(tdec& reader, const FrameLayout& layout, const ScanShape& shape,
                                   int16_t* const* coefficients, bool cutShort);

// The scans of Huffman-coded frames, through decodeScanCoefficients.
std::unique_ptr<ScanDecoder> huffmanScanDecoder(tdec& reader);
