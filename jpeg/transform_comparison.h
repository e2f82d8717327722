#pragma once

#include <cstdint>
#include <optional>

#include "jpeg/output/picture.h"

struct tjpg;

// How one family's samples differ from the exact transform's.
struct SampleError {
    int64_t samples = 0;
    int64_t squaredSum = 0;
    int64_t signedSum = 0;  // family minus exact
    int32_t largest = 0;    // largest absolute difference

    void add(int32_t familySample, int32_t exactSample)
    {
        const int32_t d = familySample - exactSample;
        const int32_t magnitude = d < 0 ? -d : d;
        ++samples;
        squaredSum += int64_t{d} * d;
        signedSum += d;
        largest = magnitude > largest ? magnitude : largest;
    }
    double psnr() const;  // dB, 10 log10(255^2 / MSE); +infinity when identical
    double mean() const;  // signedSum / samples: the bias
};

inline constexpr int32_t differenceGain = 48;  // how an error of 1 is made visible

// Decodes image `index` of file (already parsed) into coefficients once
// and runs every block through family `family` (0 fw, 1 aan, 2 aan2) and
// through the exact transform, both built from the block's table. Counts
// only the samples inside each component's own size. When difference is
// given it is made the picture's size, and its three planes all hold, at
// every pixel, the largest absolute difference over the components there
// (spread as the decoder upsamples them) times differenceGain, capped at
// 255; colourState 0. nullopt when the image does not decode (difference
// is then cleared).
std::optional<SampleError> compareWithExact(tjpg& file, int32_t index, int32_t family, pctr* difference);
