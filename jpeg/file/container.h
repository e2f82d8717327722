#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "jpeg/file/image_record.h"

// The records of the indexed images, in file order.
class ImageIndex {
public:
    void reset() { records_.clear(); }
    void add(std::unique_ptr<tjpgel> record) { records_.push_back(std::move(record)); }
    int32_t size() const { return static_cast<int32_t>(records_.size()); }
    const tjpgel& operator[](int32_t n) const { return *records_[static_cast<size_t>(n)]; }
    tjpgel& at(int32_t n) { return *records_[static_cast<size_t>(n)]; }
    bool operator==(std::nullptr_t) const { return records_.empty(); }

private:
    std::vector<std::unique_ptr<tjpgel>> records_;
};

// A whole JPEG file in memory and the index of the images in it. An image
// is a frame with its scans, so a thumbnail stored in an application
// segment is an image of its own, indexed before the main picture, and the
// secondary images that phones store after the main picture's end (MPF)
// are indexed after it.
struct tjpg {
    // Zero bytes kept in front of the scan data, so that the bit reader can
    // load a full 64-bit window at the end of the stream.
    static constexpr int32_t scanPadding = 16;

    int32_t pos = 0;
    int32_t count = 0;
    ImageIndex images;
    int32_t scanLength = 0;
    std::vector<uint8_t> scanData;  // scanPadding zeros, then the reversed scan
    int32_t error = 0;
    int32_t fileSize = 0;
    std::vector<uint8_t> fileData;
    // The image shown by default: the last one of the file's own stream,
    // before its end-of-image marker.
    int32_t mainImage = -1;
    // The frame marker (SOF0..SOF15) last met in the file's own stream, 0 if
    // none; and the code of a segment after its last image that could not be
    // read (it belongs to no image, so the parse does not fail for it).
    int32_t streamFrameMarker = 0;
    int32_t trailingFailure = 0;
    // Set by extractScan when the scan data ran into the end of its stream
    // before an end-of-image marker: the file was cut short.
    bool scanTruncated = false;
    // Where the data after each restart marker begins in the extracted scan,
    // in stream order: a reader may start there as at the start of a scan.
    std::vector<int32_t> restartStarts;

    tjpg() = default;
    tjpg(const tjpg&) = delete;
    tjpg& operator=(const tjpg&) = delete;
    virtual ~tjpg();

    // Reads and indexes the file; the caller tests error (0 = success).
    void parseFile(const std::string& path);
    // Fills fileData and fileSize; raises fileNotReadable.
    void readFile(const std::string& path);
    // Where a scan's entropy-coded data ends: at the end-of-image marker,
    // every other marker dropped as the data is copied; or at the first
    // marker that is not a restart marker, for frames of several scans.
    enum class ScanEnd { endOfImage, nextMarker };

    // Fills the scan data of the image whose entropy-coded bytes begin at
    // start, in a stream that ends at end: stuffing and markers removed,
    // stored last byte first. Data cut off by the end of the stream is kept
    // and scanTruncated set; with no data at all, raises
    // scanWithoutEndOfImage.
    void extractScan(int32_t start, int32_t end, ScanEnd until = ScanEnd::endOfImage);

    // The extracted scan: scan()[scanLength - 1] is the first stream byte;
    // indices down to -scanPadding read as zero.
    const uint8_t* scan() const { return scanData.data() + scanPadding; }

private:
    void clearIndex();
    // Returns whether the marker that ends the scan was found before end.
    bool copyStreamBytes(int32_t start, int32_t end, ScanEnd until);

    // The scan as it is extracted, in stream order; kept between decodes, as
    // are fileData's and scanData's capacity, so a re-decode maps no new pages.
    std::vector<uint8_t> scanStream_;
};
