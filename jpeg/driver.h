#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "idct/tidct.h"
#include "jpeg/decode_options.h"
#include "jpeg/file/image_record.h"

// Decodes the image of jpgFile that subImageIndex selects (-1 = the main
// picture, replaced by the index it resolves to) into picture with the inverse-DCT
// family that idctIndex selects, and prints the load time measured from
// startTick. Returns the number of images in the file, 0 on failure.
int32_t decodeImage(uint32_t startTick, const DecodeOptions& options = {});

// Rebuilds all three inverse-DCT families for image's quantisation tables
// and selects the family idctIndex names into idctActive.
void buildIdcts(const tjpgel& image);

// Whether the row decoder (jpeg/rows/row_decoder.h) takes this image: every segment
// read, a sequential frame of one scan, interleaved, of three Y/Cb/Cr or
// RGB components with sampling ratios 1, 2 or 4 to the first, or of one
// grey component; defined quantisation tables, and a picture within the
// size limit. The frame decoder (jpeg/frame/frame_decoder.h) takes the rest.
bool rowDecodable(const tjpgel& image);
// Whether either decoder takes it.
bool decodableLayout(const tjpgel& image);

// A quantisation table (zig-zag order) as every transform takes it: natural
// order, and 1 for the DC term, which arrives dequantised.
std::array<int32_t, 64> transformTable(const int32_t* quant);

// A transform built for table, as buildIdcts builds the families.
template <class Transform>
std::unique_ptr<Transform> builtFor(const std::array<int32_t, 64>& table)
{
    auto idct = std::make_unique<Transform>();
    idct->setTable(table.data());
    return idct;
}

// Family `family` (0 fw, 1 aan, 2 aan2) built for table; null for any other.
std::unique_ptr<tidct> builtFamily(int32_t family, const std::array<int32_t, 64>& table);
