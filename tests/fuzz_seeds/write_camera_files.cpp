// Writes every camera-file pattern into the folder given, one file per
// pattern, each prefixed with the byte that makes fuzz_decode use the first
// inverse DCT. A seed is cut to 16 KB: libFuzzer makes its longest seed the
// length of every input it tries, and the pattern lies in the first bytes.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "support/camera_files.h"

constexpr size_t maxSeedBytes = 16384;

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    for (const camerafiles::CameraFile& file : camerafiles::cameraFiles()) {
        const std::filesystem::path path = folder / ("camera-" + file.name);
        std::ofstream out(path, std::ios::binary);
        out.put(0x00);
        const size_t length = std::min(file.bytes.size(), maxSeedBytes);
        out.write(reinterpret_cast<const char*>(file.bytes.data()), static_cast<std::streamsize>(length));
        if (!out) {
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
