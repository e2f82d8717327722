#include "support/golden_inputs.h"

#include <fstream>
#include <iterator>

std::string goldenInputPath(const std::string& name) { return std::string(VIEWER_GOLDEN_DIR "/") + name + ".jpg"; }

std::vector<uint8_t> readGoldenInput(const std::string& name)
{
    std::ifstream in(goldenInputPath(name), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}
