#pragma once

#include <cstdint>
#include <vector>

#include "support/reference_codec.h"

// Parses bytes as a file and decodes image `index` (-1 = the last) with
// inverse-DCT family `family` (0 fw, 1 aan, 2 aan2) through the same calls
// the viewer makes. Returns decodeImage's result, or 0 when parsing failed.
int32_t decodeBytes(const std::vector<uint8_t>& bytes, int32_t family = 0, int32_t index = -1);

// The global picture's planes, interleaved as R, G, B.
RgbImage pictureAsRgb();

// Puts the decoder's globals back to their start-up state.
void resetDecoderGlobals();
