#pragma once

#include <cstdint>

#include "render/frame_surface.h"
#include "render/geometry.h"
#include "render/sample_filters.h"

// How rasterizePicture may draw; the frame is the same whatever they say,
// and tests and benchmarks change them to compare.
struct RenderOptions {
    // Threads on a large frame: 1 or 2.
    int32_t threads = defaultRenderThreads();
    // Whether the AVX2 or AVX-512 build runs where the processor has them.
    bool wideVectors = true;

    static int32_t defaultRenderThreads();
};

// The global picture as the filters read it, or an empty view when it has
// no complete planes.
PictureView viewOfPicture();

// Scan-converts the spans of spanBreaks, maps each covered pixel back into
// the global picture through the map and writes the sample that
// the filter gives (0 Nearest, 1 Bilinear, 2 SmoothBilinear).
// Only pixels inside the surface are written; a map with a non-finite
// coefficient draws nothing.
void rasterizePicture(const InverseMap& map, const FrameSurface& frame, int32_t filter,
                      const RenderOptions& options = {});

// One frame pixel, 0x00RRGGBB, from the global picture with filter 0, 1 or
// 2: s is the sample index pr * width + pc, with pc and pr the truncations
// of u and v. 0 when s lies outside the picture.
uint32_t samplePicture(int32_t filter, int64_t s, double u, double v, int32_t pc, int32_t pr);
