#pragma once

#include <cstddef>
#include <cstdint>

// The EXIF Orientation tag (0x0112) of a file's own stream: how the stored
// picture must be turned to stand upright, 1 to 8 as TIFF 6.0 numbers them
// (1 as stored, 6 turned a quarter clockwise, 8 a quarter anticlockwise).
// 1 when the file has no EXIF block before its first frame or scan header,
// or when the block is damaged: a bad block never stops a picture loading.
int32_t exifOrientation(const uint8_t* file, size_t size);
