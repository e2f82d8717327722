#pragma once

#include <array>
#include <cmath>
#include <cstdint>
#include <numbers>

#include "idct/quant_tables.h"

// Double-precision separable DCT pair of ITU-T T.81, A.3.3, with the exact
// value of pi: the yardstick for the fixed-point transforms.
namespace reference {

// basis[8u + x] = C(u)/2 cos((2x + 1) u pi / 16); orthonormal, so the
// forward transform uses the same matrix.
inline const std::array<double, 64>& basis()
{
    static const std::array<double, 64> table = [] {
        std::array<double, 64> b{};
        for (int u = 0; u < 8; ++u)
            for (int x = 0; x < 8; ++x)
                b[8 * u + x] =
                    (u == 0 ? std::numbers::sqrt2 / 4 : 0.5) * std::cos((2 * x + 1) * u * std::numbers::pi / 16);
        return b;
    }();
    return table;
}

// The 2-D transform as a 1-D pass along the rows, then along the columns:
// coefficients to samples when inverse, samples to coefficients otherwise.
inline void separable(const double* in, double* out, bool inverse)
{
    const auto& b = basis();
    const auto at = [&](int k, int n) { return inverse ? b[8 * k + n] : b[8 * n + k]; };
    double half[64];
    for (int r = 0; r < 8; ++r)
        for (int n = 0; n < 8; ++n) {
            double sum = 0;
            for (int k = 0; k < 8; ++k)
                sum += at(k, n) * in[8 * r + k];
            half[8 * r + n] = sum;
        }
    for (int c = 0; c < 8; ++c)
        for (int n = 0; n < 8; ++n) {
            double sum = 0;
            for (int k = 0; k < 8; ++k)
                sum += at(k, n) * half[8 * k + c];
            out[8 * n + c] = sum;
        }
}

inline void forwardDct(const double* samples, double* coefficients) { separable(samples, coefficients, false); }

// The exact samples of a block as the decoder hands it to a transform (DC
// dequantised and level-shifted, AC raw), before rounding and clamping.
inline void exactSamples(const int32_t* block, const QuantTable& table, double* samples)
{
    double coefficients[64];
    coefficients[0] = block[0];
    for (int p = 1; p < 64; ++p)
        coefficients[p] = double(block[p]) * table[p];
    separable(coefficients, samples, true);
}

// The same, rounded to the nearest level and clamped to 0..255.
inline void roundedSamples(const int32_t* block, const QuantTable& table, int32_t* samples)
{
    double exact[64];
    exactSamples(block, table, exact);
    for (int p = 0; p < 64; ++p)
        samples[p] = static_cast<int32_t>(std::clamp(std::lround(exact[p]), 0L, 255L));
}

}  // namespace reference
