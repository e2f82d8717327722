#pragma once

#include <string>

// Why the image of jpgFile that subImageIndex selects cannot be decoded, in
// words a user understands. Meant for after a failed parseFile or
// decodeImage; reads the container and the index, changes only scan data.
std::string explainLoadFailure();

// What is wrong with the image just decoded although it decoded (the file
// was cut short), in words a user understands; empty when nothing is.
std::string explainLoadWarning();
