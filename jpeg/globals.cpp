// The decoder's long-lived objects, defined in one translation unit so that
// they are constructed in this order and destroyed in reverse at exit:
// picture first, then decoder, then jpgFile.
#include "jpeg/container.h"
#include "jpeg/entropy.h"
#include "jpeg/picture.h"

tjpg jpgFile;
tdec decoder;
pctr picture;
