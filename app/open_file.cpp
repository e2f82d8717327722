#include "app/open_file.h"

#include <chrono>

#include "app/difference_view.h"
#include "app/interaction.h"
#include "app/load_record.h"
#include "app/shell_platform.h"
#include "jpeg/decode_choice.h"
#include "jpeg/driver.h"
#include "jpeg/file/container.h"
#include "jpeg/file/exif_orientation.h"
#include "jpeg/globals.h"
#include "jpeg/output/picture.h"
#include "jpeg/output/upright.h"

std::optional<int32_t> openFileCommand()
{
    const auto chosen = shellPlatform().openFileDialog("Load JPG or BMP Image ...", openFileBuffer);
    if (!chosen || chosen->empty())
        return std::nullopt;
    return loadChosenFile(*chosen);
}

int32_t loadChosenFile(const std::string& path)
{
    openFileBuffer = path;
    imagePath = path;
    fileKindLetter = extensionLetter(path);
    return loadImageFile(path, -1, Orientation::upright);
}

int32_t loadImageFile(const std::string& path, int32_t image, Orientation orientation)
{
    giveBackDecodedPicture();
    const FileKind& kind = fileKindOf(path);
    const auto start = std::chrono::steady_clock::now();
    const int32_t count = kind.load(path, image, orientation);
    const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
    recordLoad(path, kind, count, orientation, took.count());
    showDifferenceOfLoad();
    return count;
}

// A picture that cannot be turned (no memory for the spare plane) is shown
// as stored rather than not at all.
int32_t decodeImageUpright(uint32_t start, const DecodeOptions& options)
{
    const int32_t count = decodeImage(start, options);
    if (count > 0)
        turnUprightAsLoaded(picture, Orientation::upright);
    return count;
}

void turnUprightAsLoaded(pctr& target, Orientation orientation)
{
    if (orientation == Orientation::upright && subImageIndex == jpgFile.mainImage)
        turnUpright(target, exifOrientation(jpgFile.fileData.data(), jpgFile.fileData.size()));
}

std::string explainFailedLoad(const std::string& path) { return fileKindOf(path).explainFailure(path); }

std::string loadWarning(const std::string& path) { return fileKindOf(path).warning(); }
