#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "support/encode_options.h"

// libjpeg-turbo as the reference encoder and decoder, and a generator of
// photograph-like test pictures.
struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb;  // interleaved, row-major, top row first
};

// Smooth gradients, edges and fine noise, deterministic for a seed.
RgbImage makePhotoLike(int width, int height, uint32_t seed);

// A landscape as a camera takes it, deterministic for a seed: a smooth sky
// with soft clouds over a hilly skyline, textured ground, and flat-walled
// buildings with rows of windows, under mild sensor grain. Unlike
// makePhotoLike, whose grain puts detail in every block, it mixes flat
// areas with busy ones, which is what sizes camera files and their decodes.
RgbImage makeLandscape(int width, int height, uint32_t seed);

// Colour clouds with no edges under heavy Gaussian grain (sigma 24), as
// ImageMagick's plasma with added noise: much detail in every block and
// little structure, the hardest bitrate for an entropy decoder.
RgbImage makeNoisyPlasma(int width, int height, uint32_t seed);

// A dark wallpaper: gentle colour gradients and soft glows at low
// brightness, without grain, so that most blocks hold little beyond DC.
RgbImage makeSmoothDark(int width, int height);

std::vector<uint8_t> encodeJpeg(const RgbImage& image, const EncodeOptions& options);

// Accurate integer IDCT, no fancy upsampling, no block smoothing, RGB output. Four components
// are decoded as libjpeg's CMYK and made RGB by R = C * K / 255 (G with M,
// B with Y, rounded) when the file has an Adobe marker, whose inks are
// stored inverted, and by R = (255 - C) * (255 - K) / 255 when it has not.
// Warnings, such as libjpeg-turbo's on scan data that ends early, go to
// stderr; errors throw.
RgbImage decodeReference(const std::vector<uint8_t>& jpeg);

// The same decode with warnings counted instead of printed.
struct ReferenceDecode {
    RgbImage image;
    long warnings = 0;
};
ReferenceDecode decodeReferenceQuietly(const std::vector<uint8_t>& jpeg);

// Peak signal-to-noise ratio in dB over all channels; 99 when identical.
double psnr(const RgbImage& a, const RgbImage& b);

// Writes a binary PPM (P6), for looking at a mismatch.
void writePpm(const std::string& path, const RgbImage& image);
