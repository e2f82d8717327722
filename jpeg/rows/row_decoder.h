#pragma once

#include <cstdint>

#include "jpeg/file/image_record.h"
#include "jpeg/output/colour.h"

// Threads a decode may use: 1 keeps everything on the calling thread (kept
// for comparison); 2 splits the entropy decoding between the threads where
// the picture is tall enough to cut into bands, and otherwise overlaps it
// with the inverse DCT, the stores and the colour conversion. The output is
// the same.
extern int32_t decodeThreads;

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

// The way a decode went, which decodeMcus records for the tests to see.
enum class DecodePath {
    none,         // no scan decoded yet
    oneThread,    // on the calling thread alone
    cutScan,      // a scan cut short, on the calling thread
    rowPipeline,  // the calling thread entropy-decodes rows, both threads finish them
    bands,        // the scan cut into bands, both threads entropy-decode
    frame,        // by the frame decoder, through coefficients of the whole frame
};
extern DecodePath lastDecodePath;

// Decodes every MCU of decoder's image into picture, with restart handling.
// On a block that cannot be decoded it stops with every block before it
// stored, and returns false. Of a scan cut short, the MCUs past the end of
// the data come out flat.
bool decodeMcus(const McuLayout& layout, RowColour colour, ScanData data);
