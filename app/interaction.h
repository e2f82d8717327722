#pragma once

#include <cstdint>
#include <string>

#include "jpeg/decode_choice.h"
#include "render/geometry.h"

// The shell's interaction variables: plain globals, read and written on the
// one user-interface thread. The decoder's choices (idctIndex,
// subImageIndex) and the geometry's point3Dragged are declared with their
// lowest users.
extern int32_t showHelp;     // draw the help text
extern int32_t showRgb;      // draw the colour of the frame pixel under the mouse
extern bool showInfo;        // draw the information lines
extern int32_t filterIndex;  // 0 Nearest, 1 Bilinear, 2 SmoothBilinear
extern int32_t imageCount;   // images in the file loaded last; 0 = failed load
extern int32_t dragTarget;   // 0 idle, -1 dragging the picture, 1..4 a control point
extern int32_t mouseX;
extern int32_t mouseY;
extern std::string imagePath;       // path of the current file, UTF-8
extern std::string openFileBuffer;  // the open dialog's last choice
extern char fileKindLetter;         // first letter of the extension; 'b'/'B' = BMP
extern bool viewFitted;             // the picture is fitted to the window and follows its size

// Puts every interaction variable back to its start-up value.
void resetInteraction();
