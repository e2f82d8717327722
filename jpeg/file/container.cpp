#include "jpeg/file/container.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "base/file_reader.h"
#include "jpeg/file/file_walk.h"
#include "jpeg/file/markers.h"
#include "jpeg/file/result_codes.h"

tjpg::~tjpg() { clearIndex(); }

void tjpg::clearIndex()
{
    pos = 0;
    scanLength = 0;
    count = 0;
    images.reset();
    scanData.clear();
    mainImage = -1;
    streamFrameMarker = 0;
    trailingFailure = 0;
    scanTruncated = false;
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
        const WalkResult walked = walkFile(fileData.data(), fileSize, images);
        count = images.size();
        // A file whose own stream holds no image shows its last one.
        mainImage = walked.mainImage >= 0 ? walked.mainImage : count - 1;
        streamFrameMarker = walked.frameMarker;
        trailingFailure = walked.trailingFailure;
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

// Copies the entropy-coded bytes from start up to the marker that ends the
// scan into scanStream_: runs without 0xFF in one go, stuffed 0xFF 0x00 as
// 0xFF, and every other marker (restart markers among them) dropped; the driver finds
// the restart points by counting MCUs instead. Without an EOI the data runs
// to the stream's end, less a 0xFF there: half a marker, or half a stuffed
// byte.
bool tjpg::copyStreamBytes(int32_t start, int32_t end, ScanEnd until)
{
    scanStream_.clear();
    restartStarts.clear();
    const uint8_t* file = fileData.data();
    int32_t p = std::max(0, start);
    // At most the bytes between, reserved at once: growing the buffer in
    // steps cost a tenth of a first decode.
    scanStream_.reserve(size_t(std::max(0, end - p)));
    for (;;) {
        const void* marker = p < end ? std::memchr(file + p, 0xFF, size_t(end - p)) : nullptr;
        const int32_t runEnd = marker ? static_cast<int32_t>(static_cast<const uint8_t*>(marker) - file) : end;
        if (p < runEnd)
            scanStream_.insert(scanStream_.end(), file + p, file + runEnd);
        p = runEnd;
        if (p + 1 >= end)
            return false;
        const uint8_t next = file[p + 1];
        if (next == 0xFF) {
            ++p;  // a fill byte before a marker (T.81 B.1.1.2)
            continue;
        }
        if (next == markerEoi)
            return true;
        const bool restart = next >= 0xD0 && next <= 0xD7;
        if (next == 0x00)
            scanStream_.push_back(0xFF);
        else if (restart)
            restartStarts.push_back(static_cast<int32_t>(scanStream_.size()));
        else if (until == ScanEnd::nextMarker)
            return true;
        p += 2;
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

}  // namespace

void tjpg::extractScan(int32_t start, int32_t end, ScanEnd until)
{
    scanTruncated = !copyStreamBytes(start, std::min(end, fileSize), until);
    if (scanTruncated && scanStream_.empty())
        raiseCode(scanWithoutEndOfImage);
    const auto n = static_cast<int32_t>(scanStream_.size());
    scanData.resize(size_t(n) + scanPadding);
    std::fill_n(scanData.begin(), scanPadding, 0);
    reverseInto(scanStream_.data(), scanStream_.size(), scanData.data() + scanPadding);
    scanLength = n;
}
