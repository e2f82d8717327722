#include "jpeg/file/image_record.h"

#include <algorithm>

namespace {

template <typename T>
std::unique_ptr<T[]> copyArray(const std::unique_ptr<T[]>& source, size_t count)
{
    if (!source)
        return nullptr;
    auto copy = std::make_unique<T[]>(count);
    std::copy_n(source.get(), count, copy.get());
    return copy;
}

}  // namespace

tjpgel::~tjpgel() { clear(); }

void tjpgel::clear()
{
    for (auto& table : quant)
        table.reset();
    for (int t = 0; t < 8; ++t) {
        huffValues[t].reset();
        huffRunSize[t].reset();
        huffCount[t] = 0;
        std::fill(std::begin(huffBits[t]), std::end(huffBits[t]), 0);
        std::fill(std::begin(huffCode[t]), std::end(huffCode[t]), HuffmanCodeRange{});
    }
    componentCount = 0;
    scanComponentCount = 0;
    conditioning = {};
    restartInterval = 0;
    laterSegments.clear();
    laterScanCount = 0;
    scanLength = 0;
}

void tjpgel::assign(const tjpgel& other)
{
    if (&other == this)
        return;
    clear();
    width = other.width;
    height = other.height;
    componentCount = other.componentCount;
    scanComponentCount = other.scanComponentCount;
    spectralStart = other.spectralStart;
    spectralEnd = other.spectralEnd;
    approxHigh = other.approxHigh;
    approxLow = other.approxLow;
    std::copy_n(other.scanComponent, 4, scanComponent);
    scanSelectorCount = other.scanSelectorCount;
    std::copy_n(other.component, 4, component);
    for (int q = 0; q < 4; ++q)
        quant[q] = copyArray(other.quant[q], 64);
    std::copy_n(other.huffCount, 8, huffCount);
    std::copy_n(&other.huffBits[0][0], 8 * 16, &huffBits[0][0]);
    std::copy_n(&other.huffFirstIndex[0][0], 8 * 16, &huffFirstIndex[0][0]);
    std::copy_n(&other.huffCode[0][0], 8 * 16, &huffCode[0][0]);
    for (int t = 0; t < 8; ++t) {
        huffValues[t] = copyArray(other.huffValues[t], static_cast<size_t>(other.huffCount[t]));
        huffRunSize[t] = copyArray(other.huffRunSize[t], static_cast<size_t>(other.huffCount[t]));
    }
    conditioning = other.conditioning;
    restartInterval = other.restartInterval;
    scanLength = other.scanLength;
    scanStart = other.scanStart;
    fileSize = other.fileSize;
    hasFrameHeader = other.hasFrameHeader;
    streamEnd = other.streamEnd;
    frameMarker = other.frameMarker;
    samplePrecision = other.samplePrecision;
    failure = other.failure;
    laterSegments = other.laterSegments;
    laterScanCount = other.laterScanCount;
    jfif = other.jfif;
    adobeTransform = other.adobeTransform;
}
