#pragma once

#include <cstdint>

#include "idct/tidct.h"

// The inverse DCT of ITU-T T.81, A.3.3, in double precision with the true
// value of pi, rounded to the nearest level: the yardstick the fixed-point
// families are measured against. Never offered as a family.
class ExactIdct : public tidct {
public:
    ExactIdct();
    // Ignores the shape: every block takes the whole transform.
    void transformAs(int32_t* block, BlockShape shape) override;
    int32_t flatSample(int32_t dc) const override;
    // m: the 64 quantisation values in natural order, m[0] = 1.
    void setTable(const int32_t* m);

    // The samples of block before rounding and clamping, level shift included.
    void unroundedSamples(const int32_t* block, double* samples) const;

private:
    double table_[64] = {};
    // basis_[8 * x + u] = sqrt(2) C(u) cos((2x + 1) u pi / 16), so that the
    // DC term's weight is exactly 1 along each axis; the 2-D sum is divided
    // by 8 once at the end.
    double basis_[64] = {};
};
