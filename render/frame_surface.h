#pragma once

#include <cstdint>

// The block of frame pixels that one drawing step may touch: the top-left
// width x height pixels of a buffer with stride pixels per row. Producers
// cut it to both the client area and the buffer, so anything drawn inside
// it is inside the buffer.
struct FrameSurface {
    uint32_t* pixels = nullptr;
    int32_t stride = 0;
    int32_t width = 0;
    int32_t height = 0;
};
