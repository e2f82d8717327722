#pragma once

#include <cstdint>

#include "jpeg/output/picture.h"

// Turns and mirrors the three planes of picture as EXIF orientation 1..8
// asks (TIFF 6.0, tag 274), so that they hold the picture upright; a
// quarter turn swaps width and height. Any other value, an empty record or
// a failed allocation leaves the record as it is; false then, unless there
// was nothing to do.
bool turnUpright(pctr& picture, int32_t orientation);
