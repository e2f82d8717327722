#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string_view>

// For the programs that write generated test files into a folder.

// The folder their one argument names, made if missing; nullopt, with the
// usage printed, when the arguments are not one folder.
std::optional<std::filesystem::path> outputFolder(int argc, char** argv);

// Writes prefix, then size bytes, to path; false, with the reason printed,
// when it cannot.
bool writeGeneratedFile(const std::filesystem::path& path, std::string_view prefix, const uint8_t* bytes, size_t size);
