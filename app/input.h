#pragma once

#include <cstdint>

// Turns key presses, left-button drags, wheel turns and dropped files into
// changes of the viewer's state. Returns 0 for every message, so default
// processing always follows.
int32_t handleInput(uint32_t message, uint64_t wParam, int64_t lParam);

#include <string>

// Says on standard error why path did not load.
void printLoadFailure(const std::string& path, const std::string& reason);
// Says why the current file did not load, right after the attempt: on
// standard error and in the "Load error" box.
void reportFailedLoad();
