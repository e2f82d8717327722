#include "jpeg/colour.h"

#include <algorithm>

#include "jpeg/mcu_loop.h"
#include "jpeg/parallel.h"
#include "jpeg/picture.h"

namespace {

#if defined(__x86_64__) && defined(__GNUC__)
#define VIEWER_VECTOR_CLONES [[gnu::target_clones("avx2", "default")]]
#else
#define VIEWER_VECTOR_CLONES
#endif

// Fixed-point T.871 conversion: red and blue at 8 fractional bits (gains
// 360/256 = 1.406 and 454/256 = 1.773), green at 16 from the scaled red and
// blue, where 111616 = 65536 + 256 * (130 + 50) cancels the luma they carry.
// The planes never overlap, which lets the loop run in vector lanes.
VIEWER_VECTOR_CLONES
void convertSamples(uint8_t* __restrict p0, uint8_t* __restrict p1, uint8_t* __restrict p2, int32_t count)
{
    for (int32_t s = 0; s < count; ++s) {
        const int32_t y = p0[s], cb = p1[s], cr = p2[s];
        const int32_t redScaled = 256 * y + 360 * (cr - 128);
        const int32_t blueScaled = 256 * y + 454 * (cb - 128);
        const int32_t green = (111616 * y - 130 * redScaled - 50 * blueScaled) >> 16;
        p0[s] = static_cast<uint8_t>(std::clamp(redScaled >> 8, 0, 255));
        p1[s] = static_cast<uint8_t>(std::clamp(green, 0, 255));
        p2[s] = static_cast<uint8_t>(std::clamp(blueScaled >> 8, 0, 255));
    }
}

// Below this a second thread costs more than it saves.
constexpr int32_t parallelMinimumSamples = 1 << 18;

} // namespace

void convertPictureRows(int32_t first, int32_t count)
{
    const int64_t start = int64_t{first} * picture.width[0];
    convertSamples(picture.plane[0].get() + start, picture.plane[1].get() + start, picture.plane[2].get() + start,
                   count * picture.width[0]);
}

int32_t convertColour()
{
    if (picture.colourState != 1 || picture.size[0] != picture.size[1] || picture.size[0] != picture.size[2] ||
        !picture.plane[0] || !picture.plane[1] || !picture.plane[2])
        return 0;
    uint8_t* p0 = picture.plane[0].get();
    uint8_t* p1 = picture.plane[1].get();
    uint8_t* p2 = picture.plane[2].get();
    const int32_t count = picture.size[0];
    if (decodeThreads < 2 || count < parallelMinimumSamples) {
        convertSamples(p0, p1, p2, count);
    } else {
        // Every sample stands alone: the two halves go to two threads.
        const int32_t half = count / 2;
        runBothHalves([=] { convertSamples(p0, p1, p2, half); },
                      [=] { convertSamples(p0 + half, p1 + half, p2 + half, count - half); });
    }
    picture.colourState = 0;
    return 1;
}
