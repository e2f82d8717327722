// Exact inverse DCT in double precision.
//
// Separable: a 1-D pass over the coefficient rows, then one over the
// columns. The basis is scaled by sqrt(2) so that the DC weight is exactly 1
// on each axis and the overall factor 1/4 C(u) C(v) becomes a final /8; a
// block with no AC terms then comes out as exactly dc / 8, whose .5 ties
// round as flatSample rounds them. Dequantising in double keeps every int32
// input free of overflow: the largest sum stays far below 2^80.

#include "idct/exact_idct.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

int32_t roundToSample(double x)
{
    const double rounded = std::floor(x + 0.5);
    return rounded <= 0 ? 0 : rounded >= 255 ? 255 : static_cast<int32_t>(rounded);
}

}  // namespace

ExactIdct::ExactIdct()
{
    for (int x = 0; x < 8; ++x) {
        basis_[8 * x] = 1.0;
        for (int u = 1; u < 8; ++u)
            basis_[8 * x + u] = std::numbers::sqrt2 * std::cos((2 * x + 1) * u * std::numbers::pi / 16);
    }
    std::fill(table_, table_ + 64, 1.0);
}

void ExactIdct::setTable(const int32_t* m) { std::copy_n(m, 64, table_); }

void ExactIdct::unroundedSamples(const int32_t* block, double* samples) const
{
    // Rows of the horizontal pass that are all zero stay zero: most blocks
    // carry only a few coefficient rows, and skipping an exact zero changes
    // no sum.
    double rows[8][8];
    bool nonzero[8];
    for (int v = 0; v < 8; ++v) {
        double f[8];
        nonzero[v] = false;
        for (int u = 0; u < 8; ++u) {
            f[u] = block[8 * v + u] * table_[8 * v + u];
            nonzero[v] = nonzero[v] || block[8 * v + u] != 0;
        }
        if (!nonzero[v])
            continue;
        for (int x = 0; x < 8; ++x) {
            double sum = 0;
            for (int u = 0; u < 8; ++u)
                sum += basis_[8 * x + u] * f[u];
            rows[v][x] = sum;
        }
    }
    for (int y = 0; y < 8; ++y) {
        double sum[8] = {};
        for (int v = 0; v < 8; ++v) {
            if (!nonzero[v])
                continue;
            for (int x = 0; x < 8; ++x)
                sum[x] += basis_[8 * y + v] * rows[v][x];
        }
        for (int x = 0; x < 8; ++x)
            samples[8 * y + x] = sum[x] / 8;
    }
}

void ExactIdct::transformAs(int32_t* block, BlockShape)
{
    double samples[64];
    unroundedSamples(block, samples);
    for (int p = 0; p < 64; ++p)
        block[p] = roundToSample(samples[p]);
}

int32_t ExactIdct::flatSample(int32_t dc) const { return roundToSample(dc * table_[0] / 8); }
