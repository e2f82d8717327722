#include "app/bmp_loader.h"

#include <cstdio>
#include <vector>

#include "base/file_reader.h"
#include "base/tick_clock.h"
#include "jpeg/globals.h"
#include "jpeg/output/picture.h"

namespace {

constexpr size_t fileHeaderSize = 14;
constexpr uint32_t infoHeaderSize = 40;  // BITMAPINFOHEADER; later versions extend it

uint32_t readU32(const std::vector<uint8_t>& b, size_t at)
{
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (uint32_t{b[at + 3]} << 24);
}
uint16_t readU16(const std::vector<uint8_t>& b, size_t at) { return static_cast<uint16_t>(b[at] | (b[at + 1] << 8)); }

struct BmpLayout {
    int32_t width = 0;
    int32_t height = 0;    // rows of the picture
    bool topDown = false;  // a negative stored height
    size_t pixelOffset = 0;
    size_t stride = 0;  // bytes per stored row, padded to four
};

// Why a file is not one the loader reads, in the order the checks run.
enum class BmpProblem { none, notBmp, oldHeader, depth, compressed, size, tooLarge, cutShort };

BmpProblem readLayout(const std::vector<uint8_t>& bytes, BmpLayout& layout)
{
    if (bytes.size() < 2 || bytes[0] != 'B' || bytes[1] != 'M')
        return BmpProblem::notBmp;
    if (bytes.size() < fileHeaderSize + infoHeaderSize || readU32(bytes, 14) < infoHeaderSize)
        return BmpProblem::oldHeader;
    if (readU16(bytes, 28) != 24)
        return BmpProblem::depth;
    if (readU32(bytes, 30) != 0)
        return BmpProblem::compressed;
    const auto width = static_cast<int32_t>(readU32(bytes, 18));
    const auto storedHeight = static_cast<int32_t>(readU32(bytes, 22));
    if (width <= 0 || storedHeight == 0 || storedHeight == INT32_MIN)
        return BmpProblem::size;
    layout.width = width;
    layout.topDown = storedHeight < 0;
    layout.height = layout.topDown ? -storedHeight : storedHeight;
    if (int64_t{width} * layout.height > pctr::maxSamples)
        return BmpProblem::tooLarge;
    layout.pixelOffset = readU32(bytes, 10);
    layout.stride = (size_t(width) * 3 + 3) / 4 * 4;
    const uint64_t pixelBytes = uint64_t{layout.stride} * uint64_t(layout.height);
    const bool inside = layout.pixelOffset <= bytes.size() && pixelBytes <= bytes.size() - layout.pixelOffset;
    return inside ? BmpProblem::none : BmpProblem::cutShort;
}

std::string describe(BmpProblem problem, const std::vector<uint8_t>& bytes)
{
    switch (problem) {
    case BmpProblem::notBmp: return "not a BMP file: it does not begin with \"BM\"";
    case BmpProblem::oldHeader: return "the BMP header is cut short or of a kind older than Windows 3";
    case BmpProblem::depth:
        return std::to_string(readU16(bytes, 28)) + "-bit BMP files are not supported, only 24-bit uncompressed ones";
    case BmpProblem::compressed: return "compressed BMP files are not supported, only 24-bit uncompressed ones";
    case BmpProblem::size: return "the BMP file gives its picture no width or no height";
    case BmpProblem::tooLarge: return "the picture is too large";
    case BmpProblem::cutShort: return "the file ends before its pixel data does";
    case BmpProblem::none: break;
    }
    return "";
}

void convertRows(const std::vector<uint8_t>& bytes, const BmpLayout& layout)
{
    size_t out = 0;
    for (int32_t row = 0; row < layout.height; ++row) {
        // Bottom-up files store the picture's top row last.
        const int32_t stored = layout.topDown ? row : layout.height - 1 - row;
        const uint8_t* pixel = bytes.data() + layout.pixelOffset + layout.stride * size_t(stored);
        for (int32_t x = 0; x < layout.width; ++x, pixel += 3, ++out) {
            picture.plane[2][out] = pixel[0];
            picture.plane[1][out] = pixel[1];
            picture.plane[0][out] = pixel[2];
        }
    }
}

}  // namespace

int32_t loadBmp(const std::string& path)
{
    const uint32_t start = tickClock().tickCount();
    std::vector<uint8_t> bytes;
    BmpLayout layout;
    if (fileReader().read(path, bytes) != FileReader::Result::ok || readLayout(bytes, layout) != BmpProblem::none)
        return 0;
    if (!picture.allocate(layout.width, layout.height))
        return 0;
    picture.colourState = 0;
    convertRows(bytes, layout);
    const auto elapsed = static_cast<int32_t>(tickClock().tickCount() - start);
    std::printf("\n BMP load time = %d ms", elapsed);
    std::fflush(stdout);
    return 1;
}

std::string explainBmpFailure(const std::string& path)
{
    std::vector<uint8_t> bytes;
    const FileReader::Result read = fileReader().read(path, bytes);
    if (read != FileReader::Result::ok)
        return describeReadFailure(read);
    BmpLayout layout;
    const std::string problem = describe(readLayout(bytes, layout), bytes);
    return problem.empty() ? "there is not enough memory for the picture" : problem;
}
