#include "app/startup.h"

#include <cstdio>

#include "app/file_kinds.h"
#include "app/folder_files.h"
#include "app/interaction.h"
#include "app/open_file.h"
#include "app/shell_platform.h"
#include "app/viewer_state.h"
#include "app/window_title.h"
#include "jpeg/decode_choice.h"
#include "render/geometry.h"

std::vector<std::string> commandLineFiles;

namespace {

int32_t loadSmallJpg()
{
    imagePath = "small.jpg";
    return loadImageFile(imagePath, subImageIndex, Orientation::upright);
}

// The dialog that follows a failure has no box to say why, so the reason
// goes to standard error: the terminal the file was named in, or on
// Windows the viewer's console.
void reportUnloaded(const std::string& path, const std::string& reason)
{
    std::fprintf(stderr, "viewer: %s: %s\n", shellPlatform().displayPath(path).c_str(), reason.c_str());
}

// The files to try, in order: a folder stands for its pictures. Given
// several arguments the viewer walks them; given one, its folder.
std::vector<std::string> filesToTry()
{
    std::vector<std::string> files;
    for (const std::string& argument : commandLineFiles) {
        if (!shellPlatform().isFolder(argument)) {
            files.push_back(argument);
            continue;
        }
        const std::vector<std::string> pictures = picturesInFolder(argument);
        if (pictures.empty())
            reportUnloaded(argument, "is a folder without pictures");
        files.insert(files.end(), pictures.begin(), pictures.end());
    }
    givenFiles = commandLineFiles.size() > 1 ? files : std::vector<std::string>{};
    return files;
}

// The first file that loads; those before it are reported and left out of
// the walk. The counter shows a BMP's one image as image 0, as after F1.
int32_t loadCommandLineFiles()
{
    for (const std::string& file : filesToTry()) {
        const int32_t count = loadChosenFile(file);
        if (count > 0) {
            if (!fileKindOf(file).holdsSeveralImages)
                subImageIndex = 0;
            return count;
        }
        reportUnloaded(file, explainFailedLoad(file));
        std::erase(givenFiles, file);
    }
    return 0;
}

}  // namespace

int32_t startupLoad()
{
    viewerState->showFps = 1;
    controlPoints = startupControlPoints;
    imageCount = commandLineFiles.empty() ? loadSmallJpg() : loadCommandLineFiles();
    if (imageCount == 0)
        imageCount = openFileCommand().value_or(0);
    showWindowTitle();
    return 0;
}
