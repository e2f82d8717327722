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

// How the three or four components hold the colour, and what marks it.
enum class ColourSpace {
    yCbCr,      // under a JFIF marker
    rgbAdobe,   // R, G, B under an Adobe marker with transform 0
    rgbByIds,   // R, G, B numbered 'R', 'G', 'B', with neither JFIF nor Adobe marker
    cmykAdobe,  // C, M, Y, K under an Adobe marker with transform 0, stored inverted as Adobe's programs do
    cmykPlain,  // C, M, Y, K with no marker, stored as they are
    ycck,       // the inverted C, M, Y as Y/Cb/Cr, then K, under an Adobe marker with transform 2
};

struct SamplingFactors {
    int h = 1, v = 1;
};

// One scan of a script: the components it codes, by their index in the
// frame, its spectral band and the bit positions of successive approximation.
struct ScanSpec {
    std::vector<int> components;
    int spectralStart = 0, spectralEnd = 63;
    int approxHigh = 0, approxLow = 0;
};

struct EncodeOptions {
    int quality = 90;
    Subsampling subsampling = Subsampling::s420;
    int restartInterval = 0;  // in MCUs
    bool optimizeTables = false;
    bool greyscale = false;        // one component, the luma of the picture
    uint8_t firstComponentId = 1;  // components are numbered from here up, except under rgbByIds
    ColourSpace colourSpace = ColourSpace::yCbCr;
    // Factors of each component in frame order; when empty, subsampling
    // gives the first component's and the others have 1x1.
    std::vector<SamplingFactors> sampling{};
    bool progressive = false;  // libjpeg's own progression, as cjpeg -progressive writes
    // A scan script, which replaces the progression. It is sequential when
    // every scan codes the whole band without approximation (one scan per
    // component makes it non-interleaved), progressive otherwise.
    std::vector<ScanSpec> scans{};
    // false lets quantisation values above 255 stand: a low quality then
    // writes 16-bit tables, under SOF1 when sequential.
    bool forceBaseline = true;
};

// Smooth gradients, edges and fine noise, deterministic for a seed.
RgbImage makePhotoLike(int width, int height, uint32_t seed);

// A landscape as a camera takes it, deterministic for a seed: a smooth sky
// with soft clouds over a hilly skyline, textured ground, and flat-walled
// buildings with rows of windows, under mild sensor grain. Unlike
// makePhotoLike, whose grain puts detail in every block, it mixes flat
// areas with busy ones, which is what sizes camera files and their decodes.
RgbImage makeLandscape(int width, int height, uint32_t seed);

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
