#include "jpeg/file/diagnosis.h"

#include <string>

#include "jpeg/driver.h"
#include "jpeg/file/container.h"
#include "jpeg/file/markers.h"
#include "jpeg/file/result_codes.h"

namespace {

std::string withCode(const char* text, int32_t code) { return std::string(text) + " (" + std::to_string(code) + ")"; }

// Frame types the decoder steps over without reading.
const char* unsupportedFrameKind(int32_t marker)
{
    switch (marker) {
    case 0xC3: return "lossless JPEG (SOF3)";
    case 0xC5:
    case 0xC6:
    case 0xC7: return "hierarchical JPEG (SOF5-SOF7)";
    case 0xCB: return "lossless arithmetic-coded JPEG (SOF11)";
    case 0xCD:
    case 0xCE:
    case 0xCF: return "hierarchical arithmetic-coded JPEG (SOF13-SOF15)";
    default: return nullptr;
    }
}

// Empty when the frame is one the decoder reads.
std::string frameKindMessage(int32_t marker, int32_t precision)
{
    if (const char* kind = unsupportedFrameKind(marker))
        return std::string(kind) + " is not supported";
    if (isReadableFrameMarker(static_cast<uint8_t>(marker)) && precision != 8 && precision != 0)
        return "JPEG with " + std::to_string(precision) + "-bit samples is not supported; only 8-bit";
    return "";
}

std::string layoutMessage(const tjpgel& image)
{
    if (!image.hasFrameHeader)
        return "the image has no frame header";
    if (image.scanStart < 0)
        return "the image's scan header lies inside another segment";
    if (image.componentCount == 2)
        return "images of 2 components are not supported; only of 1, 3 or 4";
    return "the picture is too large, or a quantisation table it uses is not defined";
}

std::string entropyMessage(tjpg& file, const tjpgel& image)
{
    try {
        file.extractScan(image.scanStart, image.streamEnd);
    } catch (const JpegError& failure) {
        return withCode(describeResultCode(failure.code), failure.code);
    }
    if (isArithmeticFrameMarker(uint8_t(image.frameMarker)))
        return "the entropy-coded data is corrupt (a run or magnitude past what arithmetic coding allows)";
    return "the entropy-coded data is corrupt (no Huffman code matches)";
}

std::string noImageMessage(const tjpg& file)
{
    const std::string kind = frameKindMessage(file.streamFrameMarker, 0);
    if (!kind.empty())
        return kind;
    if (file.trailingFailure != 0)
        return "the file holds no complete JPEG image: " +
               withCode(describeResultCode(file.trailingFailure), file.trailingFailure);
    return "the file holds no JPEG image (no SOS marker)";
}

}  // namespace

std::string explainLoadFailure(tjpg& file, int32_t index)
{
    if (file.error != 0)
        return withCode(describeResultCode(file.error), file.error);
    if (file.count == 0)
        return noImageMessage(file);
    if (index < -1 || index >= file.count)
        return "there is no image " + std::to_string(index) + "; the file holds " + std::to_string(file.count);
    const tjpgel& image = file.images[index == -1 ? file.mainImage : index];
    if (image.failure != 0)
        return "the image is damaged: " + withCode(describeResultCode(image.failure), image.failure);
    if (!decodableLayout(image)) {
        const std::string kind = frameKindMessage(image.frameMarker, image.samplePrecision);
        return kind.empty() ? layoutMessage(image) : kind;
    }
    return entropyMessage(file, image);
}

std::string explainLoadWarning(const tjpg& file)
{
    if (!file.scanTruncated)
        return "";
    return "the file ends before the end-of-image marker: the picture is incomplete (" +
           std::to_string(scanWithoutEndOfImage) + ")";
}
