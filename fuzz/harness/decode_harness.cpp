#include "harness/harness.h"

#include <algorithm>
#include <vector>

#include "app/interaction.h"
#include "jpeg/container.h"
#include "jpeg/driver.h"
#include "jpeg/picture.h"
#include "support/memory_files.h"

namespace {

bool smallEnough(const tjpgel& image)
{
    return int64_t{image.width} * image.height <= fuzzMaxPictureSamples;
}

} // namespace

void runDecodeInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return;
    MemoryFiles files;
    files.add("fuzz.jpg", std::vector<uint8_t>(data + 1, data + size));
    resetInteraction();
    idctIndex = data[0] % 3;
    jpgFile.parseFile("fuzz.jpg");
    if (jpgFile.error == 0) {
        const int32_t chosen[] = {jpgFile.mainImage, jpgFile.count - 1, 0, 1};
        for (const int32_t& index : chosen) {
            const bool decodedBefore = std::find(chosen, &index, index) != &index;
            if (index < 0 || index >= jpgFile.count || decodedBefore || !smallEnough(jpgFile.images[index]))
                continue;
            subImageIndex = index;
            decodeImage(0);
        }
    }
    picture.clear();
    resetInteraction();
}
