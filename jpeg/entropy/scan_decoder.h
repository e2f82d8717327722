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

// What a scan decoder does where a scan's data runs out before its blocks
// do. A frame of one scan is read as the row decoder reads it, so that
// both decoders leave the same picture; a scan of several ends where its
// data does.
enum class DataEnd {
    keep,      // the MCU row that needed bits past the end is decoded from zeros, the rest left as they were
    cutShort,  // the file ends inside the scan: as keep, up to the end of the MCU that needed them
    readOn,    // every block to the scan's end is decoded, from zeros past the end
};

// Where a scan decoder reports, as it goes, how many of the scan's MCUs it
// has decoded, every block of them, for threads that wait on those blocks.
class ScanProgress {
public:
    virtual void reached(int64_t mcus) = 0;

protected:
    ~ScanProgress() = default;
};

// A scan's entropy-coded data as the container extracted it: stuffing and
// markers removed, stored last byte first (data[length - 1] is the first),
// with where each restart marker stood.
struct ExtractedScan {
    const uint8_t* data = nullptr;
    int32_t length = 0;
    const std::vector<int32_t>& restartStarts;
    DataEnd dataEnd = DataEnd::keep;
    ScanProgress* progress = nullptr;  // told after every MCU row, when given
};

// Decodes scans into the frame's coefficients: per component, 64 per block
// in zig-zag order, blocks row by row over the component's padded grid.
// DC values are kept whole, not as differences. Where the data runs out,
// the scan's DataEnd says what is decoded from zeros; arithmetic decoding
// reads on to the end of a scan that is not cut short, its zeros coding
// no change. One implementation per entropy coding (T.81
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
