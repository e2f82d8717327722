#pragma once

#include <cstdint>

class tidct;
struct pctr;

// Writes the 8x8 samples of block into plane i of picture as block (by, bx)
// of that component, each sample replicated sx x sy times (1, 2 or 4) to
// reach the picture's full size, clipped at the right and bottom edges.
void storeBlock(pctr& picture, const int32_t* block, int i, int32_t by, int32_t bx, int32_t sx, int32_t sy);

// A plane of samples of the picture's full size: one of picture's, or the
// frame decoder's fourth, for a fourth component.
struct SamplePlane {
    uint8_t* data = nullptr;
    int32_t width = 0;
    int32_t height = 0;
};

// How a component's samples spread over the picture: picture column x
// shows the component's column x * h / hMax, row y its row y * v / vMax.
// Where the ratios are 1, 2 or 4 this is storeBlock's replication.
struct Upsampling {
    int32_t h = 1, hMax = 1, v = 1, vMax = 1;
};

// Writes block (by, bx) of a component into plane, spread as up says and
// clipped at the plane's right and bottom edges.
void storeScaledBlock(const int32_t* block, const SamplePlane& plane, int32_t by, int32_t bx, const Upsampling& up);

// Transforms block through idct, then stores it as storeScaledBlock does. A
// block with no AC terms goes straight from its one sample value to the
// plane where it lies wholly inside.
void transformAndStore(tidct& idct, int32_t* block, const SamplePlane& plane, int32_t by, int32_t bx,
                       const Upsampling& up);

// Plane i of picture.
SamplePlane picturePlane(pctr& picture, int i);
