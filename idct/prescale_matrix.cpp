#include "idct/prescale_matrix.h"

#include <cmath>

namespace {

void prescaleFactors(double pi, double* d)
{
    d[0] = std::sqrt(2.0) * 0.25;
    for (int k = 1; k < 8; ++k)
        d[k] = 1.0 / (std::cos(pi * k * 0.0625) * 4.0);
}

// Truncates toward zero. Legal quantisation values stay far inside int32;
// anything larger wraps instead of being undefined (the product is below
// 2^41, so the int64 step is exact).
int32_t truncateToInt32(double v) { return static_cast<int32_t>(static_cast<int64_t>(v)); }

}  // namespace

void buildPrescaleMatrix(const int32_t* m, double pi, double scale, int32_t* matrix)
{
    double d[8];
    prescaleFactors(pi, d);
    // R = D (Q D) with D = diag(d): every off-diagonal term of both products
    // is an exact zero, so each entry is d_i * (m * d_j) in that order.
    for (int i = 0; i < 8; ++i) {
        for (int j = 0; j < 8; ++j) {
            const double r = d[i] * (m[8 * i + j] * d[j]);
            matrix[8 * i + j] = truncateToInt32(r * scale);
        }
    }
}
