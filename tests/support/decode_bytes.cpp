#include "support/decode_bytes.h"
#include "jpeg/globals.h"

#include <ostream>

#include "app/interaction.h"
#include "jpeg/driver.h"
#include "jpeg/file/container.h"
#include "jpeg/output/picture.h"
#include "support/fnv_hash.h"
#include "support/memory_files.h"

int32_t decodeBytes(const std::vector<uint8_t>& bytes, int32_t family, int32_t index)
{
    MemoryFiles files;
    files.add("memory.jpg", bytes);
    idctIndex = family;
    subImageIndex = index;
    jpgFile.parseFile("memory.jpg");
    if (jpgFile.error != 0)
        return 0;
    return decodeImage(0, testDecodeOptions());
}

DecodeWorkspace& testDecodeWorkspace()
{
    static DecodeWorkspace workspace;
    return workspace;
}

DecodeOptions& testDecodeOptions()
{
    static DecodeOptions options{.workspace = &testDecodeWorkspace()};
    return options;
}

uint64_t planesHash()
{
    uint64_t hash = fnv1a(nullptr, 0);
    for (int k = 0; k < 3; ++k)
        hash = fnv1a(picture.plane[k].get(), size_t(picture.size[k]), hash);
    return hash;
}

void resetDecoderGlobals()
{
    picture.clear();
    resetInteraction();
    testDecodeOptions() = {.workspace = &testDecodeWorkspace()};
}

const char* decodePathName(DecodePath path)
{
    constexpr const char* names[] = {"none", "oneThread", "cutScan", "rowPipeline", "bands", "frame", "frameThreads"};
    return names[static_cast<int>(path)];
}

void PrintTo(DecodePath path, std::ostream* out) { *out << decodePathName(path); }
