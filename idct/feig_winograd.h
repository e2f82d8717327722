#pragma once

#include <cstdint>

#include "idct/tidct.h"

// Feig-Winograd inverse DCT: the 1-D scaled transform factored as
// post-additions x multiplications x pre-additions, each stage applied along
// both axes before the next, so that the multiplications of the two axes
// merge into one 2-D stage of 54 products.
class ifwi : public tidct {
public:
    ifwi();
    void transformAs(int32_t* block, BlockShape shape) override;
    int32_t flatSample(int32_t dc) const override;
    // m: the 64 quantisation values in natural order, m[0] = 1.
    void setTable(const int32_t* m);

    int32_t shift;
    double tableScale;
    int32_t matrix[64] = {};  // natural order, 512 x d_i x m[8i+j] x d_j
    double pi;
    int32_t c2;
    int32_t c4;
    int32_t c6;
    int32_t c2MinusC6;
    int32_t c2PlusC6;
    int32_t c4C2MinusC6;
    int32_t c4C2PlusC6;
    int32_t c4C6;
    int32_t quarterRoot2;
};
