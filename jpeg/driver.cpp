#include "jpeg/driver.h"

#include <cstdio>
#include <cstring>
#include <new>

#include "app/interaction.h"
#include "idct/aan.h"
#include "idct/aan2.h"
#include "idct/feig_winograd.h"
#include "jpeg/colour.h"
#include "jpeg/container.h"
#include "jpeg/entropy.h"
#include "jpeg/picture.h"
#include "jpeg/result_codes.h"
#include "jpeg/tick_clock.h"
#include "jpeg/zigzag.h"

namespace {

struct BlockScale {
    int32_t x[3];
    int32_t y[3];
};

bool usableRatio(int32_t luma, int32_t chroma)
{
    if (chroma <= 0 || luma % chroma != 0)
        return false;
    const int32_t ratio = luma / chroma;
    return ratio == 1 || ratio == 2 || ratio == 4;
}

int32_t ratioShift(int32_t ratio) { return ratio == 4 ? 2 : ratio == 2 ? 1 : 0; }

int32_t ceilDiv(int32_t value, int32_t divisor) { return value / divisor + (value % divisor != 0); }

void buildAan(int32_t t, const int32_t* quant)
{
    auto idct = std::make_unique<taanidct>();
    for (int row = 0; row < 8; ++row)
        for (int col = 0; col < 8; ++col)
            idct->matrix[row][col] = quant[zigzag[col * 8 + row]] * idct->scale[col];
    idct->matrix[0][0] = idct->scale[0];  // the DC term arrives dequantised
    idctAan[t] = std::move(idct);
}

using StoreRows = void (*)(const int32_t* block, uint8_t* out, int32_t stride);

// A block that lies wholly inside the picture, each sample replicated
// 2^shx x 2^shy times: every output row is made once and copied down.
template <int shx, int shy>
void storeWholeBlock(const int32_t* block, uint8_t* out, int32_t stride)
{
    for (int y = 0; y < 8; ++y, block += 8) {
        uint8_t row[8 << shx];
        for (int x = 0; x < (8 << shx); ++x)
            row[x] = static_cast<uint8_t>(block[x >> shx]);
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

// Writes the 8x8 samples of decoder.block into plane i, each replicated
// sx x sy times, clipped at the right and bottom edges.
void storeBlock(int i, int32_t by, int32_t bx, int32_t sx, int32_t sy)
{
    const int32_t w = picture.width[i], h = picture.height[i];
    if (w <= 0 || h <= 0 || !picture.plane[i])
        return;
    const int32_t x0 = 8 * sx * bx, y0 = 8 * sy * by;
    if (y0 > h || x0 > w)
        return;
    const int32_t rows = std::min(h - y0, 8 * sy), cols = std::min(w - x0, 8 * sx);
    const int32_t shx = ratioShift(sx), shy = ratioShift(sy);
    const int32_t* block = decoder.block.get();
    uint8_t* out = picture.plane[i].get() + int64_t{y0} * w + x0;
    if (rows == 8 * sy && cols == 8 * sx) {
        wholeBlockStores[shy][shx](block, out, w);
        return;
    }
    for (int32_t y = 0; y < rows; ++y, out += w)
        for (int32_t x = 0; x < cols; ++x)
            out[x] = static_cast<uint8_t>(block[(y >> shy) * 8 + (x >> shx)]);
}

void restartPoint(const tjpgel& image)
{
    if (image.restartInterval == 0 || --decoder.restartCountdown > 0)
        return;
    decoder.restartCountdown = image.restartInterval;
    decoder.alignToByte();
    decoder.dcPred[0] = decoder.dcPred[1] = decoder.dcPred[2] = 0;
}

// The interleaved MCU loop (T.81 A.2.3); components in identifier order.
bool decodeMcus(const BlockScale& scale)
{
    const tjpgel& image = decoder.image;
    const ComponentSpec* component = image.component;
    const int32_t mcuRows = ceilDiv(image.height, 8 * component[0].vSampling);
    const int32_t mcuCols = ceilDiv(image.width, 8 * component[0].hSampling);
    decoder.restartCountdown = image.restartInterval;
    for (int32_t mr = 0; mr < mcuRows; ++mr) {
        for (int32_t mc = 0; mc < mcuCols; ++mc) {
            for (int i = 0; i < 3; ++i) {
                const int32_t hi = component[i].hSampling, vi = component[i].vSampling;
                for (int32_t v = 0; v < vi; ++v) {
                    for (int32_t h = 0; h < hi; ++h) {
                        if (decoder.transformBlock(i) != 0)
                            return false;
                        storeBlock(i, vi * mr + v, hi * mc + h, scale.x[i], scale.y[i]);
                    }
                }
            }
            restartPoint(image);
        }
    }
    return true;
}

int32_t resolveImageIndex()
{
    if (jpgFile.count == 0 || subImageIndex < -1 || subImageIndex >= jpgFile.count)
        return -1;
    return subImageIndex == -1 ? jpgFile.count - 1 : subImageIndex;
}

bool decodeSelected(int32_t index)
{
    decoder.image.assign(jpgFile.images[index]);
    subImageIndex = index;
    tjpgel& image = decoder.image;
    try {
        jpgFile.extractScan(image.scanStart);
    } catch (const JpegError&) {
        return false;
    }
    image.scanLength = jpgFile.scanLength;
    buildIdcts(image);
    if (!picture.allocate(image.width, image.height))
        return false;
    picture.colourState = 1;

    BlockScale scale{{1, 1, 1}, {1, 1, 1}};
    for (int i = 1; i < 3; ++i) {
        scale.x[i] = image.component[0].hSampling / image.component[i].hSampling;
        scale.y[i] = image.component[0].vSampling / image.component[i].vSampling;
    }
    decoder.dcPred[0] = decoder.dcPred[1] = decoder.dcPred[2] = 0;
    decoder.startScan(jpgFile.scan(), image.scanLength);
    decoder.buildLookahead();
    if (!decodeMcus(scale))
        return false;
    convertColour();
    return true;
}

} // namespace

bool decodableLayout(const tjpgel& image)
{
    if (!image.hasFrameHeader || image.scanStart < 0 || image.componentCount != 3 || image.scanComponentCount != 3)
        return false;
    if (int64_t{image.width} * image.height > pctr::maxSamples)
        return false;
    const ComponentSpec* component = image.component;
    for (int i = 0; i < 3; ++i) {
        const bool defined = component[i].hSampling > 0 && component[i].vSampling > 0;
        if (!defined || !image.quant[component[i].quantTable])
            return false;
        if (!usableRatio(component[0].hSampling, component[i].hSampling) ||
            !usableRatio(component[0].vSampling, component[i].vSampling))
            return false;
    }
    return true;
}

void buildIdcts(const tjpgel& image)
{
    for (int32_t t = 0; t < 4; ++t) {
        const int32_t* quant = image.quant[t].get();
        if (!quant)
            continue;
        int32_t natural[64];
        natural[0] = 1;  // the DC term arrives dequantised
        for (int n = 1; n < 64; ++n)
            natural[n] = quant[zigzag[n]];
        idctFw[t] = std::make_unique<ifwi>();
        idctFw[t]->setTable(natural);
        buildAan(t, quant);
        idctAan2[t] = std::make_unique<taanidct2>();
        idctAan2[t]->setTable(natural);
    }
    for (int t = 0; t < 4; ++t) {
        idctActive[t] = idctIndex == 0   ? static_cast<tidct*>(idctFw[t].get())
                        : idctIndex == 1 ? static_cast<tidct*>(idctAan[t].get())
                                         : static_cast<tidct*>(idctAan2[t].get());
    }
}

int32_t decodeImage(uint32_t startTick)
{
    const int32_t index = resolveImageIndex();
    if (index < 0 || !decodableLayout(jpgFile.images[index]))
        return 0;
    bool decoded = false;
    try {
        decoded = decodeSelected(index);
    } catch (const std::bad_alloc&) {
        picture.clear();
    }
    if (!decoded)
        return 0;
    const auto elapsed = static_cast<int32_t>(tickClock().tickCount() - startTick);
    std::printf("\n JPG load time = %d ms", elapsed);
    std::fflush(stdout);
    return jpgFile.count;
}
