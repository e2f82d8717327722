#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The bytes of tests/data/golden/<name>.jpg, the committed inputs of the
// golden decode tests; empty when the file cannot be read.
std::vector<uint8_t> readGoldenInput(const std::string& name);

// Where readGoldenInput looks for name, for messages.
std::string goldenInputPath(const std::string& name);
