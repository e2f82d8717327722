#include "app/open_file.h"

#include "app/bmp_loader.h"
#include "app/interaction.h"
#include "app/shell_platform.h"
#include "jpeg/container.h"
#include "jpeg/diagnosis.h"
#include "jpeg/driver.h"
#include "jpeg/tick_clock.h"

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
    return loadImageFile(path, -1);
}

int32_t loadImageFile(const std::string& path, int32_t image)
{
    if (isBmpKind(extensionLetter(path)))
        return loadBmp(path);
    subImageIndex = image;
    const uint32_t start = tickClock().tickCount();
    jpgFile.parseFile(path);
    if (jpgFile.error != 0)
        return 0;
    return decodeImage(start);
}

std::string explainFailedLoad(const std::string& path)
{
    if (isBmpKind(extensionLetter(path)))
        return "not a readable 24-bit uncompressed BMP file";
    return explainLoadFailure();
}

std::string loadWarning(const std::string& path)
{
    return isBmpKind(extensionLetter(path)) ? "" : explainLoadWarning();
}
