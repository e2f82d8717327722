#pragma once

#include <cstdint>
#include <vector>

#include "jpeg/decode_options.h"
#include "jpeg/file/image_record.h"
#include "jpeg/output/colour.h"

class McuRows;
struct tdec;

// Block geometry of an interleaved scan of components 1, 2, 3 (T.81 A.2.3),
// or of the one scan of a grey picture, block by block.
struct McuLayout {
    int32_t rows = 0;
    int32_t cols = 0;
    int32_t h[3] = {}, v[3] = {};    // sampling factors
    int32_t sx[3] = {}, sy[3] = {};  // replication up to the luma's resolution
    int32_t blocksPerMcu = 0;
    ColourModel colour = ColourModel::ycbcr;  // grey, ycbcr or rgb

    static McuLayout of(const tjpgel& image);
};

// How decodeMcus leaves the picture's rows.
enum class RowColour {
    ycbcr,      // as stored: Y, Cb, Cr
    converted,  // each MCU row's picture rows converted to R, G, B as soon as it is stored
};

// Whether the scan data reaches its end-of-image marker.
enum class ScanData {
    whole,
    cutShort,  // the file ends inside the scan
};

// Decodes every MCU of the scan reader stands at the start of into rows'
// picture, with restart handling; restartStarts are where the data after
// each restart marker begins. On a block that cannot be decoded it stops
// with every block before it stored, and returns false. Of a scan cut
// short, the MCUs past the end of the data come out flat. options'
// workspace must be given; it records the way the decode went.
bool decodeMcus(tdec& reader, const McuRows& rows, ScanData data, const std::vector<int32_t>& restartStarts,
                const DecodeOptions& options);
