#pragma once

#include <cstdint>
#include <string>
#include <vector>

// libjpeg-turbo as the reference encoder and decoder, and a generator of
// photograph-like test pictures.
struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb;  // interleaved, row-major, top row first
};

enum class Subsampling { s444, s422, s420 };

struct EncodeOptions {
    int quality = 90;
    Subsampling subsampling = Subsampling::s420;
    int restartInterval = 0;  // in MCUs
    bool optimizeTables = false;
    bool greyscale = false;        // one component, the luma of the picture
    uint8_t firstComponentId = 1;  // components are numbered from here up
};

// Smooth gradients, edges and fine noise, deterministic for a seed.
RgbImage makePhotoLike(int width, int height, uint32_t seed);

std::vector<uint8_t> encodeJpeg(const RgbImage& image, const EncodeOptions& options);

// Accurate integer IDCT, no fancy upsampling, RGB output. Warnings, such as
// libjpeg-turbo's on scan data that ends early, go to stderr; errors throw.
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
