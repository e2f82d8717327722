#pragma once

#include <cstdint>

// Turns the global picture from Y/Cb/Cr into R/G/B in place. Returns 1 when
// it converted, 0 when the picture was not awaiting conversion.
int32_t convertColour();
