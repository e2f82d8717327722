#include "support/generated_files.h"

#include <cstdio>
#include <fstream>

std::optional<std::filesystem::path> outputFolder(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return std::nullopt;
    }
    const std::filesystem::path folder = argv[1];
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    return folder;
}

bool writeGeneratedFile(const std::filesystem::path& path, std::string_view prefix, const uint8_t* bytes, size_t size)
{
    std::ofstream out(path, std::ios::binary);
    out.write(prefix.data(), static_cast<std::streamsize>(prefix.size()));
    out.write(reinterpret_cast<const char*>(bytes), static_cast<std::streamsize>(size));
    if (!out)
        std::fprintf(stderr, "cannot write %s\n", path.string().c_str());
    return static_cast<bool>(out);
}
