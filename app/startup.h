#pragma once

#include <cstdint>
#include <string>

// The file named on the command line; empty: "small.jpg".
extern std::string commandLineFile;

// Before the main loop: FPS overlay on, control points on the start-up
// square, then commandLineFile as the open-file command loads a chosen
// file, fitted to the window, or "small.jpg" from the working directory, or
// the open dialog when that does not load. Always returns 0; the viewer
// runs whatever happened.
int32_t startupLoad();
