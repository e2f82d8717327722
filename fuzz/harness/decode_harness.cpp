#include "harness/harness.h"

#include <algorithm>
#include <vector>

#include "app/interaction.h"
#include "jpeg/driver.h"
#include "jpeg/file/container.h"
#include "jpeg/globals.h"
#include "jpeg/output/picture.h"
#include "jpeg/transform_comparison.h"
#include "support/memory_files.h"

namespace {

bool smallEnough(const tjpgel& image) { return int64_t{image.width} * image.height <= fuzzMaxPictureSamples; }

// The threads of a decode, from (byte 0 / 3) % 4, so that a byte picks a
// transform (byte 0 % 3) and a way independently: 0 takes the defaults, 1
// keeps the decode on one thread, 2 gives it 2 to 8 threads (2 + byte 0 /
// 12 % 7), which the row decoder spends on its pipeline or bands and the
// frame decoder on scans and rows, 3 gives it as many and cuts every scan
// without restart intervals into 1 to 22 bands (1 + byte 0 / 12), a
// reader on each thread. No workspace is kept:
// every decode allocates its buffers afresh, at the sizes it asks for,
// where the sanitizers see past their ends.
DecodeOptions chosenOptions(uint8_t choice)
{
    DecodeOptions options;
    const int way = (choice / 3) % 4;
    if (way == 1)
        options.threads = 1;
    if (way >= 2)
        options.threads = 2 + choice / 12 % 7;
    if (way == 3)
        options.bandCount = 1 + choice / 12;
    return options;
}

}  // namespace

void runDecodeInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return;
    MemoryFiles files;
    files.add("fuzz.jpg", std::vector<uint8_t>(data + 1, data + size));
    resetInteraction();
    idctIndex = data[0] % 3;
    const DecodeOptions options = chosenOptions(data[0]);
    jpgFile.parseFile("fuzz.jpg");
    if (jpgFile.error == 0) {
        const int32_t chosen[] = {jpgFile.mainImage, jpgFile.count - 1, 0, 1};
        for (const int32_t& index : chosen) {
            const bool decodedBefore = std::find(chosen, &index, index) != &index;
            if (index < 0 || index >= jpgFile.count || decodedBefore || !smallEnough(jpgFile.images[index]))
                continue;
            subImageIndex = index;
            decodeImage(0, options);
        }
        if (jpgFile.mainImage >= 0 && smallEnough(jpgFile.images[jpgFile.mainImage])) {
            pctr difference;
            compareWithExact(jpgFile, jpgFile.mainImage, idctIndex, &difference);
        }
    }
    picture.clear();
    resetInteraction();
}
