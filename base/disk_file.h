#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "base/file_reader.h"

// Reads a whole file from the disk into bytes, which hold what was read so
// far when the result is not ok. Paths are UTF-8; each system's file
// interface behind it (disk_file_posix.cpp, disk_file_win32.cpp).
FileReader::Result readDiskFile(const std::string& path, std::vector<uint8_t>& bytes);

// Creates or truncates a file for writing in binary; nullptr when it cannot.
// The path is UTF-8 here too.
std::FILE* createDiskFile(const std::string& path);
