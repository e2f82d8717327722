// The decoder's long-lived objects, defined in one translation unit so that
// they are constructed in this order and destroyed in reverse at exit:
// picture first, then decoder, then jpgFile.
#include "jpeg/decode_choice.h"
#include "jpeg/entropy/entropy.h"
#include "jpeg/file/container.h"
#include "jpeg/output/picture.h"

int32_t idctIndex = 0;
int32_t subImageIndex = -1;

tjpg jpgFile;
tdec decoder;
pctr picture;
