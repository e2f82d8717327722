#pragma once

#include <cstdint>

// The per-pixel rules of the three filters, shared by the row kernels and
// samplePicture. Every frame pixel is decided by the double arithmetic
// written here, in this order; the vector fast path in row_kernels.cpp
// repeats it lane by lane and must stay bit-identical to it.

// The picture as the filters read it: planes 0, 1, 2 as red, green, blue.
struct PictureView {
    int32_t width = 0;
    int32_t height = 0;
    int64_t samples = 0;  // 0 when there is nothing to read
    const uint8_t* red = nullptr;
    const uint8_t* green = nullptr;
    const uint8_t* blue = nullptr;
};

inline uint32_t packPixel(uint32_t red, uint32_t green, uint32_t blue) { return (red << 16) | (green << 8) | blue; }

struct Nearest {
    static uint32_t sample(const PictureView& p, int64_t s, double, double, int32_t, int32_t)
    {
        return packPixel(p.red[s], p.green[s], p.blue[s]);
    }
};

// The helpers of the blending filters below are forced inline: as calls
// per pixel and channel they halve those filters' speed.

// The four samples around (u, v); the right and lower ones repeat the edge
// at the picture's last column and row.
struct Neighbours {
    int64_t s00;
    int64_t s10;
    int64_t s01;
    int64_t s11;
};

[[gnu::always_inline]] inline Neighbours neighbours(const PictureView& p, int64_t s, int32_t pc, int32_t pr)
{
    const bool hasRight = pc < p.width - 1;
    const int64_t s10 = (hasRight && s + 1 < p.samples) ? s + 1 : s;
    const int64_t s01 = (pr < p.height - 1 && s10 + p.width < p.samples) ? s + p.width : s;
    const int64_t s11 = (hasRight && s01 + 1 < p.samples) ? s01 + 1 : s01;
    return {s, s10, s01, s11};
}

// Both horizontal blends are truncated before the vertical one uses them.
// Near the top and left borders a weight can be slightly negative and the
// blend can leave 0..255; it is clamped rather than wrapped, so a dark edge
// stays dark. Weights in 0..1 never leave the range.
[[gnu::always_inline]] inline uint32_t blendChannel(const uint8_t* plane, const Neighbours& n, double wx, double wy)
{
    const int32_t p00 = plane[n.s00];
    const int32_t p01 = plane[n.s01];
    const int32_t top = p00 + static_cast<int32_t>(wx * (plane[n.s10] - p00));
    const int32_t bottom = p01 + static_cast<int32_t>(wx * (plane[n.s11] - p01));
    const int32_t value = static_cast<int32_t>(top + wy * (bottom - top));
    return static_cast<uint32_t>(value < 0 ? 0 : (value > 255 ? 255 : value));
}

[[gnu::always_inline]] inline uint32_t blendPixel(const PictureView& p, const Neighbours& n, double wx, double wy)
{
    return packPixel(blendChannel(p.red, n, wx, wy), blendChannel(p.green, n, wx, wy), blendChannel(p.blue, n, wx, wy));
}

// The weights are templates so that the row kernels apply the very same
// operations to a vector of fractions.

// Bilinear's weights are the fractions themselves; left of column 0 and
// above row 0 they are negative and the blend extrapolates.
struct Bilinear {
    template <class T>
    [[gnu::always_inline]] static T weight(T fraction)
    {
        return fraction;
    }

    static uint32_t sample(const PictureView& p, int64_t s, double u, double v, int32_t pc, int32_t pr)
    {
        return blendPixel(p, neighbours(p, s, pc, pr), weight(u - pc), weight(v - pr));
    }
};

struct SmoothBilinear {
    // 3t^2 - 2t^3 of the fraction's magnitude t: flat near the samples,
    // steepest half-way between them. A fraction of -0.0 keeps its sign
    // here, which gives the same weight, 0.0.
    template <class T>
    [[gnu::always_inline]] static T weight(T fraction)
    {
        const T t = fraction < 0.0 ? -fraction : fraction;
        return 1.0 - ((2.0 * t * t * t - 3.0 * t * t) + 1.0);
    }

    static uint32_t sample(const PictureView& p, int64_t s, double u, double v, int32_t pc, int32_t pr)
    {
        return blendPixel(p, neighbours(p, s, pc, pr), weight(u - pc), weight(v - pr));
    }
};
