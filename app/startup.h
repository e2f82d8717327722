#pragma once

#include <cstdint>

// Before the main loop: FPS overlay on, control points on the start-up
// square, "small.jpg" from the working directory, or the open dialog when
// that does not load. Always returns 0; the viewer runs whatever happened.
int32_t startupLoad();
