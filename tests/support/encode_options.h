#pragma once

#include <cstdint>
#include <vector>

// How a test picture is encoded: the reference encoder's settings, kept
// apart from it so that tests built without libjpeg-turbo can say how
// their committed inputs were made.
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
    // Arithmetic coding instead of Huffman's: SOF9, or SOF10 when
    // progressive. Its DAC conditioning per table (T.81 F.1.4.4): the DC
    // bounds L and U and the AC limit Kx.
    bool arithmetic = false;
    int dcLower = 0, dcUpper = 1, acLimit = 5;
};
