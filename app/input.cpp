#include "app/input.h"

#include <cstdio>
#include <optional>
#include <string>

#include "app/difference_view.h"
#include "app/file_kinds.h"
#include "app/folder_files.h"
#include "app/interaction.h"
#include "app/open_file.h"
#include "app/shell_platform.h"
#include "app/view_fit.h"
#include "app/viewer_state.h"
#include "app/window_title.h"
#include "jpeg/decode_choice.h"
#include "jpeg/globals.h"
#include "jpeg/output/picture.h"
#include "render/geometry.h"

namespace {

int32_t nextInCycle(int32_t value) { return value + 1 < 0 || value + 1 > 2 ? 0 : value + 1; }

// The counter then shows the image decoded: the main picture, as the
// decoder resolved it, or the one image of a kind that holds one; a failed
// load says so in a box.
void reportLoad(int32_t count)
{
    imageCount = count;
    showWindowTitle();
    if (imageCount == 0)
        reportFailedLoad();
    if (imageCount == 0 || !fileKindFor(fileKindLetter).holdsSeveralImages)
        subImageIndex = imageCount - 1;
}

// The new picture fills the parallelogram of the one before, which was
// fitted, if at all, to that one.
void openFile()
{
    if (const auto count = openFileCommand()) {
        reportLoad(*count);
        endFittedView();
    }
}

// Loads path as F1 loads a chosen file, but shows the picture in its own
// proportions.
void openFitted(const std::string& path)
{
    reportLoad(loadChosenFile(path));
    if (imageCount > 0)
        fitView();
}

// The next (direction 1) or previous (-1) file of the list the viewer
// walks.
void openNeighbour(int direction)
{
    if (imagePath.empty())
        return;
    if (const std::optional<std::string> next = neighbourFile(imagePath, direction))
        openFitted(*next);
}

// Re-reads the file from disk and decodes the next embedded image.
void nextEmbeddedImage()
{
    ++subImageIndex;
    if (subImageIndex < 0 || subImageIndex >= imageCount)
        subImageIndex = 0;
    if (!fileKindFor(fileKindLetter).holdsSeveralImages || imageCount <= 1)
        return;
    if (loadImageFile(imagePath, subImageIndex, Orientation::upright) > 0)
        endFittedView();
    showWindowTitle();
}

// Decodes the shown image again, with the family D chose since: D then F5
// compares two families on one picture. The view stays as it is, and a
// fitted one fits what came.
void reload()
{
    if (imagePath.empty())
        return;
    reportLoad(loadImageFile(imagePath, subImageIndex, Orientation::upright));
    if (viewFitted && imageCount > 0)
        fitView();
}

// Escape first leaves fullscreen; otherwise it quits.
void escape()
{
    ShellPlatform& shell = shellPlatform();
    if (shell.fullscreen())
        shell.setFullscreen(false);
    else
        shell.postQuitMessage(0);
}

void handleKey(uint64_t key)
{
    switch (key) {
    case VK_ESCAPE: escape(); break;
    case 'Q': shellPlatform().postQuitMessage(0); break;
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
    case VK_F5: reload(); break;
    case 'I': showInfo = !showInfo; break;
    case 'C': toggleDifferenceView(); break;
    case VK_RIGHT:
    case VK_NEXT:
    case VK_SPACE: openNeighbour(1); break;
    case VK_LEFT:
    case VK_PRIOR:
    case VK_BACK: openNeighbour(-1); break;
    case VK_HOME: fitView(); break;
    case VK_OEM_PLUS:
    case VK_ADD: zoomAboutCentre(zoomInStep); break;
    case VK_OEM_MINUS:
    case VK_SUBTRACT: zoomAboutCentre(zoomOutStep); break;
    case '0': showActualSize(); break;
    case VK_F11: shellPlatform().setFullscreen(!shellPlatform().fullscreen()); break;
    default: break;
    }
}

// A move that arrives with the button already up ends the drag: the
// release happened where the window could not see it.
void handleMouseMove(int32_t x, int32_t y, uint64_t buttons)
{
    if (dragTarget != 0 && (buttons & MK_LBUTTON) == 0)
        dragTarget = 0;
    if (dragTarget != 0)
        endFittedView();
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
        zoomView(px, py, towardsUser ? zoomInStep : zoomOutStep);
    else
        rotateView(px, py, towardsUser ? 10.0 : -10.0);
    endFittedView();
}

}  // namespace

// The box keeps its first line, "Load error", and says why below it; the
// same words go to standard error for whoever started the viewer from a
// terminal.
void printLoadFailure(const std::string& path, const std::string& reason)
{
    std::fprintf(stderr, "viewer: %s: %s\n", shellPlatform().displayPath(path).c_str(), reason.c_str());
}

void reportFailedLoad()
{
    const std::string reason = explainFailedLoad(imagePath);
    printLoadFailure(imagePath, reason);
    shellPlatform().messageBox(("Load error\n\n" + shellPlatform().displayPath(imagePath) + ": " + reason).c_str(),
                               "Load error.");
}

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
    case WM_DROPFILES: openFitted(shellPlatform().droppedFile()); break;
    default: break;
    }
    return 0;
}
