#pragma once

#include <cstdint>
#include <memory>

#include "idct/block_shape.h"

// An 8x8 inverse DCT. The block is 64 int32 in natural row-major order:
// element 0 is the final DC term (dequantised, predicted, plus 1024 for the
// level shift), elements 1..63 the AC terms as decoded, not yet multiplied
// by the quantisation table: each transform dequantises them itself through
// the multiplier matrix it was built with. The block is overwritten with the
// 64 samples, each 0..255, whatever the input.
class tidct {
public:
    virtual void transform(int32_t* block) { transformAs(block, shapeOf(block)); }
    // The same for a block known to have the given shape; any block may
    // take BlockShape::full, the whole network.
    virtual void transformAs(int32_t* block, BlockShape shape) = 0;
    // Every sample of the transform of a block whose AC terms are all zero.
    virtual int32_t flatSample(int32_t dc) const = 0;
    virtual ~tidct() = default;
};
