#include "app/startup.h"

#include <cstdio>

#include "app/bmp_loader.h"
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

int32_t loadSmallJpg()
{
    imagePath = "small.jpg";
    const uint32_t start = tickClock().tickCount();
    jpgFile.parseFile(imagePath);
    return jpgFile.error != 0 ? 0 : decodeImageUpright(start);
}

// The picture shows in its own proportions, fitted to the window; the
// counter shows a BMP's one image as image 0, as after F1. The dialog
// that follows a failure has no box to say why, so the reason goes to the
// terminal the file was named in.
int32_t loadCommandLineFile()
{
    const int32_t count = loadChosenFile(commandLineFile);
    if (count > 0)
        fitView();
    if (count > 0 && isBmpKind(fileKindLetter))
        subImageIndex = 0;
    if (count == 0)
        std::fprintf(stderr, "viewer: %s: %s\n", shellPlatform().displayPath(commandLineFile).c_str(),
                     explainFailedLoad(commandLineFile).c_str());
    return count;
}

}  // namespace

int32_t startupLoad()
{
    viewerState->showFps = 1;
    controlPoints = startupControlPoints;
    imageCount = commandLineFile.empty() ? loadSmallJpg() : loadCommandLineFile();
    if (imageCount == 0)
        imageCount = openFileCommand().value_or(0);
    return 0;
}
