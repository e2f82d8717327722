#pragma once

#include <string>

// Why the image of jpgFile that subImageIndex selects cannot be decoded, in
// words a user understands. Meant for after a failed parseFile or
// decodeImage; reads the container and the index, changes only scan data.
std::string explainLoadFailure();
