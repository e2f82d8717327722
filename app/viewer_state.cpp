#include "app/viewer_state.h"

#include "base/tick_clock.h"

ViewerState::ViewerState() : fpsTick(tickClock().tickCount()) {}

namespace {
ViewerState theViewerState;
}

ViewerState* viewerState = &theViewerState;

void resetViewerState() { theViewerState = ViewerState{}; }
