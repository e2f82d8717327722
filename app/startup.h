#pragma once

#include <cstdint>
#include <string>

// The file named on the command line; empty: "small.jpg".
extern std::string commandLineFile;

// Before the main loop: FPS overlay on, control points on the start-up
// square, then commandLineFile as the open-file command loads a chosen
// file, fitted to the window (a failure said in the load-error box), or
// "small.jpg" from the working directory, else the installed sample; the
// open dialog when that does not load. Always returns 0; the viewer runs
// whatever happened.
int32_t startupLoad();

// Where installing puts the sample for a program in programFolder; empty
// when the folder is not known.
std::string installedSample(const std::string& programFolder);
