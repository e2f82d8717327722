#pragma once

#include <string>
#include <string_view>
#include <vector>

// SDL's video drivers, told apart by whether a user can see their windows.
// Pure: no SDL state is read.

// False for the drivers that draw into memory nobody sees.
bool showsWindows(std::string_view driver);

// The drivers among compiledIn (in SDL's order of preference) that show
// windows, as the comma-separated list SDL's video driver hint takes.
std::string visibleVideoDrivers(const std::vector<std::string>& compiledIn);
