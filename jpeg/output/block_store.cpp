#include "jpeg/output/block_store.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "idct/tidct.h"
#include "jpeg/output/picture.h"

namespace {

int32_t ratioShift(int32_t ratio) { return ratio == 4 ? 2 : ratio == 2 ? 1 : 0; }

// log2 of maxFactor / factor where that ratio is 1, 2 or 4, the ratios a
// store replicates samples for; -1 for any other. Found by comparing, not
// dividing: it is asked for every block, and the divisions it replaced
// took 1.5-2 % of a low-quality decode.
int32_t replicationShift(int32_t factor, int32_t maxFactor)
{
    for (int32_t shift = 0; shift <= 2; ++shift)
        if (maxFactor == factor * (1 << shift))
            return shift;
    return -1;
}

// How a block's samples reach its plane: replicated 2^shx x 2^shy times,
// or, where either shift is -1, spread through Upsampling's ratios.
struct Spread {
    Upsampling up;
    int32_t shx, shy;

    explicit Spread(const Upsampling& ratios)
        : up(ratios), shx(replicationShift(ratios.h, ratios.hMax)), shy(replicationShift(ratios.v, ratios.vMax))
    {
    }
    bool replicates() const { return shx >= 0 && shy >= 0; }
};

using StoreRows = void (*)(const int32_t* block, uint8_t* out, int32_t stride);

// The eight samples of a block row as bytes, each repeated 2^shx times.
// The transforms leave every sample in 0..255, so the saturating packs of
// SSE2 (part of every x86-64) narrow them exactly as the plain loop does.
template <int shx>
void rowBytes(const int32_t* samples, uint8_t* row)
{
#if defined(__SSE2__)
    const __m128i low = _mm_loadu_si128(reinterpret_cast<const __m128i*>(samples));
    const __m128i high = _mm_loadu_si128(reinterpret_cast<const __m128i*>(samples + 4));
    __m128i bytes = _mm_packus_epi16(_mm_packs_epi32(low, high), _mm_setzero_si128());
    if constexpr (shx == 0) {
        _mm_storel_epi64(reinterpret_cast<__m128i*>(row), bytes);
        return;
    }
    bytes = _mm_unpacklo_epi8(bytes, bytes);
    if constexpr (shx == 1) {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(row), bytes);
        return;
    }
    _mm_storeu_si128(reinterpret_cast<__m128i*>(row), _mm_unpacklo_epi16(bytes, bytes));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(row + 16), _mm_unpackhi_epi16(bytes, bytes));
#else
    for (int x = 0; x < (8 << shx); ++x)
        row[x] = static_cast<uint8_t>(samples[x >> shx]);
#endif
}

// A block that lies wholly inside the picture, each sample replicated
// 2^shx x 2^shy times: every output row is made once and copied down.
template <int shx, int shy>
void storeWholeBlock(const int32_t* block, uint8_t* out, int32_t stride)
{
    for (int y = 0; y < 8; ++y, block += 8) {
        uint8_t row[8 << shx];
        rowBytes<shx>(block, row);
        for (int copy = 0; copy < (1 << shy); ++copy, out += stride)
            std::memcpy(out, row, sizeof row);
    }
}

// Indexed by [shy][shx].
constexpr StoreRows wholeBlockStores[3][3] = {
    {storeWholeBlock<0, 0>, storeWholeBlock<1, 0>, storeWholeBlock<2, 0>},
    {storeWholeBlock<0, 1>, storeWholeBlock<1, 1>, storeWholeBlock<2, 1>},
    {storeWholeBlock<0, 2>, storeWholeBlock<1, 2>, storeWholeBlock<2, 2>},
};

void storeReplicated(const int32_t* block, const SamplePlane& plane, int32_t by, int32_t bx, int32_t shx, int32_t shy)
{
    const int32_t w = plane.width, h = plane.height;
    if (w <= 0 || h <= 0 || !plane.data)
        return;
    const int32_t sx = 1 << shx, sy = 1 << shy;
    const int32_t x0 = 8 * sx * bx, y0 = 8 * sy * by;
    if (y0 > h || x0 > w)
        return;
    const int32_t rows = std::min(h - y0, 8 * sy), cols = std::min(w - x0, 8 * sx);
    uint8_t* out = plane.data + int64_t{y0} * w + x0;
    if (rows == 8 * sy && cols == 8 * sx) {
        wholeBlockStores[shy][shx](block, out, w);
        return;
    }
    for (int32_t y = 0; y < rows; ++y, out += w)
        for (int32_t x = 0; x < cols; ++x)
            out[x] = static_cast<uint8_t>(block[(y >> shy) * 8 + (x >> shx)]);
}

int64_t ceilDiv(int64_t value, int64_t divisor) { return (value + divisor - 1) / divisor; }

// Any other ratio, 3 or 3/2 say: each picture sample looks its component
// sample up. The block's samples cover picture columns from the first x
// with x * h / hMax >= 8 bx up to the first with x * h / hMax >= 8 bx + 8.
void storeSpread(const int32_t* block, const SamplePlane& plane, int32_t by, int32_t bx, const Upsampling& up)
{
    const auto x0 = int32_t(std::min<int64_t>(ceilDiv(int64_t{8} * bx * up.hMax, up.h), plane.width));
    const auto x1 = int32_t(std::min<int64_t>(ceilDiv(int64_t{8} * (bx + 1) * up.hMax, up.h), plane.width));
    const auto y0 = int32_t(std::min<int64_t>(ceilDiv(int64_t{8} * by * up.vMax, up.v), plane.height));
    const auto y1 = int32_t(std::min<int64_t>(ceilDiv(int64_t{8} * (by + 1) * up.vMax, up.v), plane.height));
    for (int32_t y = y0; y < y1; ++y) {
        const int32_t* row = block + (int64_t{y} * up.v / up.vMax - 8 * int64_t{by}) * 8;
        uint8_t* out = plane.data + int64_t{y} * plane.width;
        for (int32_t x = x0; x < x1; ++x)
            out[x] = static_cast<uint8_t>(row[int64_t{x} * up.h / up.hMax - 8 * int64_t{bx}]);
    }
}

// The rows of a flat block of 2^shx x 2^shy replication, each written in
// stores of a constant size.
template <int shx, int shy>
void storeFlatRows(uint8_t sample, uint8_t* out, int32_t stride)
{
    for (int y = 0; y < (8 << shy); ++y, out += stride)
        std::memset(out, sample, 8 << shx);
}

using StoreFlatRows = void (*)(uint8_t sample, uint8_t* out, int32_t stride);

// Indexed by [shy][shx].
constexpr StoreFlatRows flatRowStores[3][3] = {
    {storeFlatRows<0, 0>, storeFlatRows<1, 0>, storeFlatRows<2, 0>},
    {storeFlatRows<0, 1>, storeFlatRows<1, 1>, storeFlatRows<2, 1>},
    {storeFlatRows<0, 2>, storeFlatRows<1, 2>, storeFlatRows<2, 2>},
};

// A flat block of 2^shx x 2^shy replication; false, with nothing written,
// where it reaches past the plane's edges.
bool storeFlatWholeBlock(int32_t sample, const SamplePlane& plane, int32_t by, int32_t bx, int32_t shx, int32_t shy)
{
    const int32_t sx = 1 << shx, sy = 1 << shy;
    const int32_t x0 = 8 * sx * bx, y0 = 8 * sy * by;
    if (!plane.data || x0 + 8 * sx > plane.width || y0 + 8 * sy > plane.height)
        return false;
    flatRowStores[shy][shx](static_cast<uint8_t>(sample), plane.data + int64_t{y0} * plane.width + x0, plane.width);
    return true;
}

void storeSpreadBlock(const int32_t* block, const SamplePlane& plane, int32_t by, int32_t bx, const Spread& spread)
{
    if (spread.replicates())
        storeReplicated(block, plane, by, bx, spread.shx, spread.shy);
    else if (plane.data)
        storeSpread(block, plane, by, bx, spread.up);
}

}  // namespace

SamplePlane picturePlane(pctr& picture, int i) { return {picture.plane[i].get(), picture.width[i], picture.height[i]}; }

void transformAndStore(tidct& idct, int32_t* block, const SamplePlane& plane, int32_t by, int32_t bx,
                       const Upsampling& up)
{
    const Spread spread(up);
    const BlockShape shape = shapeOf(block);
    if (shape == BlockShape::dcOnly && spread.replicates() &&
        storeFlatWholeBlock(idct.flatSample(block[0]), plane, by, bx, spread.shx, spread.shy))
        return;
    idct.transformAs(block, shape);
    storeSpreadBlock(block, plane, by, bx, spread);
}

void storeBlock(pctr& picture, const int32_t* block, int i, int32_t by, int32_t bx, int32_t sx, int32_t sy)
{
    storeReplicated(block, picturePlane(picture, i), by, bx, ratioShift(sx), ratioShift(sy));
}

void storeScaledBlock(const int32_t* block, const SamplePlane& plane, int32_t by, int32_t bx, const Upsampling& up)
{
    storeSpreadBlock(block, plane, by, bx, Spread(up));
}
