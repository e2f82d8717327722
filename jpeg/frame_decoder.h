#pragma once

#include "jpeg/image_record.h"

// Frames of several scans (progressive, or one scan per component), of
// four components, or sampled other than the row decoder takes: every scan
// is decoded into coefficients of the whole frame, then every block goes
// through the active inverse DCT into picture, upsampled and converted to
// R, G, B.

// Whether the frame decoder takes image: a frame header of one, three or
// four components whose colours it knows, within the size limits.
bool frameDecodable(const tjpgel& image);

// Decodes image into picture, with the inverse DCTs built for its tables.
// A file cut short inside a scan keeps what its data held. Returns false
// when the image cannot be decoded.
bool decodeFrame(const tjpgel& image);
