#pragma once

#include <cstdint>

#include "jpeg/entropy/entropy.h"
#include "jpeg/file/container.h"
#include "jpeg/output/picture.h"

// The decoder's long-lived objects: the file, the decoder's working state
// and the one picture the viewer shows. Only the decode driver, the frame
// decoder's entry and the shell use them; the stages take what they work
// on as parameters.
extern tjpg jpgFile;
extern tdec decoder;
extern pctr picture;

// What the next decode takes. The shell sets them at the user's commands;
// decodeImage reads them, and writes back the image it resolved.
extern int32_t idctIndex;      // 0 Feig-Winograd, 1 AAN, 2 AAN second form
extern int32_t subImageIndex;  // embedded image to decode; -1 = the main picture
