#pragma once

#include <cstdint>

// Turns the global picture from Y/Cb/Cr into R/G/B in place. Returns 1 when
// it converted, 0 when the picture was not awaiting conversion.
int32_t convertColour();

// Converts rows first..first+count-1 of the picture, whose planes must hold
// Y, Cb, Cr there; colourState is left to the caller.
void convertPictureRows(int32_t first, int32_t count);
