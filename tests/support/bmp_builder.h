#pragma once

#include <cstdint>
#include <vector>

// A BMP file with a 40-byte info header. Pixel (x, y) of the picture (top
// row 0) gets blue = x, green = y, red = 100 + x + y.
struct BmpSpec {
    int32_t width = 2;
    int32_t height = 2;  // negative: rows stored top-down
    uint16_t bitsPerPixel = 24;
    uint32_t compression = 0;
};

std::vector<uint8_t> makeBmp(const BmpSpec& spec);
