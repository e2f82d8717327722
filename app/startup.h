#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The files and folders named on the command line; none: "small.jpg".
extern std::vector<std::string> commandLineFiles;

// Before the main loop: FPS overlay on, control points on the start-up
// square, then the first of commandLineFiles that loads as the open-file
// command loads a chosen file (a folder stands for its pictures), fitted to
// the window (a failure said in the load-error box), or "small.jpg" from
// the working directory, else the installed sample; the open dialog when
// that does not load. Always returns 0; the viewer runs whatever happened.
int32_t startupLoad();

// Where installing puts the sample for a program in programFolder; empty
// when the folder is not known.
std::string installedSample(const std::string& programFolder);
