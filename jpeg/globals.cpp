#include "jpeg/globals.h"

// The decoder's long-lived objects, defined in one translation unit so that
// they are constructed in this order and destroyed in reverse at exit:
// picture first, then decoder, then jpgFile.

int32_t idctIndex = 0;
int32_t subImageIndex = -1;

tjpg jpgFile;
tdec decoder;
pctr picture;
