#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <random>

#include "idct/quant_tables.h"
#include "idct/reference_dct.h"

// Coefficient blocks as the decoder hands them to a transform: the DC term
// dequantised and level-shifted (+1024), the AC terms quantised but not
// dequantised, natural order.
using CoefficientBlock = std::array<int32_t, 64>;

// Photographic-looking 8x8 sample blocks: a plane of random brightness and
// slope plus some sensor-like noise.
inline std::array<double, 64> naturalSamples(std::mt19937& rng)
{
    std::uniform_real_distribution<double> level(16, 240), slope(-12, 12), spread(0, 6);
    const double base = level(rng), dx = slope(rng), dy = slope(rng);
    std::normal_distribution<double> noise(0, spread(rng));
    std::array<double, 64> samples{};
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            samples[8 * y + x] = std::clamp(base + dx * (x - 3.5) + dy * (y - 3.5) + noise(rng), 0.0, 255.0);
    return samples;
}

// Encodes samples the way a baseline encoder does (level shift, forward
// DCT, quantisation to the nearest step) and prepares the result for a
// transform.
inline CoefficientBlock codeBlock(const std::array<double, 64>& samples, const QuantTable& table)
{
    double shifted[64], coefficients[64];
    for (int p = 0; p < 64; ++p)
        shifted[p] = samples[p] - 128;
    reference::forwardDct(shifted, coefficients);
    CoefficientBlock block{};
    for (int p = 0; p < 64; ++p)
        block[p] = static_cast<int32_t>(std::lround(coefficients[p] / table[p]));
    block[0] = block[0] * table[0] + 1024;
    return block;
}

inline CoefficientBlock naturalBlock(std::mt19937& rng, const QuantTable& table)
{
    return codeBlock(naturalSamples(rng), table);
}
