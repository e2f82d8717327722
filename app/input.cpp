#include "app/input.h"

#include <algorithm>
#include <optional>
#include <string>

#include "app/file_kinds.h"
#include "app/folder_files.h"
#include "app/interaction.h"
#include "app/open_file.h"
#include "app/shell_platform.h"
#include "app/viewer_state.h"
#include "app/window_title.h"
#include "jpeg/decode_choice.h"
#include "jpeg/picture.h"
#include "render/geometry.h"

namespace {

int32_t nextInCycle(int32_t value) { return value + 1 < 0 || value + 1 > 2 ? 0 : value + 1; }

constexpr double resetMargin = 50.0;  // client pixels left free around the picture by Home

// The design's "Load error" box, which also says why the current file did
// not load.
std::string loadErrorText()
{
    return "Load error\n\n" + shellPlatform().displayPath(imagePath) + ": " + explainFailedLoad(imagePath);
}

// The counter then shows the image decoded: the main picture, as the
// decoder resolved it, or the one image of a kind that holds one; a failed
// load says so in a box.
void reportLoad(int32_t count)
{
    imageCount = count;
    showWindowTitle();
    if (imageCount == 0)
        shellPlatform().messageBox(loadErrorText().c_str(), "Load error.");
    if (imageCount == 0 || !fileKindFor(fileKindLetter).holdsSeveralImages)
        subImageIndex = imageCount - 1;
}

void openFile()
{
    if (const auto count = openFileCommand())
        reportLoad(*count);
}

// The next (direction 1) or previous (-1) file of the list the viewer
// walks, loaded as F1 loads a chosen file.
void openNeighbour(int direction)
{
    if (imagePath.empty())
        return;
    if (const std::optional<std::string> next = neighbourFile(imagePath, direction))
        reportLoad(loadChosenFile(*next));
}

// Re-reads the file from disk and decodes the next embedded image.
void nextEmbeddedImage()
{
    ++subImageIndex;
    if (subImageIndex < 0 || subImageIndex >= imageCount)
        subImageIndex = 0;
    if (!fileKindFor(fileKindLetter).holdsSeveralImages || imageCount <= 1)
        return;
    loadImageFile(imagePath, subImageIndex, Orientation::upright);
    showWindowTitle();
}

// An upright rectangle of the picture's proportions, as large as fits in
// the client area with a margin all round, centred.
void resetView()
{
    const double width = picture.width[0];
    const double height = picture.height[0];
    const double roomX = viewerState->clientWidth - 2 * resetMargin;
    const double roomY = viewerState->clientHeight - 2 * resetMargin;
    if (!picture.plane[0] || width <= 0 || height <= 0 || roomX <= 0 || roomY <= 0)
        return;
    const double scale = std::min(roomX / width, roomY / height);
    const double left = (viewerState->clientWidth - width * scale) / 2;
    const double top = (viewerState->clientHeight - height * scale) / 2;
    const double right = left + width * scale;
    const double bottom = top + height * scale;
    controlPoints = {{{left, top}, {right, top}, {right, bottom}, {left, bottom}}};
}

void handleKey(uint64_t key)
{
    switch (key) {
    case VK_ESCAPE: shellPlatform().postQuitMessage(0); break;
    case '1':
    case '3': showHelp = !showHelp; break;
    case VK_F1:
    case '2': openFile(); break;
    case 'B':
    case '5': filterIndex = nextInCycle(filterIndex); break;
    case 'R':
    case '6': showRgb = !showRgb; break;
    case 'D':
    case '7': idctIndex = nextInCycle(idctIndex); break;
    case 'S': nextEmbeddedImage(); break;
    case VK_RIGHT:
    case VK_NEXT:
    case VK_SPACE: openNeighbour(1); break;
    case VK_LEFT:
    case VK_PRIOR:
    case VK_BACK: openNeighbour(-1); break;
    case VK_HOME: resetView(); break;
    default: break;
    }
}

// A move that arrives with the button already up ends the drag: the
// release happened where the window could not see it.
void handleMouseMove(int32_t x, int32_t y, uint64_t buttons)
{
    if (dragTarget != 0 && (buttons & MK_LBUTTON) == 0)
        dragTarget = 0;
    if (dragTarget > 0)
        moveControlPoint(dragTarget, x, y);
    else if (dragTarget == -1)
        panView(x - mouseX, y - mouseY);
    mouseX = x;
    mouseY = y;
}

void handleWheel(int32_t delta, int32_t screenX, int32_t screenY)
{
    const double px = screenX - viewerState->clientOrigin.x;
    const double py = screenY - viewerState->clientOrigin.y;
    const bool towardsUser = delta < 0;
    const bool ctrlHeld = (shellPlatform().keyState(VK_CONTROL) & ~1) != 0;
    if (ctrlHeld)
        zoomView(px, py, towardsUser ? 1.1 : 0.9);
    else
        rotateView(px, py, towardsUser ? 10.0 : -10.0);
}

}  // namespace

int32_t handleInput(uint32_t message, uint64_t wParam, int64_t lParam)
{
    switch (message) {
    case WM_KEYDOWN: handleKey(wParam); break;
    case WM_MOUSEMOVE: handleMouseMove(pointX(lParam), pointY(lParam), wParam); break;
    case WM_LBUTTONDOWN:
        mouseX = pointX(lParam);
        mouseY = pointY(lParam);
        dragTarget = hitTestControlPoint(mouseX, mouseY);
        break;
    case WM_LBUTTONUP: dragTarget = 0; break;
    case WM_MOUSEWHEEL: handleWheel(wheelDelta(wParam), pointX(lParam), pointY(lParam)); break;
    case WM_DROPFILES: reportLoad(loadChosenFile(shellPlatform().droppedFile())); break;
    default: break;
    }
    return 0;
}
