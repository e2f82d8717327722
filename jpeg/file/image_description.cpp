#include "jpeg/file/image_description.h"

#include "jpeg/file/markers.h"

namespace {

struct NamedRatio {
    int32_t h, v;  // the first component's factors over the others'
    const char* name;
};

// J:a:b names, by how many luma samples each chroma sample covers.
constexpr NamedRatio namedRatios[] = {
    {1, 1, "4:4:4"}, {2, 1, "4:2:2"}, {2, 2, "4:2:0"}, {1, 2, "4:4:0"}, {4, 1, "4:1:1"}, {4, 2, "4:1:0"},
};

const char* ratioName(const ComponentSpec* c)
{
    const bool chromaAlike = c[1].hSampling == c[2].hSampling && c[1].vSampling == c[2].vSampling;
    if (!chromaAlike || c[1].hSampling <= 0 || c[1].vSampling <= 0 || c[0].hSampling % c[1].hSampling != 0 ||
        c[0].vSampling % c[1].vSampling != 0)
        return nullptr;
    for (const NamedRatio& ratio : namedRatios)
        if (c[0].hSampling / c[1].hSampling == ratio.h && c[0].vSampling / c[1].vSampling == ratio.v)
            return ratio.name;
    return nullptr;
}

}  // namespace

const char* frameKindName(const tjpgel& image)
{
    if (!image.hasFrameHeader)
        return image.frameMarker != 0 ? "unsupported frame" : "no frame header";
    switch (image.frameMarker) {
    case markerSof1: return "extended";
    case markerSof2: return "progressive";
    case markerSof9: return "arithmetic";
    case markerSof10: return "progressive arithmetic";
    default: return "baseline";
    }
}

const char* colourModelName(ColourModel model)
{
    switch (model) {
    case ColourModel::grey: return "grey";
    case ColourModel::ycbcr: return "YCbCr";
    case ColourModel::rgb: return "RGB";
    case ColourModel::cmyk: return "CMYK";
    case ColourModel::invertedCmyk: return "CMYK, inverted";
    case ColourModel::ycck: return "YCCK";
    case ColourModel::unknown: break;
    }
    return "unknown colours";
}

std::string samplingName(const tjpgel& image)
{
    if (image.componentCount < 2)
        return "";
    if (const char* named = image.componentCount == 3 ? ratioName(image.component) : nullptr)
        return named;
    std::string factors;
    for (int32_t n = 0; n < image.componentCount && n < 4; ++n) {
        const ComponentSpec& c = image.component[n];
        if (n > 0)
            factors += ' ';
        factors += std::to_string(c.hSampling);
        factors += 'x';
        factors += std::to_string(c.vSampling);
    }
    return factors;
}
