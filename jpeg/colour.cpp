#include "jpeg/colour.h"

#include <algorithm>

#include "jpeg/picture.h"

namespace {

uint8_t clampSample(int32_t value) { return static_cast<uint8_t>(std::clamp(value, 0, 255)); }

} // namespace

// Fixed-point T.871 conversion: red and blue at 8 fractional bits (gains
// 360/256 = 1.406 and 454/256 = 1.773), green at 16 from the scaled red and
// blue, where 111616 = 65536 + 256 * (130 + 50) cancels the luma they carry.
int32_t convertColour()
{
    if (picture.colourState != 1 || picture.size[0] != picture.size[1] || picture.size[0] != picture.size[2] ||
        !picture.plane[0] || !picture.plane[1] || !picture.plane[2])
        return 0;
    uint8_t* p0 = picture.plane[0].get();
    uint8_t* p1 = picture.plane[1].get();
    uint8_t* p2 = picture.plane[2].get();
    for (int32_t s = 0; s < picture.size[0]; ++s) {
        const int32_t y = p0[s], cb = p1[s], cr = p2[s];
        const int32_t redScaled = 256 * y + 360 * (cr - 128);
        const int32_t blueScaled = 256 * y + 454 * (cb - 128);
        const int32_t green = (111616 * y - 130 * redScaled - 50 * blueScaled) >> 16;
        p0[s] = clampSample(redScaled >> 8);
        p1[s] = clampSample(green);
        p2[s] = clampSample(blueScaled >> 8);
    }
    picture.colourState = 0;
    return 1;
}
