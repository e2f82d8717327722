#include "jpeg/frame/frame_layout.h"

#include <algorithm>

namespace {

int32_t ceilDiv(int64_t value, int64_t divisor) { return static_cast<int32_t>((value + divisor - 1) / divisor); }

}  // namespace

int32_t FrameLayout::componentAt(int32_t place) const
{
    for (int32_t n = 0; n < count; ++n)
        if (component[n].place == place)
            return n;
    return -1;
}

int64_t FrameLayout::coefficientCount() const
{
    int64_t blocks = 0;
    for (int32_t n = 0; n < count; ++n)
        blocks += blockCount(n);
    return blocks * 64;
}

FrameLayout FrameLayout::of(const tjpgel& image)
{
    FrameLayout layout;
    for (int32_t place = 0; place < 4; ++place) {
        const ComponentSpec& spec = image.component[place];
        if (spec.hSampling <= 0 || spec.vSampling <= 0)
            continue;
        FrameComponent& c = layout.component[layout.count++];
        c.place = place;
        c.h = spec.hSampling;
        c.v = spec.vSampling;
        layout.hMax = std::max(layout.hMax, c.h);
        layout.vMax = std::max(layout.vMax, c.v);
    }
    layout.mcusWide = ceilDiv(image.width, 8 * layout.hMax);
    layout.mcusHigh = ceilDiv(image.height, 8 * layout.vMax);
    for (int32_t n = 0; n < layout.count; ++n) {
        FrameComponent& c = layout.component[n];
        c.blocksWide = layout.mcusWide * c.h;
        c.blocksHigh = layout.mcusHigh * c.v;
        c.samplesWide = ceilDiv(int64_t{image.width} * c.h, layout.hMax);
        c.samplesHigh = ceilDiv(int64_t{image.height} * c.v, layout.vMax);
        c.ownBlocksWide = ceilDiv(c.samplesWide, 8);
        c.ownBlocksHigh = ceilDiv(c.samplesHigh, 8);
    }
    return layout;
}
