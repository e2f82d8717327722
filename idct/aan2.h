#pragma once

#include <cstdint>

#include "idct/tidct.h"

// Arai-Agui-Nakajima inverse DCT, second form: the network of taanidct in
// 9-bit fixed point with no rounding inside it, and one multiplier matrix
// that carries the whole prescale.
class taanidct2 : public tidct {
public:
    taanidct2();
    void transformAs(int32_t* block, BlockShape shape) override;
    int32_t flatSample(int32_t dc) const override;
    // m: the 64 quantisation values in natural order, m[0] = 1.
    void setTable(const int32_t* m);

    double pi;
    int32_t c4;
    int32_t c2MinusC6;
    int32_t c4Odd;
    int32_t c2PlusC6;
    int32_t c6;
    int32_t matrix[64] = {};  // natural order, 512 x d_i x m[8i+j] x d_j
    int32_t shift;
};
