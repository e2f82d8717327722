#include "harness/harness.h"

#include <algorithm>
#include <vector>

#include "app/interaction.h"
#include "jpeg/decode_workspace.h"
#include "jpeg/driver.h"
#include "jpeg/file/container.h"
#include "jpeg/output/picture.h"
#include "jpeg/rows/row_decoder.h"
#include "jpeg/rows/scan_bands.h"
#include "jpeg/transform_comparison.h"
#include "support/memory_files.h"

namespace {

bool smallEnough(const tjpgel& image) { return int64_t{image.width} * image.height <= fuzzMaxPictureSamples; }

// The threads of a decode, from (byte 0 / 3) % 4, so that a byte picks a
// transform (byte 0 % 3) and a way independently: 0 leaves both as they
// are, 1 keeps the decode on one thread, 2 lets two threads choose between
// the row pipeline and bands, 3 cuts every scan without restart intervals
// into 1 to 22 bands (1 + byte 0 / 12).
class ChosenThreads {
public:
    explicit ChosenThreads(uint8_t choice) : threads_(decodeThreads), bands_(scanBandCount)
    {
        const int way = (choice / 3) % 4;
        if (way > 0)
            decodeThreads = way == 1 ? 1 : 2;
        if (way == 3)
            scanBandCount = 1 + choice / 12;
    }
    ~ChosenThreads()
    {
        decodeThreads = threads_;
        scanBandCount = bands_;
    }
    ChosenThreads(const ChosenThreads&) = delete;
    ChosenThreads& operator=(const ChosenThreads&) = delete;

private:
    const int32_t threads_;
    const int32_t bands_;
};

}  // namespace

void runDecodeInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return;
    MemoryFiles files;
    files.add("fuzz.jpg", std::vector<uint8_t>(data + 1, data + size));
    resetInteraction();
    idctIndex = data[0] % 3;
    const ChosenThreads threads(data[0]);
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
        if (jpgFile.mainImage >= 0 && smallEnough(jpgFile.images[jpgFile.mainImage])) {
            pctr difference;
            compareWithExact(jpgFile.mainImage, idctIndex, &difference);
        }
    }
    picture.clear();
    // The next input's decodes allocate their buffers afresh, at the sizes
    // they ask for, where the sanitizers see past their ends.
    decodeWorkspace.release();
    resetInteraction();
}
