#include "idct/aan.h"
#include "idct/aan2.h"
#include "idct/feig_winograd.h"
#include "idct/tidct.h"

std::unique_ptr<ifwi> idctFw[4];
std::unique_ptr<taanidct> idctAan[4];
std::unique_ptr<taanidct2> idctAan2[4];
tidct* idctActive[4] = {};
