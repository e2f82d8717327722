#pragma once

#include <cstdint>

#include "jpeg/file/image_record.h"

struct pctr;

// Turns picture from Y/Cb/Cr into R/G/B in place. Returns 1 when it
// converted, 0 when the picture was not awaiting conversion.
int32_t convertColour(pctr& picture);

// Converts count samples of three planes from Y, Cb, Cr to R, G, B in
// place: in AVX2 registers where the processor has them and wide is true,
// else with the portable loop, which gives the same bytes.
void convertSamples(uint8_t* y, uint8_t* cb, uint8_t* cr, int32_t count, bool wide = true);

// The same for chroma of half the luma's width, each chroma sample serving
// two picture samples: red replaces y, green and blue go to their planes.
void convertHalfWidthChroma(uint8_t* y, const uint8_t* cb, const uint8_t* cr, uint8_t* green, uint8_t* blue,
                            int32_t count, bool wide = true);

// How a frame's components code its colours, read from its markers the
// way libjpeg-turbo reads them: one component is grey; three are Y/Cb/Cr
// unless an Adobe marker says RGB (transform 0) or, without JFIF and
// Adobe markers, their identifiers are 'R', 'G', 'B'; four are CMYK, or
// YCCK where an Adobe marker says so (transform 2). Adobe applications
// store CMYK inverted (0 is full ink), and so their YCCK.
enum class ColourModel { grey, ycbcr, rgb, cmyk, invertedCmyk, ycck, unknown };

ColourModel colourModelOf(const tjpgel& image);

// Converts rows first..first+count-1 of the picture from model to R, G,
// B in place; the planes hold the first three components there, fourth
// the fourth (K), rows of picture.width[0] samples.
void convertPictureRowsFrom(pctr& picture, ColourModel model, const uint8_t* fourth, int32_t first, int32_t count);
