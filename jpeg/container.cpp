#include "jpeg/container.h"

#include <algorithm>
#include <new>

#include "jpeg/file_reader.h"
#include "jpeg/markers.h"
#include "jpeg/result_codes.h"

void ImageIndex::reset(int32_t count, int32_t fileSize)
{
    records_.clear();
    records_.shrink_to_fit();
    records_.resize(static_cast<size_t>(count));
    unreached_.fileSize = fileSize;
}

const tjpgel& ImageIndex::operator[](int32_t n) const
{
    const auto& made = records_[static_cast<size_t>(n)];
    return made ? *made : unreached_;
}

tjpgel& ImageIndex::record(int32_t n)
{
    auto& made = records_[static_cast<size_t>(n)];
    if (!made) {
        made = std::make_unique<tjpgel>();
        made->fileSize = unreached_.fileSize;
    }
    return *made;
}

tjpg::~tjpg() { clearIndex(); }

void tjpg::clearIndex()
{
    pos = 0;
    scanLength = 0;
    count = 0;
    images.reset();
    scanData.reset();
}

void tjpg::readFile(const std::string& path)
{
    fileSize = 0;
    fileData.clear();
    fileData.shrink_to_fit();
    if (fileReader().read(path, fileData) != FileReader::Result::ok) {
        fileData.clear();
        raiseCode(fileNotReadable);
    }
    fileSize = static_cast<int32_t>(fileData.size());
}

void tjpg::parseFile(const std::string& path)
{
    clearIndex();
    try {
        readFile(path);
        countImages();
        walk();
        error = resultOk;
    } catch (const JpegError& failure) {
        clearIndex();
        error = failure.code;
    } catch (const std::bad_alloc&) {
        // Too large to index in memory: the callers treat it like an
        // unreadable file.
        clearIndex();
        error = fileNotReadable;
    }
}

void tjpg::countImages()
{
    for (int32_t i = 0; i + 1 < fileSize; ++i)
        count += fileData[i] == 0xFF && fileData[i + 1] == markerSos;
    images.reset(count, fileSize);
}

// One byte at a time: segments other than the five below, application
// segments included, are not skipped by their length, so a JPEG stream
// inside one is indexed like any other.
void tjpg::walk()
{
    int32_t imagesRead = 0;
    while (pos < fileSize - 1) {
        if (fileData[pos] == 0xFF && imagesRead < count)
            readSegment(imagesRead);
        else
            ++pos;
    }
}

void tjpg::readSegment(int32_t& imagesRead)
{
    const uint8_t* file = fileData.data();
    const auto image = [&]() -> tjpgel& { return images.record(imagesRead); };
    switch (fileData[pos + 1]) {
    case markerSof0:
        readFrameHeader(file, pos, image());
        break;
    case markerDht:
        readHuffmanTables(file, pos, image());
        break;
    case markerSos:
        // The code tables are built once, from the Huffman tables the image
        // ends up with: rebuilding all eight after every DHT segment would
        // let a file of empty DHT segments repeat that work every four bytes.
        buildHuffmanCodes(image());
        splitRunSize(image());
        readScanHeader(file, pos, image());
        image().scanStart = pos;
        ++imagesRead;
        break;
    case markerDqt:
        readQuantTables(file, pos, image());
        break;
    case markerDri:
        readRestartInterval(file, pos, image());
        break;
    default:
        ++pos;
    }
}

void tjpg::extractScan(int32_t start)
{
    std::vector<uint8_t> stream;
    stream.reserve(static_cast<size_t>(std::max(0, fileSize - std::max(0, start))));
    int32_t p = std::max(0, start);
    for (;;) {
        if (p >= fileSize)
            raiseCode(scanWithoutEndOfImage);
        const uint8_t b0 = fileData[p];
        const bool hasNext = p + 1 < fileSize;
        const uint8_t b1 = hasNext ? fileData[p + 1] : 0;
        if (b0 == 0xFF && hasNext && b1 == markerEoi)
            break;
        if (b0 == 0xFF && hasNext && b1 != 0x00) {
            p += 2;  // a marker: restart markers vanish here; the driver counts MCUs instead
            continue;
        }
        stream.push_back(b0);
        p += b0 == 0xFF && hasNext ? 2 : 1;
    }
    const auto n = static_cast<int32_t>(stream.size());
    scanData.reset();
    scanData = std::make_unique<uint8_t[]>(static_cast<size_t>(n + scanPadding));
    std::reverse_copy(stream.begin(), stream.end(), scanData.get() + scanPadding);
    scanLength = n;
}
