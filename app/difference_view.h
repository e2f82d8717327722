#pragma once

#include <optional>

#include "jpeg/transform_comparison.h"

// The C key's view: in place of the picture, how far the samples of the
// family it was decoded with lie from the exact transform's. The decoded
// picture waits aside meanwhile. The difference is computed once per
// decode and only while the view is on; turning it off frees it.

bool differenceViewOn();
void toggleDifferenceView();
// Off, as at start-up, with the decoded picture given back.
void resetDifferenceView();

// A load writes into picture: the view gives the decoded picture back
// first...
void giveBackDecodedPicture();
// ...and, still on, shows the difference of what the load decoded.
void showDifferenceOfLoad();

// What the difference shown measures; nullopt when none is shown (the
// view is off, or the picture did not come out of the transforms).
const std::optional<SampleError>& shownDifference();
