#include "support/stream_segments.h"

#include <algorithm>
#include <iterator>
#include <stdexcept>

namespace jpegbytes {

namespace {

constexpr uint8_t scanHeader = 0xDA, quantTables = 0xDB, endOfImage = 0xD9, adobeSegment = 0xEE;

bool isRestart(uint8_t code) { return code >= 0xD0 && code <= 0xD7; }

bool isFrameMarker(uint8_t code)
{
    return code >= 0xC0 && code <= 0xCF && code != 0xC4 && code != 0xC8 && code != 0xCC;
}

// The first marker at or after pos that ends entropy-coded data: not a
// stuffed zero, not a restart marker.
size_t endOfScanData(const Bytes& jpeg, size_t pos)
{
    for (; pos + 1 < jpeg.size(); ++pos)
        if (jpeg[pos] == 0xFF && jpeg[pos + 1] != 0x00 && jpeg[pos + 1] != 0xFF && !isRestart(jpeg[pos + 1]))
            return pos;
    return jpeg.size();
}

SegmentPlace scanOf(size_t n, const Bytes& jpeg)
{
    const std::vector<SegmentPlace> scans = segmentsWithCode(jpeg, scanHeader);
    if (n >= scans.size())
        throw std::invalid_argument("the stream has fewer scans");
    return scans[n];
}

}  // namespace

std::vector<SegmentPlace> segmentsOf(const Bytes& jpeg)
{
    std::vector<SegmentPlace> places;
    size_t pos = 2;  // past the SOI
    while (pos + 4 <= jpeg.size() && jpeg[pos] == 0xFF && jpeg[pos + 1] != endOfImage) {
        SegmentPlace place{jpeg[pos + 1], pos};
        place.end = std::min(jpeg.size(), pos + 2 + size_t(jpeg[pos + 2] << 8 | jpeg[pos + 3]));
        place.dataStart = place.end;
        if (place.code == scanHeader)
            place.end = endOfScanData(jpeg, place.dataStart);
        places.push_back(place);
        pos = place.end;
    }
    return places;
}

std::vector<SegmentPlace> segmentsWithCode(const Bytes& jpeg, uint8_t code)
{
    std::vector<SegmentPlace> matching;
    const std::vector<SegmentPlace> all = segmentsOf(jpeg);
    std::copy_if(all.begin(), all.end(), std::back_inserter(matching),
                 [code](const SegmentPlace& place) { return place.code == code; });
    return matching;
}

uint8_t frameMarker(const Bytes& jpeg)
{
    for (const SegmentPlace& place : segmentsOf(jpeg))
        if (isFrameMarker(place.code))
            return place.code;
    return 0;
}

bool hasSixteenBitQuantTable(const Bytes& jpeg)
{
    for (const SegmentPlace& place : segmentsWithCode(jpeg, quantTables)) {
        // Tables follow one another: a precision and identifier byte, then
        // 64 entries of one or two bytes.
        for (size_t table = place.offset + 4; table < place.end; table += 1 + 64 * size_t(1 + (jpeg[table] >> 4)))
            if (jpeg[table] >> 4 != 0)
                return true;
    }
    return false;
}

int adobeTransform(const Bytes& jpeg)
{
    // "Adobe", a version, two flag words, then the transform.
    static constexpr uint8_t name[] = {'A', 'd', 'o', 'b', 'e'};
    constexpr size_t payload = 4, transform = payload + 11;
    for (const SegmentPlace& place : segmentsWithCode(jpeg, adobeSegment)) {
        const auto at = jpeg.begin() + static_cast<std::ptrdiff_t>(place.offset + payload);
        if (place.offset + transform < place.end && std::equal(std::begin(name), std::end(name), at))
            return jpeg[place.offset + transform];
    }
    return -1;
}

Bytes frameComponentIds(const Bytes& jpeg)
{
    for (const SegmentPlace& place : segmentsOf(jpeg)) {
        if (!isFrameMarker(place.code))
            continue;
        // Precision, height, width and count, then three bytes per component.
        Bytes ids;
        for (size_t at = place.offset + 10; at + 2 < place.end; at += 3)
            ids.push_back(jpeg[at]);
        return ids;
    }
    return {};
}

Bytes cutAfterScan(const Bytes& jpeg, size_t n)
{
    return Bytes(jpeg.begin(), jpeg.begin() + static_cast<std::ptrdiff_t>(scanOf(n, jpeg).end));
}

Bytes cutInsideScan(const Bytes& jpeg, size_t n, int percent)
{
    const SegmentPlace scan = scanOf(n, jpeg);
    size_t cut = scan.dataStart + (scan.end - scan.dataStart) * size_t(percent) / 100;
    // Half a marker or stuffed byte would read differently in each decoder.
    while (cut > scan.dataStart && jpeg[cut - 1] == 0xFF)
        --cut;
    return Bytes(jpeg.begin(), jpeg.begin() + static_cast<std::ptrdiff_t>(cut));
}

}  // namespace jpegbytes
