#include "jpeg/file/file_walk.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "jpeg/entropy/huffman.h"
#include "jpeg/file/markers.h"
#include "jpeg/file/result_codes.h"

namespace {

// A thumbnail inside a preview inside a segment is as deep as real files
// go; the bound keeps a crafted file from recursing without end.
constexpr int maxNesting = 4;

constexpr uint8_t markerSoi = 0xD8;

bool isApplicationSegment(uint8_t code) { return code >= 0xE0 && code <= 0xEF; }

// SOF0..SOF15; DHT (C4), JPG (C8) and DAC (CC) share the range.
bool isFrameMarker(uint8_t code)
{
    return code >= 0xC0 && code <= 0xCF && code != markerDht && code != 0xC8 && code != 0xCC;
}

// T.81 B.1.1.4: every marker from C0 up is followed by a length, except
// RST0..RST7, SOI and EOI.
bool carriesLength(uint8_t code) { return code >= 0xC0 && code != 0xFF && (code < 0xD0 || code > markerEoi); }

// A frame scanned more often than this is no picture an encoder wrote;
// its further scans are left out, so that a small file cannot make the
// decoder go over a large frame without end.
constexpr int32_t maxLaterScans = 1000;

bool isTableSegment(uint8_t code)
{
    return code == markerDht || code == markerDqt || code == markerDri || code == markerDac;
}

bool startsWith(const uint8_t* at, int32_t available, const char* text, int32_t length)
{
    return available >= length && std::memcmp(at, text, size_t(length)) == 0;
}

int32_t offsetOf(const void* at, const uint8_t* file)
{
    return static_cast<int32_t>(static_cast<const uint8_t*>(at) - file);
}

class FileWalk {
public:
    FileWalk(const uint8_t* file, int32_t size, ImageIndex& images) : file_(file), size_(size), images_(images) {}

    WalkResult run()
    {
        Stream own(newRecord(size_), size_, 0, true);
        const int32_t after = walkStream(own, 0);
        indexNestedStreams(after, size_, 1);
        return {own.lastImage, own.frameMarker, own.pendingFailure};
    }

private:
    // One JPEG stream, from its SOI to its EOI or end, and the record of the
    // image its next scan header starts: the tables an image uses are those
    // between the previous scan header of its stream and its own.
    struct Stream {
        Stream(std::unique_ptr<tjpgel> record, int32_t end, int depth, bool own)
            : next(std::move(record)), end(end), depth(depth), own(own)
        {
        }
        std::unique_ptr<tjpgel> next;
        const int32_t end;
        const int depth;
        const bool own;              // the file's own stream, whose failures fail the file
        int32_t pendingFailure = 0;  // a segment of next that could not be read
        int32_t frameMarker = 0;
        int32_t samplePrecision = 0;  // of the last frame header met
        int32_t lastImage = -1;
        // The image of the frame whose scans are being read: set by its
        // first scan header, cleared by the next frame header.
        int32_t frameImage = -1;
        bool jfif = false;
        int32_t adobeTransform = -1;
    };

    std::unique_ptr<tjpgel> newRecord(int32_t end) const
    {
        auto record = std::make_unique<tjpgel>();
        record->fileSize = size_;
        record->streamEnd = end;
        return record;
    }

    // Returns the offset after the stream: past its EOI, or its end.
    int32_t walkStream(Stream& stream, int32_t pos)
    {
        while (pos < stream.end - 1) {
            if (file_[pos] != 0xFF) {
                // Entropy-coded data and stray bytes between segments.
                const void* next = std::memchr(file_ + pos + 1, 0xFF, size_t(stream.end - 1 - (pos + 1)));
                pos = next ? offsetOf(next, file_) : stream.end - 1;
                continue;
            }
            const uint8_t code = file_[pos + 1];
            if (code == markerEoi)
                return pos + 2;
            if (isFrameMarker(code))
                startFrame(stream, pos);
            if (readByWalk(code, pos, stream)) {
                if (!readSegment(stream, pos))
                    return pos;
            } else if (carriesLength(code)) {
                stepOverSegment(stream, pos);
            } else {
                ++pos;  // fill bytes, stuffed zeros, restart markers, SOI
            }
        }
        return stream.end;
    }

    // Reads one of the six segments the decoder uses. A segment that
    // cannot be read spoils the image to come, and is stepped over by its
    // length; a scan header that cannot be read ends a nested stream.
    // Returns false when the stream ends so.
    bool readSegment(Stream& stream, int32_t& pos)
    {
        const int32_t marker = pos;
        try {
            readSegmentInto(stream, pos);
            return true;
        } catch (const JpegError& failure) {
            const bool scanHeader = file_[marker + 1] == markerSos;
            if (stream.own && scanHeader)
                throw;
            if (stream.pendingFailure == 0)
                stream.pendingFailure = failure.code;
            pos = segmentEnd(marker, stream.end);
            if (scanHeader && stream.frameImage >= 0)
                images_.at(stream.frameImage).failure = stream.pendingFailure;
            else if (scanHeader)
                addImage(stream);
            return !scanHeader;
        }
    }

    // The walk reads the frame headers of 8-bit frames of the kinds the
    // decoder knows, and every table and scan header; other frames are
    // stepped over and explained by their marker.
    bool readByWalk(uint8_t code, int32_t pos, const Stream& stream) const
    {
        if (code == markerSof0)
            return true;
        if (isReadableFrameMarker(code))
            return pos + 4 < stream.end && file_[pos + 4] == 8;
        return code == markerSos || isTableSegment(code);
    }

    // Ends the frame being read: the next frame's record keeps the tables
    // met since its last scan header, but not its frame header.
    void startFrame(Stream& stream, int32_t pos) const
    {
        stream.frameMarker = file_[pos + 1];
        stream.samplePrecision = pos + 4 < stream.end ? file_[pos + 4] : 0;
        if (stream.frameImage < 0)
            return;
        stream.frameImage = -1;
        tjpgel& next = *stream.next;
        next.hasFrameHeader = false;
        next.componentCount = 0;
        std::fill(std::begin(next.component), std::end(next.component), ComponentSpec{});
    }

    void readSegmentInto(Stream& stream, int32_t& pos)
    {
        if (stream.frameImage >= 0) {
            readLaterSegment(stream, pos);
            return;
        }
        tjpgel& image = *stream.next;
        switch (file_[pos + 1]) {
        case markerDht:
        case markerDqt:
        case markerDri:
        case markerDac: readDefinitionSegment(file_, pos, image); break;
        case markerSos: {
            // In the file's own stream an image whose segments failed fails
            // the file, as its scan would be decoded with the wrong tables.
            if (stream.own && stream.pendingFailure != 0)
                raiseCode(stream.pendingFailure);
            // The code tables are built once, from the Huffman tables the
            // image ends up with: rebuilding all eight after every DHT
            // segment would let a file of empty DHT segments repeat that
            // work every four bytes.
            buildHuffmanCodes(image);
            splitRunSize(image);
            readScanHeader(file_, pos, image);
            image.scanStart = pos;
            // Scans after a frame header, read or not, are the frame's.
            const bool framed = stream.frameMarker != 0;
            addImage(stream);
            if (framed)
                continueFrame(stream);
            break;
        }
        default: readFrameHeader(file_, pos, image);
        }
    }

    // A segment after the frame's first scan header: read into a scratch
    // record that carries the frame header, to find what cannot be read,
    // and kept by its offset for the decoder. A failure in a nested stream
    // marks the frame's image.
    void readLaterSegment(Stream& stream, int32_t& pos)
    {
        const int32_t marker = pos;
        const uint8_t code = file_[pos + 1];
        tjpgel& scratch = *stream.next;
        if (code == markerSos) {
            if (stream.pendingFailure != 0) {
                if (stream.own)
                    raiseCode(stream.pendingFailure);
                images_.at(stream.frameImage).failure = stream.pendingFailure;
            }
            readScanHeader(file_, pos, scratch);
        } else {
            readDefinitionSegment(file_, pos, scratch);
        }
        tjpgel& frame = images_.at(stream.frameImage);
        if (frame.laterScanCount < maxLaterScans) {
            frame.laterSegments.push_back(marker);
            frame.laterScanCount += code == markerSos;
        }
    }

    void addImage(Stream& stream)
    {
        stream.next->frameMarker = stream.frameMarker;
        stream.next->samplePrecision = stream.samplePrecision;
        stream.next->failure = stream.pendingFailure;
        stream.next->jfif = stream.jfif;
        stream.next->adobeTransform = stream.adobeTransform;
        stream.lastImage = images_.size();
        images_.add(std::move(stream.next));
        stream.next = newRecord(stream.end);
        stream.pendingFailure = 0;
    }

    // The frame's later scan headers name its components by identifier.
    void continueFrame(Stream& stream)
    {
        stream.frameImage = stream.lastImage;
        const tjpgel& frame = images_[stream.frameImage];
        tjpgel& scratch = *stream.next;
        scratch.hasFrameHeader = true;
        scratch.componentCount = frame.componentCount;
        std::copy_n(frame.component, 4, scratch.component);
    }

    void stepOverSegment(Stream& stream, int32_t& pos)
    {
        const uint8_t code = file_[pos + 1];
        const int32_t end = segmentEnd(pos, stream.end);
        noteColourMarker(stream, code, pos + 4, end);
        if (isApplicationSegment(code) && stream.depth < maxNesting)
            indexNestedStreams(pos + 4, end, stream.depth + 1);
        pos = end;
    }

    // JFIF APP0 and Adobe APP14 (whose transform flag is the twelfth
    // payload byte) tell how three or four components are coded.
    static constexpr uint8_t markerApp0 = 0xE0, markerApp14 = 0xEE;

    void noteColourMarker(Stream& stream, uint8_t code, int32_t payload, int32_t end) const
    {
        const int32_t available = end - payload;
        if (code == markerApp0 && startsWith(file_ + payload, available, "JFIF", 5))
            stream.jfif = true;
        if (code == markerApp14 && available >= 12 && startsWith(file_ + payload, available, "Adobe", 5))
            stream.adobeTransform = file_[payload + 11];
    }

    // The end of the segment whose marker is at m, by its length field,
    // within the stream; a length below 2 covers the marker alone.
    int32_t segmentEnd(int32_t m, int32_t end) const
    {
        if (int64_t{m} + 3 >= end)
            return end;
        const int32_t length = (file_[m + 2] << 8) | file_[m + 3];
        if (length < 2)
            return m + 2;
        return static_cast<int32_t>(std::min<int64_t>(int64_t{m} + 2 + length, end));
    }

    // Indexes every JPEG stream that starts in begin..end-1; each runs to
    // its EOI or to end.
    void indexNestedStreams(int32_t begin, int32_t end, int depth)
    {
        for (int32_t pos = findStreamStart(begin, end); pos >= 0; pos = findStreamStart(pos, end)) {
            Stream nested(newRecord(end), end, depth, false);
            pos = std::max(walkStream(nested, pos), pos + 2);
        }
    }

    // The next SOI followed by a marker (T.81 B.1.1.3), or -1.
    int32_t findStreamStart(int32_t from, int32_t end) const
    {
        for (int32_t pos = from; pos + 3 < end; ++pos) {
            const void* next = std::memchr(file_ + pos, 0xFF, size_t(end - 3 - pos));
            if (!next)
                return -1;
            pos = offsetOf(next, file_);
            if (file_[pos + 1] == markerSoi && file_[pos + 2] == 0xFF && file_[pos + 3] >= 0xC0 &&
                file_[pos + 3] != 0xFF)
                return pos;
        }
        return -1;
    }

    const uint8_t* const file_;
    const int32_t size_;
    ImageIndex& images_;
};

}  // namespace

WalkResult walkFile(const uint8_t* file, int32_t size, ImageIndex& images)
{
    return FileWalk(file, size, images).run();
}
