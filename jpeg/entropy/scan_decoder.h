#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "jpeg/frame/frame_layout.h"

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
    failed,     // the data holds what no encoder writes
};

// A scan's entropy-coded data as the container extracted it: stuffing and
// markers removed, stored last byte first (data[length - 1] is the first),
// with where each restart marker stood. cutShort says the file ends inside
// the scan.
struct ExtractedScan {
    const uint8_t* data = nullptr;
    int32_t length = 0;
    const std::vector<int32_t>& restartStarts;
    bool cutShort = false;
};

// Decodes scans into the frame's coefficients: per component, 64 per block
// in zig-zag order, blocks row by row over the component's padded grid.
// DC values are kept whole, not as differences. Where the data runs out,
// the blocks up to about where it ended are decoded from zeros; the rest
// are left as they were. One implementation per entropy coding (T.81
// Annexes F and G: Huffman or arithmetic), chosen once per frame.
class ScanDecoder {
public:
    virtual ~ScanDecoder() = default;
    // The tables in force, the scan header among them, are in the image of
    // the decoder the implementation was made with.
    virtual ScanOutcome decode(const FrameLayout& layout, const ScanShape& shape, int16_t* const* coefficients,
                               const ExtractedScan& scan) = 0;
};

// The decoder for the scans of a frame of that marker, reading its tables
// from reader.image.
std::unique_ptr<ScanDecoder> scanDecoderFor(int32_t frameMarker, tdec& reader);
