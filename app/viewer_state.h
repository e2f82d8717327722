#pragma once

#include <cstdint>

#include "render/rect.h"
#include "render/resample.h"

// How the frame buffer was made: the layout of a 40-byte device-independent
// bitmap header. A negative height means rows run top-down. The buffer's
// real size is read from here, since the desktop size may change later.
struct FrameInfo {
    uint32_t headerSize = 0;
    int32_t width = 0;
    int32_t height = 0;
    uint16_t planes = 0;
    uint16_t bitCount = 0;
    uint32_t compression = 0;
    uint32_t imageSize = 0;
    int32_t xPixelsPerMetre = 0;
    int32_t yPixelsPerMetre = 0;
    uint32_t coloursUsed = 0;
    uint32_t coloursImportant = 0;
};

// Everything about the one window. The window-system handles are opaque to
// the logic: the platform layer stores and reads them. The frame's drawing
// context and bitmap handle are the platform's business (it owns the pixels
// and hands back framePixels).
struct ViewerState {
    void* window = nullptr;
    void* windowDc = nullptr;
    void* instance = nullptr;
    const char* title = "Viewer";
    int32_t waitForMessages = 0;
    uint32_t classStyle = 3;     // redraw on horizontal and vertical size changes
    uint32_t exStyle = 0x40000;  // an application window with a taskbar button
    uint32_t style = 0xCF0000;   // a normal overlapped, resizable window
    int32_t running = 0;
    int32_t showFps = 0;
    int32_t frameCount = 0;
    uint32_t fpsTick = 0;
    char fpsText[40] = "FPS: ";
    void* desktopWindow = nullptr;
    Rect desktopRect;
    // Until the window exists this holds its creation position and size
    // (x 50, y 50, width 750, height 650), not two corners.
    Rect windowRect{50, 50, 750, 650};
    Rect clientRect{0, 0, 800, 600};
    Point clientOrigin;
    int32_t desktopWidth = 0;
    int32_t desktopHeight = 0;
    int32_t windowWidth = 0;
    int32_t windowHeight = 0;
    int32_t clientWidth = 0;
    int32_t clientHeight = 0;
    int32_t useConsole = 1;
    FrameInfo frameInfo;
    uint32_t* framePixels = nullptr;  // 0x00RRGGBB, top row first
    int32_t frameStride = 0;          // pixels per frame row
    RenderOptions render;             // how frames draw the picture

    ViewerState();
};

extern ViewerState* viewerState;

// Puts the record back to its start-up values (the frame is forgotten, not
// freed: the platform owns it).
void resetViewerState();
