#pragma once

#include <cstdint>

// What the next decode takes. The shell sets them at the user's commands;
// decodeImage reads them, and writes back the image it resolved.
extern int32_t idctIndex;      // 0 Feig-Winograd, 1 AAN, 2 AAN second form
extern int32_t subImageIndex;  // embedded image to decode; -1 = the main picture
