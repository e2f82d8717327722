#include "idct/idct_slots.h"

std::unique_ptr<ifwi> idctFw[4];
std::unique_ptr<taanidct> idctAan[4];
std::unique_ptr<taanidct2> idctAan2[4];
tidct* idctActive[4] = {};
