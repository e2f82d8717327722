#pragma once

#include <cstdint>
#include <string>

// Loads the 24-bit uncompressed BMP file at path into picture as R/G/B
// planes and prints its load time. Returns 1 on success; 0, with picture
// untouched, for anything else (other depths, compression, sizes of zero or
// below, pixel data not wholly inside the file).
int32_t loadBmp(const std::string& path);

// Why loadBmp(path) fails, in words a user understands: the file is read
// again and checked as the loader checks it.
std::string explainBmpFailure(const std::string& path);
