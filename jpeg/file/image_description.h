#pragma once

#include <string>

#include "jpeg/file/image_record.h"
#include "jpeg/output/colour.h"

// Words for what an image is, as the tools and the information line show it.

// "baseline", "extended", "progressive", or why there is no frame to name.
const char* frameKindName(const tjpgel& image);
// "grey", "YCbCr", "RGB", "CMYK", ...
const char* colourModelName(ColourModel model);
// How the components are sampled: "4:2:0" and the other common names for
// three components whose chroma share their factors, each component's
// factors ("2x2 1x1 1x2") otherwise; empty for one component.
std::string samplingName(const tjpgel& image);
