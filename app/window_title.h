#pragma once

#include <string>

// The window's title for the current file: "NAME (3/12) — Viewer" after a
// load, with its place in the list the viewer walks, and a word after it
// when the picture is incomplete or the file did not load; "Viewer" before
// any load.
std::string windowTitle();

// Gives the window that title.
void showWindowTitle();
