#include "app/open_file.h"

#include "app/bmp_loader.h"
#include "app/interaction.h"
#include "app/shell_platform.h"
#include "jpeg/container.h"
#include "jpeg/diagnosis.h"
#include "jpeg/driver.h"
#include "jpeg/exif_orientation.h"
#include "jpeg/picture.h"
#include "jpeg/tick_clock.h"
#include "jpeg/upright.h"

namespace {

// T.81, B.2.1: a JPEG stream begins with SOI, 0xFF 0xD8.
bool startsLikeJpeg(const std::vector<uint8_t>& file) { return file.size() >= 2 && file[0] == 0xFF && file[1] == 0xD8; }

}  // namespace

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
    if (isBmpKind(extensionLetter(path)))
        return loadBmp(path);
    subImageIndex = image;
    const uint32_t start = tickClock().tickCount();
    jpgFile.parseFile(path);
    if (jpgFile.error != 0)
        return 0;
    return orientation == Orientation::upright ? decodeImageUpright(start) : decodeImage(start);
}

// A picture that cannot be turned (no memory for the spare plane) is shown
// as stored rather than not at all.
int32_t decodeImageUpright(uint32_t start)
{
    const int32_t count = decodeImage(start);
    if (count > 0 && subImageIndex == jpgFile.mainImage)
        turnUpright(picture, exifOrientation(jpgFile.fileData.data(), jpgFile.fileData.size()));
    return count;
}

std::string explainFailedLoad(const std::string& path)
{
    if (isBmpKind(extensionLetter(path)))
        return explainBmpFailure(path);
    if (jpgFile.error == 0 && jpgFile.count == 0 && !startsLikeJpeg(jpgFile.fileData))
        return "not a JPEG file: it does not begin with a start-of-image marker";
    return explainLoadFailure();
}

std::string loadWarning(const std::string& path)
{
    return isBmpKind(extensionLetter(path)) ? "" : explainLoadWarning();
}
