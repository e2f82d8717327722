#pragma once

#include <cstdint>
#include <string>

// The shell's interaction variables: plain globals, read and written on the
// one user-interface thread.
extern int32_t showHelp;       // draw the help text
extern int32_t showRgb;        // draw the colour of the frame pixel under the mouse
extern int32_t filterIndex;    // 0 Nearest, 1 Bilinear, 2 SmoothBilinear
extern int32_t idctIndex;      // 0 Feig-Winograd, 1 AAN, 2 AAN second form
extern int32_t subImageIndex;  // embedded image to decode; -1 = the last one
extern int32_t imageCount;     // images in the file loaded last; 0 = failed load
extern int32_t dragTarget;     // 0 idle, -1 dragging the picture, 1..4 a control point
extern int32_t mouseX;
extern int32_t mouseY;
extern int32_t point3Dragged;  // the point dragged most recently is point 3
extern std::string imagePath;       // path of the current file, UTF-8
extern std::string openFileBuffer;  // the open dialog's last choice
extern char fileKindLetter;         // first letter of the extension; 'b'/'B' = BMP

// Puts every interaction variable back to its start-up value.
void resetInteraction();
