#include "app/startup.h"

#include "app/file_kinds.h"
#include "app/folder_files.h"
#include "app/input.h"
#include "app/interaction.h"
#include "app/open_file.h"
#include "app/shell_platform.h"
#include "app/view_fit.h"
#include "app/viewer_state.h"
#include "app/window_title.h"
#include "jpeg/decode_choice.h"
#include "jpeg/globals.h"
#include "render/geometry.h"

std::vector<std::string> commandLineFiles;

namespace {

constexpr const char* defaultFile = "small.jpg";

int32_t loadDefaultFile(const std::string& path)
{
    imagePath = path;
    return loadImageFile(imagePath, subImageIndex, Orientation::upright);
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
            printLoadFailure(argument, "is a folder without pictures");
        files.insert(files.end(), pictures.begin(), pictures.end());
    }
    givenFiles = commandLineFiles.size() > 1 ? files : std::vector<std::string>{};
    return files;
}

// The first file that loads, shown in its own proportions, fitted to the
// window; those before it are reported on standard error (the terminal the
// files were named in, or on Windows the viewer's console) and left out of
// the walk. When none
// loads, the last says why in the load-error box too, terminal or not,
// before the dialog asks for another. The counter shows a BMP's one image
// as image 0, as after F1.
int32_t loadCommandLineFiles()
{
    const std::vector<std::string> files = filesToTry();
    for (size_t n = 0; n < files.size(); ++n) {
        const int32_t count = loadChosenFile(files[n]);
        if (count > 0) {
            fitView();
            if (!fileKindOf(files[n]).holdsSeveralImages)
                subImageIndex = 0;
            return count;
        }
        if (n + 1 < files.size())
            printLoadFailure(files[n], explainFailedLoad(files[n]));
        else
            reportFailedLoad();
        std::erase(givenFiles, files[n]);
    }
    return 0;
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
    imageCount = commandLineFiles.empty() ? loadSmallJpg() : loadCommandLineFiles();
    if (imageCount == 0)
        imageCount = openFileCommand().value_or(0);
    showWindowTitle();
    return 0;
}
