#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The files and folders named on the command line; none: "small.jpg".
extern std::vector<std::string> commandLineFiles;

// Before the main loop: FPS overlay on, control points on the start-up
// square, then the first of commandLineFiles that loads as the open-file
// command loads a chosen file (a folder stands for its pictures), or
// "small.jpg" from the working directory, or the open dialog when that
// does not load. Always returns 0; the viewer runs whatever happened.
int32_t startupLoad();
