#pragma once

#include <cstdint>
#include <optional>
#include <string>

// The open-file command: asks for a file in the platform's dialog and loads
// it. Returns the number of images in the loaded file, 0 when it did not
// load, or nullopt when the user cancelled (then nothing changes).
std::optional<int32_t> openFileCommand();

// Loads path as the open-file command does once a file is chosen: a name
// whose extension begins with b or B through the BMP loader, anything else
// as JPEG (the last embedded image). Returns the image count, 0 on failure.
int32_t loadChosenFile(const std::string& path);
