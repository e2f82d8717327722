#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "support/decode_bytes.h"
#include "support/reference_codec.h"

// The global picture's planes, interleaved as R, G, B.
RgbImage pictureAsRgb();

// The global picture's three planes as they are.
using Planes = std::vector<std::vector<uint8_t>>;
Planes picturePlanes();

// PSNR floors against libjpeg-turbo per family (fw, aan, aan2): measured
// 42.1-45.9, 34.3-35.6 and 42.1-45.9 dB on libjpeg-turbo's encodes of
// photograph-like pictures; the aan family floors every product.
inline constexpr double minPsnrAgainstLibjpeg[3] = {41.0, 33.5, 41.0};

// The floors for every other frame layout (progressive, greyscale,
// non-interleaved, any sampling, SOF1, RGB, CMYK, YCCK): round figures
// under the ones above, as these layouts take paths the ones above never
// measured (16-bit tables at low quality, luma upsampled, four components
// converted). Those of them that share the baseline paths measured 43.2-43.4,
// 34.8 and 43.2-43.4 dB.
inline constexpr double minPsnrForFrameLayouts[3] = {40.0, 32.0, 40.0};

// Expects ours within family's floor of reference and prints the figure;
// below it, writes both pictures as mismatch-<name>-*.ppm for the reader.
void expectNearReference(const RgbImage& ours, const RgbImage& reference, int32_t family, const std::string& name,
                         std::span<const double, 3> floors = minPsnrAgainstLibjpeg);
