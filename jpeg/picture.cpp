#include "jpeg/picture.h"

#include <cstdint>
#include <new>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace {

// A fresh plane is written page by page by the decoder; with 4 KiB pages a
// 12-megapixel picture costs some 9,000 page faults, which made the first
// decode of a size several times slower than the next. Asking for 2 MiB
// pages over the plane's aligned interior cuts that to a handful. Advice
// only: where it is not taken, nothing changes.
void adviseLargePages([[maybe_unused]] uint8_t* data, [[maybe_unused]] size_t bytes)
{
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    constexpr uintptr_t largePage = uintptr_t{1} << 21;
    const auto start = reinterpret_cast<uintptr_t>(data);
    const uintptr_t first = (start + largePage - 1) & ~(largePage - 1);
    const uintptr_t last = (start + bytes) & ~(largePage - 1);
    if (first < last)
        madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
#endif
}

} // namespace

pctr::~pctr() { clear(); }

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
