#pragma once

#include <cstdint>
#include <iosfwd>
#include <vector>

#include "jpeg/rows/row_decoder.h"

// Decodes through the viewer's own calls only, so that the programs built
// for a target without libjpeg-turbo use them too.

// Parses bytes as a file and decodes image `index` (-1 = the main picture)
// with inverse-DCT family `family` (0 fw, 1 aan, 2 aan2) through the same
// calls the viewer makes. Returns decodeImage's result, or 0 when parsing failed.
int32_t decodeBytes(const std::vector<uint8_t>& bytes, int32_t family = 0, int32_t index = -1);

// FNV-1a of the global picture's three planes, one after the other.
uint64_t planesHash();

// Puts the decoder's globals back to their start-up state.
void resetDecoderGlobals();

// The name of a way a decode went, for messages; PrintTo is GoogleTest's.
const char* decodePathName(DecodePath path);
void PrintTo(DecodePath path, std::ostream* out);
