#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "jpeg/image_record.h"

// The records of the indexed images. One image is counted per 0xFF 0xDA
// pair, but its record is made only when the walk reaches it: a file of
// nothing but such pairs would otherwise cost a whole record (about 2 KB)
// per two bytes of file. A record the walk never reached reads as empty.
class ImageIndex {
public:
    // count images, no record made yet; count 0 leaves the index empty.
    void reset(int32_t count = 0, int32_t fileSize = 0);
    const tjpgel& operator[](int32_t n) const;
    // Record n, made on first use.
    tjpgel& record(int32_t n);
    bool operator==(std::nullptr_t) const { return records_.empty(); }

private:
    std::vector<std::unique_ptr<tjpgel>> records_;
    tjpgel unreached_;
};

// A whole JPEG file in memory and the index of the images in it. An image
// is what one SOS marker starts, so a thumbnail stored in an application
// segment is an image of its own, indexed before the main picture.
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

    tjpg() = default;
    tjpg(const tjpg&) = delete;
    tjpg& operator=(const tjpg&) = delete;
    virtual ~tjpg();

    // Reads and indexes the file; the caller tests error (0 = success).
    void parseFile(const std::string& path);
    // Fills fileData and fileSize; raises fileNotReadable.
    void readFile(const std::string& path);
    // Fills the scan data of the image whose entropy-coded bytes begin at
    // start: stuffing and markers removed, stored last byte first. Raises
    // scanWithoutEndOfImage.
    void extractScan(int32_t start);

    // The extracted scan: scan()[scanLength - 1] is the first stream byte;
    // indices down to -scanPadding read as zero.
    const uint8_t* scan() const { return scanData.data() + scanPadding; }

private:
    void clearIndex();
    void countImages();
    void walk();
    void readSegment(int32_t& imagesRead);
    void copyStreamBytes(int32_t start);

    // The scan as it is extracted, in stream order; kept between decodes, as
    // are fileData's and scanData's capacity, so a re-decode maps no new pages.
    std::vector<uint8_t> scanStream_;
};

extern tjpg jpgFile;
