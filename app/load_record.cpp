#include "app/load_record.h"

#include "jpeg/decode_choice.h"
#include "jpeg/file/container.h"
#include "jpeg/file/image_description.h"
#include "jpeg/globals.h"
#include "jpeg/output/colour.h"

namespace {

LoadRecord record;

std::string baseName(const std::string& path)
{
    const size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The image the last decode took, in the words of the tools' --info.
std::string describeDecodedImage()
{
    if (subImageIndex < 0 || subImageIndex >= jpgFile.count)
        return "";
    const tjpgel& image = jpgFile.images[subImageIndex];
    const std::string sampling = samplingName(image);
    return std::string(frameKindName(image)) + (sampling.empty() ? "" : ", " + sampling) + ", " +
           colourModelName(colourModelOf(image));
}

}  // namespace

const LoadRecord& lastLoad() { return record; }

void forgetLoad() { record = {}; }

void recordLoad(const std::string& path, const FileKind& kind, int32_t count, Orientation orientation,
                double milliseconds)
{
    record.loaded = count > 0;
    record.transformCoded = kind.transformCoded;
    record.family = idctIndex;
    record.orientation = orientation;
    record.milliseconds = milliseconds;
    record.stages = kind.transformCoded ? lastStageSplit() : StageSplit{};
    record.name = baseName(path);
    record.kind = kind.transformCoded ? describeDecodedImage() : kind.name;
}
