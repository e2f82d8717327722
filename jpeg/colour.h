#pragma once

#include <cstdint>

// Turns the global picture from Y/Cb/Cr into R/G/B in place. Returns 1 when
// it converted, 0 when the picture was not awaiting conversion.
int32_t convertColour();

// Converts count samples of three planes from Y, Cb, Cr to R, G, B in
// place: in AVX2 registers where the processor has them and wide is true,
// else with the portable loop, which gives the same bytes.
void convertSamples(uint8_t* y, uint8_t* cb, uint8_t* cr, int32_t count, bool wide = true);

// Converts rows first..first+count-1 of the picture, whose planes must hold
// Y, Cb, Cr there; colourState is left to the caller.
void convertPictureRows(int32_t first, int32_t count);
