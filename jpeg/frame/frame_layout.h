#pragma once

#include <cstdint>

#include "jpeg/file/image_record.h"

// One component of a frame on its grid of blocks.
struct FrameComponent {
    int32_t place = 0;  // in the record's component array
    int32_t h = 1, v = 1;
    // The grid padded to whole MCUs, which interleaved scans cover...
    int32_t blocksWide = 0, blocksHigh = 0;
    // ...and the blocks its own samples fill, which a scan of it alone
    // covers (T.81 A.2.2).
    int32_t ownBlocksWide = 0, ownBlocksHigh = 0;
    // Its samples: the picture's size scaled by h / hMax and v / vMax,
    // rounded up (T.81 A.1.1).
    int32_t samplesWide = 0, samplesHigh = 0;
};

// Block geometry of a frame of one to four components, each sampled one to
// four times in each direction (T.81 A.1.1, A.2.3). Components are numbered
// in the order of their places.
struct FrameLayout {
    int32_t count = 0;
    FrameComponent component[4];
    int32_t hMax = 1, vMax = 1;
    int32_t mcusWide = 0, mcusHigh = 0;

    // The number of the component at place, -1 for none.
    int32_t componentAt(int32_t place) const;
    int64_t blockCount(int32_t n) const { return int64_t{component[n].blocksWide} * component[n].blocksHigh; }
    int64_t coefficientCount() const;

    static FrameLayout of(const tjpgel& image);
};
