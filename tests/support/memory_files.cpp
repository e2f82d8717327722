#include "support/memory_files.h"

FileReader::Result MemoryFiles::read(const std::string& path, std::vector<uint8_t>& bytes)
{
    bytes.clear();
    const auto file = files_.find(path);
    if (file == files_.end())
        return Result::cannotOpen;
    if (shortReads_.count(path))
        return Result::shortRead;
    bytes = file->second;
    return Result::ok;
}
