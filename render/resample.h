#pragma once

#include <cstdint>

#include "render/frame_surface.h"
#include "render/geometry.h"

// Threads rasterizePicture may use on a large frame: 1 or 2 (the frame is
// the same either way).
extern int32_t renderThreads;

// Whether rasterizePicture may use its AVX2 or AVX-512 build where the
// processor has them. The frame is the same either way; tests turn it off
// to compare.
extern bool renderWideVectors;

// Scan-converts the spans of spanBreaks, maps each covered pixel back into
// the global picture through the map and writes the sample that
// the filter gives (0 Nearest, 1 Bilinear, 2 SmoothBilinear).
// Only pixels inside the surface are written; a map with a non-finite
// coefficient draws nothing.
void rasterizePicture(const InverseMap& map, const FrameSurface& frame, int32_t filter);

// One frame pixel, 0x00RRGGBB, from the global picture with filter 0, 1 or
// 2: s is the sample index pr * width + pc, with pc and pr the truncations
// of u and v. 0 when s lies outside the picture.
uint32_t samplePicture(int32_t filter, int64_t s, double u, double v, int32_t pc, int32_t pr);
