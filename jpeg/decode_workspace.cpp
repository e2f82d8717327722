#include "jpeg/decode_workspace.h"

#include <cstdlib>
#include <cstring>
#include <new>

#include "base/large_pages.h"

int32_t* DecodeWorkspace::coefficientRows(int64_t rows, int64_t blocksPerRow)
{
    coefficientRows_.resize(size_t(rows * blocksPerRow * 64));
    return coefficientRows_.data();
}

int32_t* DecodeWorkspace::bandBuffer(int32_t buffer, size_t values)
{
    std::unique_ptr<int32_t[]>& blocks = bandBuffers_[buffer];
    size_t& size = bandBufferSizes_[buffer];
    if (size < values) {
        // The old buffer goes first: both at once could double the peak.
        blocks.reset();
        size = 0;
        blocks.reset(new int32_t[values]);
        size = values;
        adviseLargePages(blocks.get(), values * sizeof(int32_t));
    }
    return blocks.get();
}

McuStart* DecodeWorkspace::mcuStarts(size_t count)
{
    mcuStarts_.resize(count);
    return mcuStarts_.data();
}

void DecodeWorkspace::FreeDeleter::operator()(void* p) const { std::free(p); }

int16_t* DecodeWorkspace::frameCoefficients(size_t count)
{
    if (frameCoefficientCount_ >= count && frameCoefficients_) {
        std::memset(frameCoefficients_.get(), 0, count * sizeof(int16_t));
        return frameCoefficients_.get();
    }
    frameCoefficients_.reset();
    frameCoefficientCount_ = 0;
    frameCoefficients_.reset(static_cast<int16_t*>(std::calloc(count, sizeof(int16_t))));
    if (!frameCoefficients_)
        throw std::bad_alloc();
    frameCoefficientCount_ = count;
    return frameCoefficients_.get();
}

uint8_t* DecodeWorkspace::fourthPlane(size_t count)
{
    fourthPlane_.resize(count);
    return fourthPlane_.data();
}

size_t DecodeWorkspace::bytesHeld() const
{
    size_t bytes = coefficientRows_.capacity() * sizeof(int32_t) + mcuStarts_.capacity() * sizeof(McuStart) +
                   frameCoefficientCount_ * sizeof(int16_t) + fourthPlane_.capacity();
    for (int k = 0; k < 3; ++k)
        bytes += sparePicture_.plane[k] ? size_t(sparePicture_.size[k]) : 0;
    for (const size_t size : bandBufferSizes_)
        bytes += size * sizeof(int32_t);
    return bytes;
}

void DecodeWorkspace::release()
{
    coefficientRows_ = std::vector<int32_t>();
    for (int32_t buffer = 0; buffer < bandBufferCount; ++buffer) {
        bandBuffers_[buffer].reset();
        bandBufferSizes_[buffer] = 0;
    }
    mcuStarts_ = std::vector<McuStart>();
    frameCoefficients_.reset();
    frameCoefficientCount_ = 0;
    fourthPlane_ = std::vector<uint8_t>();
    sparePicture_.clear();
}
