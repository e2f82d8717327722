#include "harness/harness.h"

#include <vector>

#include "app/bmp_loader.h"
#include "jpeg/globals.h"
#include "jpeg/output/picture.h"
#include "support/memory_files.h"

void runBmpInput(const uint8_t* data, size_t size)
{
    MemoryFiles files;
    files.add("fuzz.bmp", std::vector<uint8_t>(data, data + size));
    loadBmp("fuzz.bmp");
    picture.clear();
}
