// The decoder's long-lived objects, defined in one translation unit so that
// they are constructed in this order and destroyed in reverse at exit:
// picture first, then decoder, then jpgFile.
#include "jpeg/container.h"
#include "jpeg/decode_choice.h"
#include "jpeg/entropy.h"
#include "jpeg/picture.h"

int32_t idctIndex = 0;
int32_t subImageIndex = -1;

tjpg jpgFile;
tdec decoder;
pctr picture;
