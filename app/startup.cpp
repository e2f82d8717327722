#include "app/startup.h"

#include "app/bmp_loader.h"
#include "app/input.h"
#include "app/interaction.h"
#include "app/open_file.h"
#include "app/shell_platform.h"
#include "app/view_fit.h"
#include "app/viewer_state.h"
#include "jpeg/container.h"
#include "jpeg/decode_choice.h"
#include "jpeg/tick_clock.h"
#include "render/geometry.h"

std::string commandLineFile;

namespace {

constexpr const char* defaultFile = "small.jpg";

int32_t loadDefaultFile(const std::string& path)
{
    imagePath = path;
    const uint32_t start = tickClock().tickCount();
    jpgFile.parseFile(imagePath);
    return jpgFile.error != 0 ? 0 : decodeImageUpright(start);
}

// A viewer started from a menu has no small.jpg in its working directory:
// the installed one stands in. When neither loads, the current file stays
// the working directory's, so that the folder keys walk that folder.
int32_t loadSmallJpg()
{
    const int32_t count = loadDefaultFile(defaultFile);
    const std::string installed = installedSample(shellPlatform().programFolder());
    if (count > 0 || installed.empty())
        return count;
    if (const int32_t installedCount = loadDefaultFile(installed))
        return installedCount;
    imagePath = defaultFile;
    return 0;
}

// The picture shows in its own proportions, fitted to the window; the
// counter shows a BMP's one image as image 0, as after F1. A file the user
// named that does not load gets the box that says why, terminal or not,
// before the dialog asks for another.
int32_t loadCommandLineFile()
{
    const int32_t count = loadChosenFile(commandLineFile);
    if (count > 0)
        fitView();
    if (count > 0 && isBmpKind(fileKindLetter))
        subImageIndex = 0;
    if (count == 0)
        reportFailedLoad();
    return count;
}

}  // namespace

// Windows installs keep everything in the program's folder; elsewhere the
// program is <prefix>/bin/viewer and its data <prefix>/share/viewer.
std::string installedSample(const std::string& programFolder)
{
    if (programFolder.empty())
        return {};
#ifdef _WIN32
    return programFolder + "/small.jpg";
#else
    const size_t slash = programFolder.find_last_of('/');
    const std::string prefix = slash == std::string::npos ? "." : programFolder.substr(0, slash);
    return prefix + "/share/viewer/small.jpg";
#endif
}

int32_t startupLoad()
{
    viewerState->showFps = 1;
    controlPoints = startupControlPoints;
    imageCount = commandLineFile.empty() ? loadSmallJpg() : loadCommandLineFile();
    if (imageCount == 0)
        imageCount = openFileCommand().value_or(0);
    return 0;
}
