// Writes every camera-file pattern into the folder given, one file per
// pattern, each prefixed with the byte that makes fuzz_decode use the first
// inverse DCT. A seed is cut to 16 KB: libFuzzer makes its longest seed the
// length of every input it tries, and the pattern lies in the first bytes.
#include <algorithm>
#include <string_view>

#include "support/camera_files.h"
#include "support/generated_files.h"

constexpr size_t maxSeedBytes = 16384;

int main(int argc, char** argv)
{
    const auto folder = outputFolder(argc, argv);
    if (!folder)
        return 2;
    for (const camerafiles::CameraFile& file : camerafiles::cameraFiles()) {
        const size_t length = std::min(file.bytes.size(), maxSeedBytes);
        if (!writeGeneratedFile(*folder / ("camera-" + file.name), std::string_view("\0", 1), file.bytes.data(),
                                length))
            return 1;
    }
    return 0;
}
