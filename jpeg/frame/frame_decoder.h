#pragma once

#include <cstdint>
#include <functional>

#include "jpeg/decode_options.h"
#include "jpeg/file/image_record.h"
#include "jpeg/frame/frame_layout.h"

struct pctr;
struct tdec;
struct tjpg;

// Frames of several scans (progressive, or one scan per component), of
// four components, or sampled other than the row decoder takes: every scan
// is decoded into coefficients of the whole frame, then every block goes
// through the active inverse DCT into picture, upsampled and converted to
// R, G, B.

// Whether the frame decoder takes image: a frame header of one, three or
// four components whose colours it knows, within the size limits.
bool frameDecodable(const tjpgel& image);

// Decodes image, one of file's, into picture through reader, with the
// inverse DCTs built for its tables. A file cut short inside a scan keeps
// what its data held. Returns false when the image cannot be decoded.
// options' workspace must be given; it records the way the decode went.
bool decodeFrame(const tjpgel& image, tjpg& file, tdec& reader, pctr& picture, const DecodeOptions& options);

// One block of a decoded frame as the inverse DCTs take it.
struct FrameBlock {
    int32_t component = 0;        // FrameLayout's number
    int32_t row = 0, column = 0;  // on the component's grid of blocks
    int32_t quantTable = 0;       // the component's Tq
    // 64 terms in natural order: the DC term dequantised and level-shifted,
    // the AC terms as coded. The visitor may overwrite them.
    int32_t* terms = nullptr;
};

// Called for each block with the frame's layout (each component's sample
// size among it) and the image whose quant[block.quantTable] (zig-zag
// order) the block's AC terms are to be dequantised with.
using FrameBlockVisitor = std::function<void(const FrameLayout&, const tjpgel&, const FrameBlock&)>;

// Decodes image `index` of file into coefficients in workspace as
// decodeFrame does, baseline frames too, and hands every block each
// component's samples reach to visit: component by component, row by row.
// No picture is touched. Returns false, having visited nothing, when the
// image cannot be decoded.
bool visitFrameBlocks(tjpg& file, int32_t index, DecodeWorkspace& workspace, const FrameBlockVisitor& visit);
