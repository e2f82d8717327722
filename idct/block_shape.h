#pragma once

#include <cstdint>
#include <type_traits>

#include "idct/lanes.h"

// Where a block's nonzero coefficients lie. Most blocks of a picture at
// ordinary qualities carry their energy in the low frequencies: half of
// them at q50 are flat, and most of the rest fit the top-left quarter. Each
// transform takes a shortcut for these shapes that gives the samples its
// whole network gives, bit for bit, since every step of the networks is
// exact integer arithmetic on which a known zero can be folded.
enum class BlockShape {
    dcOnly,      // every AC term zero
    topLeft2x2,  // nonzero terms only in rows 0..1 and columns 0..1
    topLeft4x4,  // ... in rows 0..3 and columns 0..3
    full,
};

BlockShape shapeOf(const int32_t* block);

// All 64 samples set to one value.
void fillBlock(int32_t* block, int32_t sample);

// The sample range clamp of the transforms' closing step, on one value.
inline int32_t clampToSample(int32_t v) { return v < 0 ? 0 : v > 255 ? 255 : v; }

// Calls body with the side of the block's nonzero square, 2, 4 or 8, as a
// std::integral_constant, so that each side compiles to its own network.
template <class Body>
[[gnu::always_inline]] inline void withSide(BlockShape shape, const Body& body)
{
    switch (shape) {
    case BlockShape::topLeft2x2: body(std::integral_constant<int, 2>{}); break;
    case BlockShape::topLeft4x4: body(std::integral_constant<int, 4>{}); break;
    default: body(std::integral_constant<int, 8>{}); break;
    }
}
