#include "jpeg/container.h"

#include <algorithm>
#include <cstring>
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
    scanData.clear();
}

void tjpg::readFile(const std::string& path)
{
    fileSize = 0;
    fileData.clear();
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
    const uint8_t* file = fileData.data();
    const uint8_t* end = file + std::max(fileSize - 1, 0);  // the last byte cannot start a pair
    for (const uint8_t* p = file; p < end; ++p) {
        p = static_cast<const uint8_t*>(std::memchr(p, 0xFF, size_t(end - p)));
        if (!p)
            break;
        count += p[1] == markerSos;
    }
    images.reset(count, fileSize);
}

// One byte at a time: segments other than the five below, application
// segments included, are not skipped by their length, so a JPEG stream
// inside one is indexed like any other.
void tjpg::walk()
{
    int32_t imagesRead = 0;
    while (pos < fileSize - 1) {
        if (fileData[pos] == 0xFF && imagesRead < count) {
            readSegment(imagesRead);
            continue;
        }
        // Bytes other than 0xFF are stepped over one at a time; memchr
        // takes the whole run of them in one go.
        const uint8_t* from = fileData.data() + pos + 1;
        const void* next = std::memchr(from, 0xFF, size_t(fileSize - 1 - (pos + 1)));
        pos = next ? static_cast<int32_t>(static_cast<const uint8_t*>(next) - fileData.data()) : fileSize - 1;
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

// Copies the entropy-coded bytes from start up to the EOI marker into
// scanStream_: runs without 0xFF in one go, stuffed 0xFF 0x00 as 0xFF, and
// every other marker (restart markers among them) dropped; the driver finds
// the restart points by counting MCUs instead.
void tjpg::copyStreamBytes(int32_t start)
{
    scanStream_.clear();
    const uint8_t* file = fileData.data();
    int32_t p = std::max(0, start);
    for (;;) {
        const void* marker = p < fileSize ? std::memchr(file + p, 0xFF, size_t(fileSize - p)) : nullptr;
        const int32_t runEnd = marker ? static_cast<int32_t>(static_cast<const uint8_t*>(marker) - file) : fileSize;
        if (p < runEnd)
            scanStream_.insert(scanStream_.end(), file + p, file + runEnd);
        p = runEnd;
        if (p >= fileSize)
            raiseCode(scanWithoutEndOfImage);
        const bool hasNext = p + 1 < fileSize;
        if (hasNext && file[p + 1] == 0xFF) {
            ++p;  // a fill byte before a marker (T.81 B.1.1.2)
            continue;
        }
        if (hasNext && file[p + 1] == markerEoi)
            return;
        if (hasNext && file[p + 1] != 0x00) {
            p += 2;
            continue;
        }
        scanStream_.push_back(0xFF);
        p += hasNext ? 2 : 1;
    }
}

namespace {

// Eight bytes at a time: std::reverse_copy moves one byte per step, which
// took a twentieth of a whole decode.
void reverseInto(const uint8_t* from, size_t count, uint8_t* to)
{
    size_t done = 0;
    for (; done + 8 <= count; done += 8) {
        uint64_t word;
        std::memcpy(&word, from + count - done - 8, sizeof word);
        word = __builtin_bswap64(word);
        std::memcpy(to + done, &word, sizeof word);
    }
    for (; done < count; ++done)
        to[done] = from[count - 1 - done];
}

} // namespace

void tjpg::extractScan(int32_t start)
{
    copyStreamBytes(start);
    const auto n = static_cast<int32_t>(scanStream_.size());
    scanData.resize(size_t(n) + scanPadding);
    std::fill_n(scanData.begin(), scanPadding, 0);
    reverseInto(scanStream_.data(), scanStream_.size(), scanData.data() + scanPadding);
    scanLength = n;
}
