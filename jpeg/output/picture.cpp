#include "jpeg/output/picture.h"

#include <cstdint>
#include <new>
#include <utility>

#include "base/large_pages.h"

pctr::~pctr() { clear(); }

void pctr::swap(pctr& other)
{
    for (int k = 0; k < 3; ++k) {
        std::swap(width[k], other.width[k]);
        std::swap(height[k], other.height[k]);
        std::swap(size[k], other.size[k]);
        std::swap(plane[k], other.plane[k]);
    }
    std::swap(colourState, other.colourState);
}

void pctr::clear()
{
    for (int k = 0; k < 3; ++k) {
        width[k] = height[k] = size[k] = 0;
        plane[k].reset();
    }
    colourState = -1;
}

bool pctr::allocate(int32_t pictureWidth, int32_t pictureHeight)
{
    const int64_t samples = int64_t{pictureWidth} * pictureHeight;
    if (pictureWidth < 0 || pictureHeight < 0 || samples > maxSamples) {
        clear();
        return false;
    }
    for (int k = 0; k < 3; ++k) {
        // A plane of the same size is reused: its contents are undefined
        // until written either way, and its pages are already mapped.
        if (plane[k] && size[k] == samples) {
            width[k] = pictureWidth;
            height[k] = pictureHeight;
            continue;
        }
        plane[k].reset();
        plane[k].reset(new (std::nothrow) uint8_t[static_cast<size_t>(samples)]);
        if (!plane[k]) {
            clear();
            return false;
        }
        adviseLargePages(plane[k].get(), static_cast<size_t>(samples));
        width[k] = pictureWidth;
        height[k] = pictureHeight;
        size[k] = static_cast<int32_t>(samples);
    }
    return true;
}
