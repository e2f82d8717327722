#pragma once

#include <array>
#include <cstdint>

// zigzag[n] is the position in the zig-zag order of T.81 (figure A.6) of
// the natural, row-major position n.
inline constexpr std::array<int8_t, 64> zigzag = [] {
    std::array<int8_t, 64> table{};
    int row = 0, col = 0;
    for (int index = 0; index < 64; ++index) {
        table[row * 8 + col] = static_cast<int8_t>(index);
        const bool up = (row + col) % 2 == 0;
        if (up) {
            if (col == 7)
                ++row;
            else if (row == 0)
                ++col;
            else {
                --row;
                ++col;
            }
        } else {
            if (row == 7)
                ++col;
            else if (col == 0)
                ++row;
            else {
                ++row;
                --col;
            }
        }
    }
    return table;
}();

// The 64 values of a table kept in zig-zag order (as a DQT segment carries
// them, T.81 B.2.4.1) in natural, row-major order.
inline std::array<int32_t, 64> inNaturalOrder(const int32_t* zigzagOrdered)
{
    std::array<int32_t, 64> natural{};
    for (int n = 0; n < 64; ++n)
        natural[n] = zigzagOrdered[zigzag[n]];
    return natural;
}
