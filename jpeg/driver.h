#pragma once

#include <cstdint>

#include "jpeg/image_record.h"

// Decodes the image of jpgFile that subImageIndex selects (-1 = the main
// picture, replaced by the index it resolves to) into picture with the inverse-DCT
// family that idctIndex selects, and prints the load time measured from
// startTick. Returns the number of images in the file, 0 on failure.
int32_t decodeImage(uint32_t startTick);

// Rebuilds all three inverse-DCT families for image's quantisation tables
// and selects the family idctIndex names into idctActive.
void buildIdcts(const tjpgel& image);

// Whether the row decoder (jpeg/mcu_loop.h) takes this image: every segment
// read, a sequential frame of one scan, interleaved, of three Y/Cb/Cr or
// RGB components with sampling ratios 1, 2 or 4 to the first, or of one
// grey component; defined quantisation tables, and a picture within the
// size limit. The frame decoder (jpeg/frame_decoder.h) takes the rest.
bool rowDecodable(const tjpgel& image);
// Whether either decoder takes it.
bool decodableLayout(const tjpgel& image);
