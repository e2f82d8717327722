#pragma once

#include <cstdint>
#include <string>

struct tjpg;

// Why image `index` of file (-1: the main picture) cannot be decoded, in
// words a user understands. Meant for after a failed parseFile or
// decodeImage; changes only file's scan data.
std::string explainLoadFailure(tjpg& file, int32_t index);

// What is wrong with the image of file just decoded although it decoded
// (the file was cut short), in words a user understands; empty when
// nothing is.
std::string explainLoadWarning(const tjpg& file);
