#include "app/interaction.h"

#include "app/difference_view.h"
#include "app/folder_files.h"
#include "app/load_record.h"
#include "jpeg/globals.h"

int32_t showHelp = 1;
int32_t showRgb = 1;
bool showInfo = false;
int32_t filterIndex = 0;
int32_t imageCount = 0;
int32_t dragTarget = 0;
int32_t mouseX = 0;
int32_t mouseY = 0;
std::string imagePath;
std::string openFileBuffer;
char fileKindLetter = 0;
bool viewFitted = false;

void resetInteraction()
{
    showHelp = 1;
    showRgb = 1;
    showInfo = false;
    filterIndex = 0;
    idctIndex = 0;
    subImageIndex = -1;
    imageCount = 0;
    dragTarget = 0;
    mouseX = mouseY = 0;
    point3Dragged = 0;
    imagePath.clear();
    openFileBuffer.clear();
    fileKindLetter = 0;
    viewFitted = false;
    givenFiles.clear();
    resetDifferenceView();
    forgetLoad();
}
