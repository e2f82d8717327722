#include "jpeg/file/exif_orientation.h"

#include <cstring>

namespace {

constexpr int32_t asStored = 1;
constexpr uint16_t orientationTag = 0x0112;
constexpr uint16_t typeShort = 3;
constexpr size_t ifdEntrySize = 12;

// The bytes of one TIFF structure, every read checked against its end.
class TiffBlock {
public:
    TiffBlock(const uint8_t* bytes, size_t size) : bytes_(bytes), size_(size) {}

    // TIFF 6.0, section 2: "II" little-endian or "MM" big-endian, then 42.
    bool readHeader()
    {
        if (size_ < 8 || bytes_[0] != bytes_[1] || (bytes_[0] != 'I' && bytes_[0] != 'M'))
            return false;
        littleEndian_ = bytes_[0] == 'I';
        return read16(2) == 42;
    }

    bool holds(uint64_t at, uint64_t length) const { return at <= size_ && length <= size_ - at; }

    uint16_t read16(size_t at) const { return static_cast<uint16_t>(read(at, 2)); }
    uint32_t read32(size_t at) const { return read(at, 4); }

private:
    uint32_t read(size_t at, int width) const
    {
        uint32_t value = 0;
        for (int i = 0; i < width; ++i) {
            const int shift = 8 * (littleEndian_ ? i : width - 1 - i);
            value |= uint32_t{bytes_[at + static_cast<size_t>(i)]} << shift;
        }
        return value;
    }

    const uint8_t* bytes_;
    size_t size_;
    bool littleEndian_ = true;
};

// An IFD whose entries do not all lie inside the block is damaged: its count
// is not trusted, nor any of its entries.
int32_t orientationInTiff(const uint8_t* tiff, size_t size)
{
    TiffBlock block(tiff, size);
    if (!block.readHeader())
        return asStored;
    const uint64_t ifd0 = block.read32(4);
    if (!block.holds(ifd0, 2))
        return asStored;
    const uint64_t count = block.read16(static_cast<size_t>(ifd0));
    if (!block.holds(ifd0 + 2, count * ifdEntrySize))
        return asStored;
    for (uint64_t n = 0; n < count; ++n) {
        const auto entry = static_cast<size_t>(ifd0 + 2 + n * ifdEntrySize);
        if (block.read16(entry) != orientationTag)
            continue;
        const uint16_t value = block.read16(entry + 8);  // a SHORT is left-justified in the value field
        const bool valid =
            block.read16(entry + 2) == typeShort && block.read32(entry + 4) == 1 && value >= 1 && value <= 8;
        return valid ? value : asStored;
    }
    return asStored;
}

bool isExifPayload(const uint8_t* payload, size_t length)
{
    return length >= 6 && std::memcmp(payload, "Exif\0\0", 6) == 0;
}

// Markers that stand alone, without a length: TEM and RST0..RST7.
bool standsAlone(uint8_t marker) { return marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7); }

// A frame header, a scan header or the end of the image: EXIF comes before
// all of them, so the search stops there.
bool endsSearch(uint8_t marker)
{
    const bool frame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
    return frame || marker == 0xDA || marker == 0xD9;
}

}  // namespace

// Exif 2.3, 4.5.4: APP1 "Exif\0\0" holds a TIFF structure whose IFD0 has the
// Orientation tag. The segments of the file's own stream are passed over by
// their lengths from the SOI, so thumbnails inside them are never read.
int32_t exifOrientation(const uint8_t* file, size_t size)
{
    if (size < 4 || file[0] != 0xFF || file[1] != 0xD8)
        return asStored;
    size_t pos = 2;
    while (pos + 2 <= size && file[pos] == 0xFF) {
        const uint8_t marker = file[pos + 1];
        if (marker == 0xFF || standsAlone(marker)) {
            pos += marker == 0xFF ? 1 : 2;  // a fill byte, or a marker with nothing after it
            continue;
        }
        if (endsSearch(marker) || pos + 4 > size)
            return asStored;
        const size_t length = size_t{file[pos + 2]} << 8 | file[pos + 3];
        if (length < 2 || length > size - pos - 2)
            return asStored;
        if (marker == 0xE1 && isExifPayload(file + pos + 4, length - 2))
            return orientationInTiff(file + pos + 10, length - 8);
        pos += 2 + length;
    }
    return asStored;
}
