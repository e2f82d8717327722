#pragma once

#include <cstdint>

// Garbage data can drive a coefficient out of 16 bits, and a prediction
// out of 32; they wrap instead.
inline int16_t narrow(int32_t value) { return static_cast<int16_t>(static_cast<uint32_t>(value)); }
inline int32_t shifted(int32_t value, int32_t bits)
{
    return static_cast<int32_t>(static_cast<uint32_t>(value) << bits);
}
inline int32_t wrapAdd(int32_t a, int32_t b) { return static_cast<int32_t>(uint32_t(a) + uint32_t(b)); }
inline int32_t wrapSub(int32_t a, int32_t b) { return static_cast<int32_t>(uint32_t(a) - uint32_t(b)); }
inline int32_t wrapMul(int32_t a, int32_t b) { return static_cast<int32_t>(uint32_t(a) * uint32_t(b)); }
