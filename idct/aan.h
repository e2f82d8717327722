#pragma once

#include <cstdint>

#include "idct/tidct.h"

// Arai-Agui-Nakajima inverse DCT in 7-bit fixed point: the scaled 1-D
// butterfly network (five multiplications per eight points) over the eight
// columns, then over the eight rows.
class taanidct : public tidct {
public:
    taanidct();
    void transformAs(int32_t* block, BlockShape shape) override;
    int32_t flatSample(int32_t dc) const override;
    // m: the 64 quantisation values in natural order, m[0] = 1.
    void setTable(const int32_t* m);

    int32_t c4;
    int32_t c2MinusC6;
    int32_t c4Odd;
    int32_t c2PlusC6;
    int32_t c6;
    // d_k of prescale_matrix.h times 128, truncated: the matrix carries the
    // row's factor, the row pass multiplies by the column's.
    int32_t scale[8];
    // matrix[j][i] multiplies block element (row i, column j): m[8i + j]
    // times scale[i], so matrix[0][0] = scale[0]. Stored transposed.
    int32_t matrix[8][8] = {};
    int32_t shift;
};
