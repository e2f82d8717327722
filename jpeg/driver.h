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

// Whether the decoder can decode this image: every segment read, an
// interleaved scan of three components with sampling ratios 1, 2 or 4 to the luma, defined
// quantisation tables, and a picture within the size limit.
bool decodableLayout(const tjpgel& image);
