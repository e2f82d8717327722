#pragma once

#include <cstdint>

#include "jpeg/frame_layout.h"

struct tdec;

// One scan of a frame: which components it codes, in the order its
// header names them (numbers of FrameLayout), and which coefficients and
// bits. A sequential scan codes every coefficient whole: Ss 0, Se 63,
// Ah 0, Al 0.
struct ScanShape {
    int32_t count = 0;
    int32_t component[4] = {};
    int32_t ss = 0, se = 63, ah = 0, al = 0;
};

enum class ScanOutcome {
    decoded,
    dataEnded,  // the data ran out: what it held is kept, the rest left as it was
    failed,     // no code matched while data remained
};

// Decodes the scan that reader has started, whose header and tables are in
// reader.image, into the frame's coefficients: per component, 64 per block
// in zig-zag order, blocks row by row over the component's padded grid.
// DC values are kept whole, not as differences. cutShort says the file
// ends inside the scan. Where the data runs out, the blocks up to the end
// of the MCU (cutShort) or the MCU row that needed bits past it are decoded
// from zeros; the rest are left as they were.
ScanOutcome decodeScanCoefficients(tdec& reader, const FrameLayout& layout, const ScanShape& shape,
                                   int16_t* const* coefficients, bool cutShort);
