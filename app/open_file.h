#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "app/file_kinds.h"
#include "jpeg/decode_options.h"
#include "jpeg/output/picture.h"

// The open-file command: asks for a file in the platform's dialog and loads
// it. Returns the number of images in the loaded file, 0 when it did not
// load, or nullopt when the user cancelled (then nothing changes).
std::optional<int32_t> openFileCommand();

// Loads path as the open-file command does once a file is chosen, and
// remembers it as the current file: the main picture of a JPEG, upright.
// Returns the image count, 0 on failure.
int32_t loadChosenFile(const std::string& path);

// Loads path into picture the way the viewer does, as its kind of file
// loads, decoding embedded image `image` (-1 = the main picture). Returns
// the image count, 0 on failure.
int32_t loadImageFile(const std::string& path, int32_t image, Orientation orientation);

// decodeImage(start, options) of the parsed jpgFile; the main picture then
// stands upright in picture, as the viewer shows it.
int32_t decodeImageUpright(uint32_t start, const DecodeOptions& options);

// Turns target, a picture of the image the last decode took, as that
// decode's picture was turned when it was loaded with orientation.
void turnUprightAsLoaded(pctr& target, Orientation orientation);

// Why the last loadImageFile(path) failed, in words a user understands.
std::string explainFailedLoad(const std::string& path);

// What is wrong with what the last loadImageFile(path) loaded (a JPEG cut
// short shows only part of its picture); empty when nothing is.
std::string loadWarning(const std::string& path);
