#pragma once

#include <cstdint>

// Composing the window's frames: an off-screen buffer as large as the
// desktop, drawn afresh each frame (markers, picture, overlays), shown
// through the installed FramePlatform and cleared to white.

// Makes the desktop-sized frame buffer, once the geometry is known.
void createFrameBuffer();
// Reads the desktop, window and client geometry from the platform.
void updateWindowGeometry();
// Composes, shows and clears one frame. Always 0: a frame never ends the
// main loop.
int32_t renderFrame();
// Fills the rectangle with corners (xa, ya) and (xb, yb), both included and
// in any order, cut to the client area and the buffer.
void fillFrameRect(int32_t xa, int32_t ya, int32_t xb, int32_t yb, uint32_t colour);
// Counts the frame for the FPS overlay, shows the frame and clears it.
void presentFrame();
// Shows the client area cleared to white: what the window holds before
// the first frame is composed.
void presentClearedFrame();
