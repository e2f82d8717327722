#pragma once

#include <cstdint>
#include <string>

// Writes width x height frame pixels (0x00RRGGBB, rows packed, top row
// first) as a binary PPM (P6, maxval 255). False when the file cannot be
// written.
bool writePpm(const std::string& path, const uint32_t* pixels, int32_t width, int32_t height);
