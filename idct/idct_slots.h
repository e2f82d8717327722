#pragma once

#include <memory>

#include "idct/aan.h"
#include "idct/aan2.h"
#include "idct/feig_winograd.h"
#include "idct/tidct.h"

// One slot per quantisation table 0..3. The decode driver is the only code
// that creates, replaces and selects these objects.
extern std::unique_ptr<ifwi> idctFw[4];
extern std::unique_ptr<taanidct> idctAan[4];
extern std::unique_ptr<taanidct2> idctAan2[4];
extern tidct* idctActive[4];  // the selected family; owns nothing
