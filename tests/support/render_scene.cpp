#include "support/render_scene.h"
#include "jpeg/globals.h"

#include "app/frame.h"
#include "app/interaction.h"
#include "app/viewer_state.h"
#include "jpeg/output/picture.h"
#include "render/geometry.h"

RenderScene::RenderScene(int32_t clientWidth, int32_t clientHeight, int32_t desktopWidth, int32_t desktopHeight)
    : platform(desktopWidth, desktopHeight, clientWidth, clientHeight, &text)
{
    resetViewerState();
    resetInteraction();
    picture.clear();
    controlPoints = startupControlPoints;
    setFramePlatform(&platform);
    updateWindowGeometry();
    createFrameBuffer();
}

RenderScene::~RenderScene()
{
    setFramePlatform(nullptr);
    picture.clear();
    resetViewerState();
    resetInteraction();
}

void RenderScene::render() { renderFrame(); }

uint32_t RenderScene::presentedAt(int32_t x, int32_t y) const
{
    return platform.presented().at(static_cast<size_t>(y) * platform.presentedWidth() + x);
}

uint32_t RenderScene::frameAt(int32_t x, int32_t y) const
{
    return viewerState->framePixels[static_cast<size_t>(y) * viewerState->frameStride + x];
}

void makePicture(int32_t width, int32_t height, const PixelMaker& pixelAt)
{
    picture.allocate(width, height);
    for (int32_t row = 0; row < height; ++row) {
        for (int32_t column = 0; column < width; ++column) {
            const uint32_t rgb = pixelAt(column, row);
            const size_t s = static_cast<size_t>(row) * width + column;
            picture.plane[0][s] = static_cast<uint8_t>(rgb >> 16);
            picture.plane[1][s] = static_cast<uint8_t>(rgb >> 8);
            picture.plane[2][s] = static_cast<uint8_t>(rgb);
        }
    }
    picture.colourState = 0;
}

void makeFlatPicture(int32_t width, int32_t height, uint32_t rgb)
{
    makePicture(width, height, [rgb](int32_t, int32_t) { return rgb; });
}
