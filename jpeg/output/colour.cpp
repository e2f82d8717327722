#include "jpeg/output/colour.h"

#include <algorithm>
#include <cstring>

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#endif

#include "jpeg/output/picture.h"

namespace {

// Fixed-point T.871 conversion: red and blue at 8 fractional bits (gains
// 360/256 = 1.406 and 454/256 = 1.773), green at 16 from the scaled red and
// blue, where 111616 = 65536 + 256 * (130 + 50) cancels the luma they carry.
//
// Picture sample s takes chroma sample s >> shx: 0 for chroma stored at the
// picture's resolution, 1 for chroma of half its width, replicated here
// instead of in a pass of its own. Each sample is read before any of its
// outputs is written, so red may overwrite y, green cb and blue cr.
template <int shx>
void convertPortably(const uint8_t* y, const uint8_t* cb, const uint8_t* cr, uint8_t* red, uint8_t* green,
                     uint8_t* blue, int32_t count)
{
    for (int32_t s = 0; s < count; ++s) {
        const int32_t luma = y[s], b = cb[s >> shx], r = cr[s >> shx];
        const int32_t redScaled = 256 * luma + 360 * (r - 128);
        const int32_t blueScaled = 256 * luma + 454 * (b - 128);
        const int32_t g = (111616 * luma - 130 * redScaled - 50 * blueScaled) >> 16;
        red[s] = static_cast<uint8_t>(std::clamp(redScaled >> 8, 0, 255));
        green[s] = static_cast<uint8_t>(std::clamp(g, 0, 255));
        blue[s] = static_cast<uint8_t>(std::clamp(blueScaled >> 8, 0, 255));
    }
}

#if defined(__x86_64__) && defined(__GNUC__)
#define VIEWER_COLOUR_AVX2 1

// The same integers in 16-bit lanes. The luma terms are whole multiples of
// the scale, so with c = chroma - 128:
//   red   = y + floor(360 c / 256)   = y + mulhi(64 c, 1440)
//   blue  = y + floor(454 c / 256)   = y + mulhi(64 c, 1816)
//   green = y + floor((-46800 cr - 22700 cb) / 65536)
//         = y + ((-23400 cr - 11350 cb) >> 15), one multiply-add of the pair,
// and the saturating pack to bytes is the clamp to 0..255. Equal to the
// portable loop for every (y, cb, cr); a test checks all of them.
__attribute__((target("avx2"))) __m256i convert16(__m256i y, __m256i cb, __m256i cr, __m256i& green, __m256i& blue)
{
    const __m256i pairWeights =
        _mm256_set1_epi32(static_cast<int32_t>(uint32_t(uint16_t(-11350)) << 16 | uint16_t(-23400)));
    const __m256i greenLow = _mm256_srai_epi32(_mm256_madd_epi16(_mm256_unpacklo_epi16(cr, cb), pairWeights), 15);
    const __m256i greenHigh = _mm256_srai_epi32(_mm256_madd_epi16(_mm256_unpackhi_epi16(cr, cb), pairWeights), 15);
    green = _mm256_add_epi16(y, _mm256_packs_epi32(greenLow, greenHigh));
    blue = _mm256_add_epi16(y, _mm256_mulhi_epi16(_mm256_slli_epi16(cb, 6), _mm256_set1_epi16(1816)));
    return _mm256_add_epi16(y, _mm256_mulhi_epi16(_mm256_slli_epi16(cr, 6), _mm256_set1_epi16(1440)));
}

// The chroma of 16 picture samples from s on, less 128, in 16-bit lanes.
template <int shx>
__attribute__((target("avx2"))) __m256i widenChroma(const uint8_t* p, int32_t s)
{
    __m128i bytes;
    if constexpr (shx == 0) {
        bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + s));
    } else {
        bytes = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p + (s >> 1)));
        bytes = _mm_unpacklo_epi8(bytes, bytes);
    }
    return _mm256_sub_epi16(_mm256_cvtepu8_epi16(bytes), _mm256_set1_epi16(128));
}

// Two runs of 16 lanes packed back to 32 bytes in sample order.
__attribute__((target("avx2"))) void storeBytes(uint8_t* p, __m256i first, __m256i second)
{
    const __m256i packed = _mm256_permute4x64_epi64(_mm256_packus_epi16(first, second), 0xD8);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), packed);
}

template <int shx>
__attribute__((target("avx2"))) void convertWide(const uint8_t* y, const uint8_t* cb, const uint8_t* cr, uint8_t* red,
                                                 uint8_t* green, uint8_t* blue, int32_t count)
{
    int32_t s = 0;
    for (; s + 32 <= count; s += 32) {
        __m256i r[2], g[2], b[2];
        for (int half = 0; half < 2; ++half) {
            const int32_t at = s + 16 * half;
            const __m256i luma = _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(y + at)));
            r[half] = convert16(luma, widenChroma<shx>(cb, at), widenChroma<shx>(cr, at), g[half], b[half]);
        }
        storeBytes(red + s, r[0], r[1]);
        storeBytes(green + s, g[0], g[1]);
        storeBytes(blue + s, b[0], b[1]);
    }
    convertPortably<shx>(y + s, cb + (s >> shx), cr + (s >> shx), red + s, green + s, blue + s, count - s);
}
#endif

template <int shx>
void convertRun(const uint8_t* y, const uint8_t* cb, const uint8_t* cr, uint8_t* red, uint8_t* green, uint8_t* blue,
                int32_t count, [[maybe_unused]] bool wide)
{
#if VIEWER_COLOUR_AVX2
    if (wide && __builtin_cpu_supports("avx2")) {
        convertWide<shx>(y, cb, cr, red, green, blue, count);
        return;
    }
#endif
    convertPortably<shx>(y, cb, cr, red, green, blue, count);
}

}  // namespace

void convertSamples(uint8_t* y, uint8_t* cb, uint8_t* cr, int32_t count, bool wide)
{
    convertRun<0>(y, cb, cr, y, cb, cr, count, wide);
}

void convertHalfWidthChroma(uint8_t* y, const uint8_t* cb, const uint8_t* cr, uint8_t* green, uint8_t* blue,
                            int32_t count, bool wide)
{
    convertRun<1>(y, cb, cr, y, green, blue, count, wide);
}

int32_t convertColour(pctr& picture)
{
    if (picture.colourState != 1 || picture.size[0] != picture.size[1] || picture.size[0] != picture.size[2] ||
        !picture.plane[0] || !picture.plane[1] || !picture.plane[2])
        return 0;
    convertSamples(picture.plane[0].get(), picture.plane[1].get(), picture.plane[2].get(), picture.size[0]);
    picture.colourState = 0;
    return 1;
}

namespace {

bool isRgbIdentified(const tjpgel& image)
{
    return image.component[0].id == 'R' && image.component[1].id == 'G' && image.component[2].id == 'B';
}

uint8_t scaledByLight(int32_t value, int32_t light) { return static_cast<uint8_t>((value * light + 127) / 255); }

// Inverted samples are the light that gets through (255 - ink); each
// colour is its component's light scaled by K's. flipColours and flipBlack
// say which samples come as ink and need inverting first.
void convertCmyk(uint8_t* c, uint8_t* m, uint8_t* y, const uint8_t* k, int32_t count, bool flipColours, bool flipBlack)
{
    const int32_t colourFlip = flipColours ? 255 : 0, blackFlip = flipBlack ? 255 : 0;
    for (int32_t s = 0; s < count; ++s) {
        const int32_t light = k[s] ^ blackFlip;
        c[s] = scaledByLight(c[s] ^ colourFlip, light);
        m[s] = scaledByLight(m[s] ^ colourFlip, light);
        y[s] = scaledByLight(y[s] ^ colourFlip, light);
    }
}

}  // namespace

ColourModel colourModelOf(const tjpgel& image)
{
    switch (image.componentCount) {
    case 1: return ColourModel::grey;
    case 3:
        if (image.jfif)
            return ColourModel::ycbcr;
        if (image.adobeTransform >= 0)
            return image.adobeTransform == 0 ? ColourModel::rgb : ColourModel::ycbcr;
        return isRgbIdentified(image) ? ColourModel::rgb : ColourModel::ycbcr;
    case 4:
        if (image.adobeTransform < 0)
            return ColourModel::cmyk;
        return image.adobeTransform == 0 ? ColourModel::invertedCmyk : ColourModel::ycck;
    default: return ColourModel::unknown;
    }
}

void convertPictureRowsFrom(pctr& picture, ColourModel model, const uint8_t* fourth, int32_t first, int32_t count)
{
    const int64_t start = int64_t{first} * picture.width[0];
    const int32_t samples = count * picture.width[0];
    uint8_t* p0 = picture.plane[0].get() + start;
    uint8_t* p1 = picture.plane[1].get() + start;
    uint8_t* p2 = picture.plane[2].get() + start;
    switch (model) {
    case ColourModel::grey:
        std::memcpy(p1, p0, size_t(samples));
        std::memcpy(p2, p0, size_t(samples));
        break;
    case ColourModel::ycbcr: convertSamples(p0, p1, p2, samples); break;
    case ColourModel::cmyk: convertCmyk(p0, p1, p2, fourth + start, samples, true, true); break;
    case ColourModel::invertedCmyk: convertCmyk(p0, p1, p2, fourth + start, samples, false, false); break;
    case ColourModel::ycck:
        // The encoder made Y/Cb/Cr of 255 - C, 255 - M, 255 - Y: converted
        // back they are the colours as ink, beside an inverted K.
        convertSamples(p0, p1, p2, samples);
        convertCmyk(p0, p1, p2, fourth + start, samples, true, false);
        break;
    case ColourModel::rgb:
    case ColourModel::unknown: break;
    }
}
