#pragma once

#include <cstddef>
#include <cstdint>

// 64-bit FNV-1a, for golden hashes of decoded planes and composed frames.
inline uint64_t fnv1a(const uint8_t* bytes, size_t count, uint64_t hash = 0xCBF29CE484222325u)
{
    for (size_t i = 0; i < count; ++i) {
        hash ^= bytes[i];
        hash *= 0x100000001B3u;
    }
    return hash;
}
