#pragma once

#include <algorithm>
#include <array>
#include <cstdint>

// Quantisation tables in natural row-major order (8 * row + column).
using QuantTable = std::array<int32_t, 64>;

// ITU-T T.81 Annex K, Tables K.1 (luminance) and K.2 (chrominance).
inline constexpr QuantTable kLuminanceTable = {16, 11, 10, 16, 24,  40,  51,  61,  12, 12, 14, 19, 26,  58,  60,  55,
                                               14, 13, 16, 24, 40,  57,  69,  56,  14, 17, 22, 29, 51,  87,  80,  62,
                                               18, 22, 37, 56, 68,  109, 103, 77,  24, 35, 55, 64, 81,  104, 113, 92,
                                               49, 64, 78, 87, 103, 121, 120, 101, 72, 92, 95, 98, 112, 100, 103, 99};
inline constexpr QuantTable kChrominanceTable = {17, 18, 24, 47, 99, 99, 99, 99, 18, 21, 26, 66, 99, 99, 99, 99,
                                                 24, 26, 56, 99, 99, 99, 99, 99, 47, 66, 99, 99, 99, 99, 99, 99,
                                                 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99,
                                                 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99};

// The usual encoder quality scaling (quality 50 = the Annex K table).
inline QuantTable scaledTable(const QuantTable& base, int quality)
{
    const int percent = quality < 50 ? 5000 / quality : 200 - 2 * quality;
    QuantTable table{};
    for (int p = 0; p < 64; ++p)
        table[p] = std::clamp((base[p] * percent + 50) / 100, 1, 255);
    return table;
}
