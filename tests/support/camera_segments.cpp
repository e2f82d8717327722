#include "support/camera_segments.h"

#include <algorithm>
#include <cstddef>
#include <stdexcept>
#include <string_view>

namespace camerafiles {

using jpegbytes::join;
using jpegbytes::segment;
using namespace std::string_view_literals;

namespace {

enum class ByteOrder { big, little };

void putNumber(Bytes& out, uint32_t value, int width, ByteOrder order)
{
    for (int i = 0; i < width; ++i) {
        const int shift = 8 * (order == ByteOrder::little ? i : width - 1 - i);
        out.push_back(static_cast<uint8_t>(value >> shift));
    }
}

void put16(Bytes& out, uint32_t value, ByteOrder order = ByteOrder::big) { putNumber(out, value, 2, order); }
void put32(Bytes& out, uint32_t value, ByteOrder order = ByteOrder::big) { putNumber(out, value, 4, order); }

void append(Bytes& out, const Bytes& more) { out.insert(out.end(), more.begin(), more.end()); }

// string_view keeps the NULs of identifiers such as "Exif\0\0".
Bytes text(std::string_view chars) { return Bytes(chars.begin(), chars.end()); }

void padTo(Bytes& out, size_t multiple) { out.resize((out.size() + multiple - 1) / multiple * multiple, 0); }

uint32_t sizeOf(const Bytes& bytes) { return static_cast<uint32_t>(bytes.size()); }

// TIFF 6.0 field types: EXIF and MPF both store their fields as TIFF IFDs.
enum FieldType : uint16_t { typeAscii = 2, typeShort = 3, typeLong = 4, typeUndefined = 7 };

struct IfdEntry {
    uint16_t tag;
    uint16_t type;
    uint32_t value = 0;  // a SHORT or LONG field of count 1
    Bytes data;          // an ASCII or UNDEFINED field: inline up to four bytes, else after the IFD
};

IfdEntry numberField(uint16_t tag, uint16_t type, uint32_t value) { return {tag, type, value, {}}; }
IfdEntry bytesField(uint16_t tag, const Bytes& data) { return {tag, typeUndefined, 0, data}; }
IfdEntry asciiField(uint16_t tag, std::string_view chars) { return {tag, typeAscii, 0, join({text(chars), {0}})}; }

uint32_t dataAreaSize(const IfdEntry& entry)
{
    return entry.data.size() > 4 ? (sizeOf(entry.data) + 1) / 2 * 2 : 0;  // values start on word boundaries
}

uint32_t ifdSize(const std::vector<IfdEntry>& entries)
{
    uint32_t size = 2 + 12 * static_cast<uint32_t>(entries.size()) + 4;
    for (const IfdEntry& entry : entries)
        size += dataAreaSize(entry);
    return size;
}

Bytes tiffHeader(ByteOrder order)
{
    Bytes out = text(order == ByteOrder::little ? "II"sv : "MM"sv);
    put16(out, 42, order);
    put32(out, 8, order);  // IFD0 follows the header
    return out;
}

// Appends an IFD, its out-of-line values after it. Offsets count from the
// TIFF header, which tiff starts with.
void appendIfd(Bytes& tiff, const std::vector<IfdEntry>& entries, uint32_t nextIfd, ByteOrder order)
{
    const uint32_t dataStart = sizeOf(tiff) + 2 + 12 * static_cast<uint32_t>(entries.size()) + 4;
    Bytes data;
    put16(tiff, static_cast<uint32_t>(entries.size()), order);
    for (const IfdEntry& entry : entries) {
        put16(tiff, entry.tag, order);
        put16(tiff, entry.type, order);
        if (entry.data.empty()) {
            put32(tiff, 1, order);
            if (entry.type == typeShort) {
                put16(tiff, entry.value, order);  // left-justified in the value field
                put16(tiff, 0, order);
            } else {
                put32(tiff, entry.value, order);
            }
        } else if (entry.data.size() <= 4) {
            put32(tiff, sizeOf(entry.data), order);
            Bytes inlineValue = entry.data;
            padTo(inlineValue, 4);
            append(tiff, inlineValue);
        } else {
            put32(tiff, sizeOf(entry.data), order);
            put32(tiff, dataStart + sizeOf(data), order);
            append(data, entry.data);
            padTo(data, 2);
        }
    }
    put32(tiff, nextIfd, order);
    append(tiff, data);
}

Bytes insertedAt(const Bytes& jpeg, size_t at, const Bytes& segments)
{
    Bytes out = jpeg;
    out.insert(out.begin() + static_cast<std::ptrdiff_t>(at), segments.begin(), segments.end());
    return out;
}

// Where the first segment with marker code starts, found by the segment
// lengths from the SOI, as a stream libjpeg-turbo wrote lays them out.
size_t segmentOffset(const Bytes& jpeg, uint8_t code)
{
    size_t pos = 2;
    const auto at = [&](size_t p) { return p + 4 <= jpeg.size() && jpeg[p] == 0xFF; };
    while (at(pos) && jpeg[pos + 1] != code && jpeg[pos + 1] != 0xDA)
        pos += 2 + size_t(jpeg[pos + 2] << 8 | jpeg[pos + 3]);
    if (!at(pos) || jpeg[pos + 1] != code)
        throw std::invalid_argument("no such segment before the scan");
    return pos;
}

}  // namespace

Bytes strayPairs()
{
    using namespace jpegbytes;
    Bytes sixteenBitTable{0x10};
    for (int k = 0; k < 64; ++k)
        sixteenBitTable.insert(sixteenBitTable.end(), {0x01, static_cast<uint8_t>(k + 1)});
    Bytes pairs = join({dri(50), dht(0, 0, {1}, {0x00}), segment(0xDB, sixteenBitTable),
                        sof0(16, 16, {{1, 0x22, 0}, {2, 0x11, 1}, {3, 0x11, 1}}, 12),
                        sof0(16, 16, {{9, 0x11, 0}, {9, 0x11, 0}, {9, 0x11, 0}}),
                        sos({{1, 0x00}, {2, 0x11}, {3, 0x11}, {4, 0x00}, {5, 0x00}, {6, 0x00}, {7, 0x00}})});
    padTo(pairs, 2);
    return pairs;
}

Bytes withSegmentsAfterSoi(const Bytes& jpeg, const Bytes& segments) { return insertedAt(jpeg, 2, segments); }

Bytes withSegmentsBeforeScan(const Bytes& jpeg, const Bytes& segments)
{
    return insertedAt(jpeg, segmentOffset(jpeg, 0xDA), segments);
}

Bytes withQuantValues(const Bytes& jpeg, size_t first, const Bytes& values)
{
    Bytes out = jpeg;
    const size_t table = segmentOffset(jpeg, 0xDB) + 5;  // marker, length, precision and identifier
    std::copy(values.begin(), values.end(), out.begin() + static_cast<std::ptrdiff_t>(table + first));
    return out;
}

// Exif 2.3, 4.6: IFD0 links the Exif IFD by tag 0x8769 and IFD1 as the next
// IFD; IFD1's tags 0x0201 and 0x0202 give the thumbnail's offset and length.
Bytes exifSegment(const Bytes& makerNote, const Bytes& thumbnail)
{
    const ByteOrder order = ByteOrder::little;
    std::vector<IfdEntry> ifd0 = {asciiField(0x010F, "Camera"), asciiField(0x0110, "Model 1"),
                                  numberField(0x0112, typeShort, 1), numberField(0x8769, typeLong, 0)};
    const std::vector<IfdEntry> exif = {bytesField(0x9000, text("0232")), bytesField(0x927C, makerNote)};
    std::vector<IfdEntry> ifd1 = {numberField(0x0103, typeShort, 6), numberField(0x0201, typeLong, 0),
                                  numberField(0x0202, typeLong, sizeOf(thumbnail))};
    // The pointers' values do not change the IFDs' sizes.
    const uint32_t exifAt = 8 + ifdSize(ifd0);
    const uint32_t ifd1At = exifAt + ifdSize(exif);
    ifd0[3].value = exifAt;
    ifd1[1].value = ifd1At + ifdSize(ifd1);
    Bytes tiff = tiffHeader(order);
    appendIfd(tiff, ifd0, ifd1At, order);
    appendIfd(tiff, exif, 0, order);
    appendIfd(tiff, ifd1, 0, order);
    append(tiff, thumbnail);
    return segment(0xE1, join({text("Exif\0\0"sv), tiff}));
}

Bytes exifOrientationSegment(uint16_t orientation, bool bigEndian)
{
    const ByteOrder order = bigEndian ? ByteOrder::big : ByteOrder::little;
    Bytes tiff = tiffHeader(order);
    appendIfd(tiff, {numberField(0x0112, typeShort, orientation)}, 0, order);
    return segment(0xE1, join({text("Exif\0\0"sv), tiff}));
}

namespace {

// ICC.1:2010, 10.31: XYZ numbers in s15Fixed16 form.
void putD50WhitePoint(Bytes& out)
{
    for (const uint32_t xyz : {0x0000F6D6u, 0x00010000u, 0x0000D32Du})
        put32(out, xyz);
}

struct IccTag {
    std::string_view signature;
    Bytes data;
};

// ICC.1:2010, 7.2: the 128-byte header; 7.3: the tag table; tag data on
// four-byte boundaries.
Bytes iccProfile(const std::vector<IccTag>& tags)
{
    const uint32_t dataStart = 128 + 4 + 12 * static_cast<uint32_t>(tags.size());
    Bytes table, data;
    put32(table, static_cast<uint32_t>(tags.size()));
    for (const IccTag& tag : tags) {
        append(table, text(tag.signature));
        put32(table, dataStart + sizeOf(data));
        put32(table, sizeOf(tag.data));
        append(data, tag.data);
        padTo(data, 4);
    }
    Bytes profile;
    put32(profile, 128 + sizeOf(table) + sizeOf(data));
    put32(profile, 0);           // preferred CMM: none
    put32(profile, 0x04300000);  // version 4.3
    append(profile, text("mntrRGB XYZ "));
    for (const uint32_t field : {2024u, 5u, 17u, 12u, 0u, 0u})  // creation date and time
        put16(profile, field);
    append(profile, text("acsp"));
    profile.resize(68, 0);      // platform, flags, device, attributes and intent left zero
    putD50WhitePoint(profile);  // the illuminant of the connection space
    profile.resize(128, 0);     // creator, profile ID, reserved
    append(profile, table);
    append(profile, data);
    return profile;
}

Bytes multiLocalisedText(std::string_view chars)
{
    Bytes out = text("mluc");
    put32(out, 0);
    put32(out, 1);   // one record
    put32(out, 12);  // of twelve bytes
    append(out, text("enUS"));
    put32(out, 2 * static_cast<uint32_t>(chars.size()));
    put32(out, 28);  // the string follows the record
    for (const char c : chars)
        put16(out, static_cast<uint8_t>(c));  // UTF-16BE
    return out;
}

}  // namespace

Bytes iccProfileSegment(const Bytes& curve)
{
    Bytes whitePoint = text("XYZ ");
    put32(whitePoint, 0);
    putD50WhitePoint(whitePoint);
    Bytes toneCurve = text("curv");
    put32(toneCurve, 0);
    put32(toneCurve, sizeOf(curve) / 2);
    append(toneCurve, curve);
    const Bytes profile =
        iccProfile({{"desc", multiLocalisedText("Camera RGB")}, {"wtpt", whitePoint}, {"rTRC", toneCurve}});
    return segment(0xE2, join({text("ICC_PROFILE\0"sv), {1, 1}, profile}));
}

namespace {

// An image resource block: signature, identifier, empty name padded to an
// even length, size, data padded to an even length.
Bytes imageResource(uint16_t id, const Bytes& data)
{
    Bytes out = text("8BIM");
    put16(out, id);
    put16(out, 0);
    put32(out, sizeOf(data));
    append(out, data);
    padTo(out, 2);
    return out;
}

}  // namespace

Bytes photoshopSegment(const Bytes& caption, const Bytes& thumbnail, int32_t width, int32_t height)
{
    Bytes iptc = {0x1C, 0x02, 0x00, 0x00, 0x02, 0x00, 0x04};  // dataset 2:00, record version 4
    iptc.insert(iptc.end(), {0x1C, 0x02, 0x78});              // dataset 2:120, the caption
    put16(iptc, sizeOf(caption));
    append(iptc, caption);
    const auto w = static_cast<uint32_t>(width), h = static_cast<uint32_t>(height);
    const uint32_t rowBytes = (w * 24 + 31) / 32 * 4;
    Bytes thumbnailResource;
    for (const uint32_t field : {1u, w, h, rowBytes, rowBytes * h, sizeOf(thumbnail)})  // 1: JPEG, RGB
        put32(thumbnailResource, field);
    put16(thumbnailResource, 24);  // bits per pixel
    put16(thumbnailResource, 1);   // planes
    append(thumbnailResource, thumbnail);
    const Bytes resources = join({imageResource(0x0404, iptc), imageResource(0x040C, thumbnailResource)});
    return segment(0xED, join({text("Photoshop 3.0\0"sv), resources}));
}

namespace {

struct MpEntry {
    uint32_t attribute;
    uint32_t size;
    uint32_t offset;  // from the MP header; 0 for the primary image
};

// CIPA DC-007, 5.2: the MP Index IFD after the "MPF" identifier, in TIFF
// layout; the MP header is the TIFF header that starts it.
Bytes mpfSegment(const std::vector<MpEntry>& entries)
{
    const ByteOrder order = ByteOrder::big;
    Bytes records;
    for (const MpEntry& entry : entries) {
        put32(records, entry.attribute, order);
        put32(records, entry.size, order);
        put32(records, entry.offset, order);
        put32(records, 0, order);  // no dependent images
    }
    const std::vector<IfdEntry> index = {bytesField(0xB000, text("0100")),
                                         numberField(0xB001, typeLong, static_cast<uint32_t>(entries.size())),
                                         bytesField(0xB002, records)};
    Bytes tiff = tiffHeader(order);
    appendIfd(tiff, index, 0, order);
    return segment(0xE2, join({text("MPF\0"sv), tiff}));
}

constexpr uint32_t mpPrimary = 0x20030000;         // representative image, baseline MP primary
constexpr uint32_t mpLargeThumbnail = 0x00010001;  // large thumbnail, class 1

}  // namespace

Bytes mpfFile(const Bytes& primary, const std::vector<Bytes>& secondaries, const Bytes& segmentsBefore)
{
    std::vector<MpEntry> entries{{mpPrimary, 0, 0}};
    for (const Bytes& secondary : secondaries)
        entries.push_back({mpLargeThumbnail, sizeOf(secondary), 0});
    // The segment's size does not depend on the offsets it holds.
    const uint32_t primarySize = sizeOf(primary) + sizeOf(segmentsBefore) + sizeOf(mpfSegment(entries));
    const uint32_t mpHeader = 2 + sizeOf(segmentsBefore) + 4 + 4;  // SOI, marker and length, "MPF\0"
    entries[0].size = primarySize;
    uint32_t at = primarySize;
    for (size_t k = 0; k < secondaries.size(); ++k) {
        entries[k + 1].offset = at - mpHeader;
        at += sizeOf(secondaries[k]);
    }
    Bytes file = withSegmentsAfterSoi(primary, join({segmentsBefore, mpfSegment(entries)}));
    for (const Bytes& secondary : secondaries)
        append(file, secondary);
    return file;
}

Bytes truncatedScan(const Bytes& jpeg, int percent)
{
    const size_t header = segmentOffset(jpeg, 0xDA);
    const size_t start = header + 2 + size_t(jpeg[header + 2] << 8 | jpeg[header + 3]);
    const size_t end = jpeg.size() - 2;  // the EOI
    size_t cut = start + (end - start) * size_t(percent) / 100;
    // Half a marker or stuffed byte would read differently in each decoder.
    while (cut > start && jpeg[cut - 1] == 0xFF)
        --cut;
    return Bytes(jpeg.begin(), jpeg.begin() + static_cast<std::ptrdiff_t>(cut));
}

}  // namespace camerafiles
