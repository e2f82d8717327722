#include "jpeg/driver.h"

#include <array>
#include <cstdio>
#include <memory>
#include <new>

#include "base/tick_clock.h"
#include "idct/aan.h"
#include "idct/aan2.h"
#include "idct/feig_winograd.h"
#include "idct/idct_slots.h"
#include "jpeg/decode_choice.h"
#include "jpeg/decode_stages.h"
#include "jpeg/decode_workspace.h"
#include "jpeg/entropy/entropy.h"
#include "jpeg/entropy/zigzag.h"
#include "jpeg/file/container.h"
#include "jpeg/file/markers.h"
#include "jpeg/file/result_codes.h"
#include "jpeg/frame/frame_decoder.h"
#include "jpeg/globals.h"
#include "jpeg/output/colour.h"
#include "jpeg/output/picture.h"
#include "jpeg/rows/mcu_rows.h"
#include "jpeg/rows/row_decoder.h"

namespace {

bool usableRatio(int32_t luma, int32_t chroma)
{
    if (chroma <= 0 || luma % chroma != 0)
        return false;
    const int32_t ratio = luma / chroma;
    return ratio == 1 || ratio == 2 || ratio == 4;
}

bool huffmanSequential(int32_t frameMarker)
{
    const auto marker = uint8_t(frameMarker);
    return !isProgressiveFrameMarker(marker) && !isArithmeticFrameMarker(marker);
}

int32_t resolveImageIndex()
{
    if (jpgFile.count == 0 || subImageIndex < -1 || subImageIndex >= jpgFile.count)
        return -1;
    return subImageIndex == -1 ? jpgFile.mainImage : subImageIndex;
}

std::array<tidct*, 3> activeTransforms(const tjpgel& image)
{
    std::array<tidct*, 3> transforms{};
    for (int i = 0; i < 3; ++i)
        transforms[i] = idctActive[image.component[i].quantTable];
    return transforms;
}

bool decodeScan(const McuLayout& layout, RowColour colour, const DecodeOptions& options)
{
    decoder.dcPred[0] = decoder.dcPred[1] = decoder.dcPred[2] = 0;
    decoder.startScan(jpgFile.scan(), decoder.image.scanLength);
    const McuRows rows(layout, colour, picture, activeTransforms(decoder.image));
    const ScanData data = jpgFile.scanTruncated ? ScanData::cutShort : ScanData::whole;
    return decodeMcus(decoder, rows, data, jpgFile.restartStarts, options);
}

bool decodeSelected(int32_t index, const DecodeOptions& options)
{
    decoder.image.assign(jpgFile.images[index]);
    subImageIndex = index;
    tjpgel& image = decoder.image;
    try {
        jpgFile.extractScan(image.scanStart, image.streamEnd);
    } catch (const JpegError&) {
        return false;
    }
    image.scanLength = jpgFile.scanLength;
    buildIdcts(image);
    if (!picture.allocate(image.width, image.height))
        return false;
    picture.colourState = 1;
    lapStage(DecodeStage::parse);

    decoder.buildLookahead();
    const McuLayout layout = McuLayout::of(image);
    if (decodeScan(layout, RowColour::converted, options)) {
        picture.colourState = 0;
        return true;
    }
    // A decode that fails part-way must leave every stored block as Y, Cb,
    // Cr, but rows were converted on the way: the scan is decoded again, up
    // to the same block, without converting. Damaged files pay twice; good
    // ones get their rows converted while the rows are still in the cache.
    decodeScan(layout, RowColour::ycbcr, options);
    return false;
}

bool decodeSelectedFrame(int32_t index, const DecodeOptions& options)
{
    subImageIndex = index;
    return decodeFrame(jpgFile.images[index], jpgFile, decoder, picture, options);
}

bool decodeResolved(int32_t index, const DecodeOptions& options)
{
    if (index < 0 || !decodableLayout(jpgFile.images[index]))
        return false;
    return rowDecodable(jpgFile.images[index]) ? decodeSelected(index, options) : decodeSelectedFrame(index, options);
}

// The stages' split follows the load time, for whoever compares the
// families from a terminal.
void printLoadTime(uint32_t startTick, const StageSplit& stages)
{
    const auto elapsed = static_cast<int32_t>(tickClock().tickCount() - startTick);
    std::printf("\n JPG load time = %d ms", elapsed);
    std::printf("\n JPG stages: %s ms", describeStages(stages).text);
    std::fflush(stdout);
}

}  // namespace

// The row decoder takes a sequential Huffman-coded frame of one scan that
// codes every component: three of Y/Cb/Cr or RGB with ratios 1, 2 or 4 to
// the first, or one of grey.
bool rowDecodable(const tjpgel& image)
{
    if (image.failure != 0 || !image.hasFrameHeader || image.scanStart < 0 || !huffmanSequential(image.frameMarker) ||
        image.laterScanCount > 0 || image.scanComponentCount != image.componentCount)
        return false;
    if (int64_t{image.width} * image.height > pctr::maxSamples)
        return false;
    const ColourModel colour = colourModelOf(image);
    if (colour == ColourModel::grey)
        return image.quant[image.component[0].quantTable] != nullptr;
    if (colour != ColourModel::ycbcr && colour != ColourModel::rgb)
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

bool decodableLayout(const tjpgel& image) { return rowDecodable(image) || frameDecodable(image); }

std::array<int32_t, 64> transformTable(const int32_t* quant)
{
    std::array<int32_t, 64> table = inNaturalOrder(quant);
    table[0] = 1;
    return table;
}

std::unique_ptr<tidct> builtFamily(int32_t family, const std::array<int32_t, 64>& table)
{
    switch (family) {
    case 0: return builtFor<ifwi>(table);
    case 1: return builtFor<taanidct>(table);
    case 2: return builtFor<taanidct2>(table);
    default: return nullptr;
    }
}

void buildIdcts(const tjpgel& image)
{
    for (int32_t t = 0; t < 4; ++t) {
        const int32_t* quant = image.quant[t].get();
        if (!quant)
            continue;
        const std::array<int32_t, 64> table = transformTable(quant);
        idctFw[t] = builtFor<ifwi>(table);
        idctAan[t] = builtFor<taanidct>(table);
        idctAan2[t] = builtFor<taanidct2>(table);
    }
    for (int t = 0; t < 4; ++t) {
        idctActive[t] = idctIndex == 0   ? static_cast<tidct*>(idctFw[t].get())
                        : idctIndex == 1 ? static_cast<tidct*>(idctAan[t].get())
                                         : static_cast<tidct*>(idctAan2[t].get());
    }
}

int32_t decodeImage(uint32_t startTick, const DecodeOptions& options)
{
    // A caller that read and parsed the file has started the clock for it.
    if (!stageClockRunning())
        startStageClock();
    lapStage(DecodeStage::parse);
    DecodeWorkspace ownWorkspace;
    DecodeOptions decodeOptions = options;
    if (!decodeOptions.workspace)
        decodeOptions.workspace = &ownWorkspace;
    bool decoded = false;
    try {
        decoded = decodeResolved(resolveImageIndex(), decodeOptions);
    } catch (const std::bad_alloc&) {
        picture.clear();
    }
    const StageSplit stages = finishStageClock();
    if (!decoded)
        return 0;
    printLoadTime(startTick, stages);
    return jpgFile.count;
}
