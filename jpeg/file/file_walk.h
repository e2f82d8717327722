#pragma once

#include <cstdint>

#include "jpeg/file/container.h"

// What the walk learns about the file's own stream besides its images.
struct WalkResult {
    int32_t mainImage = -1;       // its last image; -1 if it has none
    int32_t frameMarker = 0;      // the last frame marker (SOF0..SOF15) in it
    int32_t trailingFailure = 0;  // a segment after its last image that could not be read
};

// Indexes every image of the file into images, in file order: those of the
// file's own stream, those of JPEG streams nested in its application
// segments (thumbnails, previews), and those of the streams that follow its
// end-of-image marker (MPF images). Segments are stepped over by their
// length, so bytes inside a payload are never taken for markers. Raises the
// code of a segment of the file's own stream that cannot be read and is
// followed by a scan; a nested stream's failure only marks its image.
WalkResult walkFile(const uint8_t* file, int32_t size, ImageIndex& images);
