#include "support/bmp_builder.h"

#include <cstdlib>

namespace {

void putU32(std::vector<uint8_t>& b, size_t at, uint32_t v)
{
    for (int k = 0; k < 4; ++k)
        b[at + k] = static_cast<uint8_t>(v >> (8 * k));
}

}  // namespace

std::vector<uint8_t> makeBmp(const BmpSpec& spec)
{
    const int32_t rows = std::abs(spec.height);
    const size_t stride = (size_t(spec.width > 0 ? spec.width : 0) * 3 + 3) / 4 * 4;
    std::vector<uint8_t> b(54 + stride * size_t(rows), 0);
    b[0] = 'B';
    b[1] = 'M';
    putU32(b, 2, static_cast<uint32_t>(b.size()));
    putU32(b, 10, 54);
    putU32(b, 14, 40);
    putU32(b, 18, static_cast<uint32_t>(spec.width));
    putU32(b, 22, static_cast<uint32_t>(spec.height));
    b[26] = 1;
    b[28] = static_cast<uint8_t>(spec.bitsPerPixel);
    putU32(b, 30, spec.compression);
    for (int32_t row = 0; row < rows; ++row) {
        const int32_t y = spec.height < 0 ? row : rows - 1 - row;
        for (int32_t x = 0; x < spec.width; ++x) {
            uint8_t* pixel = &b[54 + stride * size_t(row) + size_t(x) * 3];
            pixel[0] = static_cast<uint8_t>(x);
            pixel[1] = static_cast<uint8_t>(y);
            pixel[2] = static_cast<uint8_t>(100 + x + y);
        }
    }
    return b;
}
