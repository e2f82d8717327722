#pragma once

#include <cstdint>

#include "render/sample_filters.h"

// One row of a span: columns begin..end-1 of out, where column begin sits
// at picture position (u, v) and each next column adds (uStep, vStep).
struct RowWalk {
    uint32_t* out = nullptr;
    int64_t begin = 0;
    int64_t end = 0;
    double u = 0.0;
    double v = 0.0;
    double uStep = 0.0;
    double vStep = 0.0;
};

using RowKernel = void (*)(const PictureView& picture, const RowWalk& row);

// The instruction sets the row drawers are built for, narrowest first. All
// builds draw the same pixels.
enum class VectorBuild { portable, avx2, avx512 };

// The row drawer of filter 0, 1 or 2 in the widest build, up to widest,
// that the processor runs.
RowKernel rowKernelFor(int32_t filter, VectorBuild widest);
