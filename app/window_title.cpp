#include "app/window_title.h"

#include "app/folder_files.h"
#include "app/interaction.h"
#include "app/open_file.h"
#include "app/shell_platform.h"
#include "app/viewer_state.h"

std::string windowTitle()
{
    const std::string product = viewerState->title;
    if (imagePath.empty())
        return product;
    const WalkPlace place = walkPlace(imagePath);
    std::string title = imagePath.substr(imagePath.find_last_of('/') + 1) + " (" + std::to_string(place.number) + "/" +
                        std::to_string(place.count) + ") \u2014 " + product;
    if (imageCount == 0)
        return title + " \u2014 not loaded";
    if (!loadWarning(imagePath).empty())
        return title + " \u2014 incomplete";
    return title;
}

void showWindowTitle() { shellPlatform().setWindowTitle(windowTitle()); }
