#include "app/view_fit.h"

#include <algorithm>
#include <cmath>

#include "app/interaction.h"
#include "app/viewer_state.h"
#include "jpeg/globals.h"
#include "jpeg/output/picture.h"
#include "render/geometry.h"

namespace {

constexpr double fitMargin = 50.0;  // client pixels left free around a fitted picture

bool havePicture() { return picture.plane[0] && picture.width[0] > 0 && picture.height[0] > 0; }

void placeUpright(double left, double top, double width, double height)
{
    const double right = left + width;
    const double bottom = top + height;
    controlPoints = {{{left, top}, {right, top}, {right, bottom}, {left, bottom}}};
}

}  // namespace

void fitView()
{
    const double width = picture.width[0];
    const double height = picture.height[0];
    const double roomX = viewerState->clientWidth - 2 * fitMargin;
    const double roomY = viewerState->clientHeight - 2 * fitMargin;
    if (!havePicture() || roomX <= 0 || roomY <= 0)
        return;
    const double scale = std::min(roomX / width, roomY / height);
    placeUpright((viewerState->clientWidth - width * scale) / 2, (viewerState->clientHeight - height * scale) / 2,
                 width * scale, height * scale);
    viewFitted = true;
}

void followClientSize()
{
    if (viewFitted)
        fitView();
}

void endFittedView() { viewFitted = false; }

// Whole-pixel corners keep every picture pixel on one client pixel.
void showActualSize()
{
    if (!havePicture())
        return;
    const double width = picture.width[0];
    const double height = picture.height[0];
    placeUpright(std::floor((viewerState->clientWidth - width) / 2),
                 std::floor((viewerState->clientHeight - height) / 2), width, height);
    endFittedView();
}

void zoomAboutCentre(double factor)
{
    zoomView(viewerState->clientWidth / 2.0, viewerState->clientHeight / 2.0, factor);
    endFittedView();
}
