#include "support/memory_files.h"

FileReader::Result MemoryFiles::read(const std::string& path, std::vector<uint8_t>& bytes)
{
    bytes.clear();
    if (const auto failure = failures_.find(path); failure != failures_.end())
        return failure->second;
    const auto file = files_.find(path);
    if (file == files_.end())
        return Result::noSuchFile;
    bytes = file->second;
    return Result::ok;
}
