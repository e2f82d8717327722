#pragma once

#include <cstdint>

// Writes the 8x8 samples of block into plane i of picture as block (by, bx)
// of that component, each sample replicated sx x sy times (1, 2 or 4) to
// reach the picture's full size, clipped at the right and bottom edges.
void storeBlock(const int32_t* block, int i, int32_t by, int32_t bx, int32_t sx, int32_t sy);
