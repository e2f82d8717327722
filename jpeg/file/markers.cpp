#include "jpeg/file/markers.h"

#include <algorithm>
#include <memory>

#include "jpeg/file/result_codes.h"

namespace {

bool markerAt(const uint8_t* file, int32_t pos, const tjpgel& image, uint8_t code)
{
    return pos >= 0 && pos + 1 < image.streamEnd && file[pos] == 0xFF && file[pos + 1] == code;
}

bool pastEnd(int64_t offset, const tjpgel& image) { return offset >= image.streamEnd; }

int32_t readWord(const uint8_t* file, int32_t pos) { return (file[pos] << 8) | file[pos + 1]; }

bool samplingUsable(int32_t factor) { return factor >= 1 && factor <= 4; }

bool numberedFromOne(int32_t id) { return id >= 1 && id <= 4; }

// T.81 B.2.2 - Frame header syntax. Identifiers may be anything from 0 to
// 255, but each only once.
ComponentSpec readFrameComponent(const uint8_t* file, int32_t& pos, const tjpgel& image, const ComponentSpec* earlier,
                                 int32_t earlierCount)
{
    if (pastEnd(int64_t{pos} + 2, image))
        raiseCode(frameComponentTruncated);
    ComponentSpec component;
    component.id = file[pos];
    for (int32_t k = 0; k < earlierCount; ++k)
        if (earlier[k].id == component.id)
            raiseCode(frameComponentIdInvalid);
    component.hSampling = file[pos + 1] >> 4;
    component.vSampling = file[pos + 1] & 0x0F;
    component.quantTable = file[pos + 2];
    // The decoder indexes four quantisation tables and divides by the
    // sampling factors, so it could not use anything else.
    if (component.quantTable > 3 || !samplingUsable(component.hSampling) || !samplingUsable(component.vSampling))
        raiseCode(frameHeaderUnsupported);
    pos += 3;
    return component;
}

// Where a scan's component selector points: the frame's component of that
// identifier; without a frame header, or for a frame numbered 1..4, any
// identifier 1..4 has its own place. -1 for none.
int32_t componentPlace(const tjpgel& image, int32_t id)
{
    bool framedFromOne = true;
    for (int32_t k = 0; k < 4; ++k) {
        const ComponentSpec& component = image.component[k];
        if (image.hasFrameHeader && component.hSampling > 0) {
            if (component.id == id)
                return k;
            framedFromOne = framedFromOne && numberedFromOne(component.id);
        }
    }
    return framedFromOne && numberedFromOne(id) ? id - 1 : -1;
}

}  // namespace

bool isReadableFrameMarker(uint8_t code)
{
    return code == markerSof0 || code == markerSof1 || code == markerSof2 || isArithmeticFrameMarker(code);
}

bool isProgressiveFrameMarker(uint8_t code) { return code == markerSof2 || code == markerSof10; }

bool isArithmeticFrameMarker(uint8_t code) { return code == markerSof9 || code == markerSof10; }

bool readFrameHeader(const uint8_t* file, int32_t& pos, tjpgel& image)
{
    if (pos < 0 || pos + 1 >= image.streamEnd || file[pos] != 0xFF || !isReadableFrameMarker(file[pos + 1]))
        return false;
    const int32_t m = pos;
    if (pastEnd(int64_t{m} + 10, image))
        raiseCode(frameHeaderTooShort);
    const int32_t precision = file[m + 4];
    image.height = readWord(file, m + 5);
    image.width = readWord(file, m + 7);
    image.componentCount = file[m + 9];
    pos = m + 10;
    if (precision != 8 || image.componentCount > 4)
        raiseCode(frameHeaderUnsupported);
    ComponentSpec components[4];
    bool fromOne = true;
    for (int32_t i = 0; i < image.componentCount; ++i) {
        components[i] = readFrameComponent(file, pos, image, components, i);
        fromOne = fromOne && numberedFromOne(components[i].id);
    }
    // A lone component sits first whatever its number: it is the grey.
    fromOne = fromOne && image.componentCount > 1;
    for (int32_t i = 0; i < image.componentCount; ++i)
        image.component[fromOne ? components[i].id - 1 : i] = components[i];
    image.hasFrameHeader = true;
    return true;
}

// T.81 B.2.3 - Scan header syntax. The selectors are read as far as the
// segment length says, not by the component count.
bool readScanHeader(const uint8_t* file, int32_t& pos, tjpgel& image)
{
    if (!markerAt(file, pos, image, markerSos))
        return false;
    const int32_t m = pos;
    if (pastEnd(int64_t{m} + 4, image))
        raiseCode(scanHeaderTooShort);
    const int32_t length = readWord(file, m + 2);
    image.scanComponentCount = file[m + 4];
    image.scanSelectorCount = 0;
    pos = m + 5;
    if (image.scanComponentCount > 4)
        raiseCode(scanTooManyComponents);
    while (pos <= int64_t{m} + length - 3) {
        if (pastEnd(int64_t{pos} + 1, image))
            raiseCode(scanSelectorTruncated);
        const int32_t place = componentPlace(image, file[pos]);
        const int32_t dcTable = file[pos + 1] >> 4;
        const int32_t acTable = file[pos + 1] & 0x0F;
        if (place < 0 || dcTable > 3 || acTable > 3)
            raiseCode(scanSelectorInvalid);
        image.component[place].dcTable = dcTable;
        image.component[place].acTable = acTable;
        if (image.scanSelectorCount < 4)
            image.scanComponent[image.scanSelectorCount] = place;
        image.scanSelectorCount = std::min(image.scanSelectorCount + 1, 5);
        pos += 2;
    }
    if (pastEnd(int64_t{pos} + 2, image))
        raiseCode(scanSpectralTruncated);
    image.spectralStart = file[pos];
    image.spectralEnd = file[pos + 1];
    image.approxHigh = file[pos + 2] >> 4;
    image.approxLow = file[pos + 2] & 0x0F;
    pos += 3;
    return true;
}

namespace {

// DQT, DHT and DAC segments hold tables back to back. The loop bound
// m + length stops two bytes short of the segment's end, which still
// covers every table of a well-formed DQT or DHT segment; a DAC table is
// two bytes, so its segments pass those two as tail. A segment cut off by
// the end of the file between two tables simply ends.
template <typename ReadTable>
bool readTableSegment(const uint8_t* file, int32_t& pos, tjpgel& image, uint8_t marker, int32_t tooShort,
                      ReadTable readTable, int32_t tail = 0)
{
    if (!markerAt(file, pos, image, marker))
        return false;
    const int32_t m = pos;
    if (pastEnd(int64_t{m} + 3, image))
        raiseCode(tooShort);
    const int64_t end = int64_t{m} + readWord(file, m + 2) + tail;
    pos = m + 4;
    while (pos < end && !pastEnd(pos, image)) {
        const int32_t high = file[pos] >> 4, low = file[pos] & 0x0F;
        ++pos;
        readTable(high, low);
    }
    return true;
}

uint8_t nextByte(const uint8_t* file, int32_t& pos, const tjpgel& image, int32_t truncated)
{
    if (pastEnd(pos, image))
        raiseCode(truncated);
    return file[pos++];
}

}  // namespace

// T.81 B.2.4.1.
bool readQuantTables(const uint8_t* file, int32_t& pos, tjpgel& image)
{
    return readTableSegment(file, pos, image, markerDqt, quantHeaderTooShort, [&](int32_t precision, int32_t id) {
        // 16-bit values are for extended and progressive frames; a
        // baseline frame that uses them decodes as well.
        if (precision > 1 || id > 3)
            raiseCode(quantTableUnsupported);
        image.quant[id] = std::make_unique<int32_t[]>(64);
        for (int k = 0; k < 64; ++k) {
            int32_t value = nextByte(file, pos, image, quantValuesTruncated);
            if (precision == 1)
                value = value << 8 | nextByte(file, pos, image, quantValuesTruncated);
            image.quant[id][k] = value;
        }
    });
}

// T.81 B.2.4.2. No check is made that the counts form a prefix code: the
// entropy decoder simply finds no match for codes the counts do not give.
bool readHuffmanTables(const uint8_t* file, int32_t& pos, tjpgel& image)
{
    return readTableSegment(file, pos, image, markerDht, huffmanHeaderTooShort, [&](int32_t tableClass, int32_t id) {
        if (tableClass > 1 || id > 3)
            raiseCode(huffmanTableIdInvalid);
        const int t = tableClass * 4 + id;
        // A table defined again drops its old values and their run/size
        // split first: the record copies both by the count, so a new count
        // over the old arrays, or over a split still to be redone, would be
        // read past their ends, and counts cut short would leave one.
        image.huffValues[t].reset();
        image.huffRunSize[t].reset();
        image.huffCount[t] = 0;
        int16_t count = 0;
        for (int length = 1; length <= 16; ++length) {
            const int16_t n = nextByte(file, pos, image, huffmanCountsTruncated);
            image.huffFirstIndex[t][length - 1] = n > 0 ? count : int16_t{-1};
            image.huffBits[t][length - 1] = n;
            count = static_cast<int16_t>(count + n);
        }
        image.huffValues[t] = std::make_unique<int16_t[]>(static_cast<size_t>(count));
        image.huffCount[t] = count;
        for (int i = 0; i < image.huffCount[t]; ++i)
            image.huffValues[t][i] = nextByte(file, pos, image, huffmanValuesTruncated);
    });
}

// T.81 B.2.4.4. The length field is not checked.
bool readRestartInterval(const uint8_t* file, int32_t& pos, tjpgel& image)
{
    if (!markerAt(file, pos, image, markerDri))
        return false;
    const int32_t m = pos;
    if (pastEnd(int64_t{m} + 5, image))
        raiseCode(restartIntervalTooShort);
    image.restartInterval = readWord(file, m + 4);
    pos = m + 6;
    return true;
}

// T.81 B.2.4.3. A DC table's byte holds its bounds L (low nibble) and U,
// an AC table's its Kx.
bool readArithmeticConditioning(const uint8_t* file, int32_t& pos, tjpgel& image)
{
    const auto readTable = [&](int32_t tableClass, int32_t id) {
        const int32_t value = nextByte(file, pos, image, conditioningValueTruncated);
        ArithmeticConditioning& conditioning = image.conditioning;
        const int32_t lower = value & 0x0F, upper = value >> 4;
        const bool dcValid = tableClass == 0 && lower <= upper;
        const bool acValid = tableClass == 1 && value >= 1 && value <= 63;
        if (id > 3 || !(dcValid || acValid))
            raiseCode(conditioningInvalid);
        if (tableClass == 0) {
            conditioning.dcLower[id] = lower;
            conditioning.dcUpper[id] = upper;
        } else {
            conditioning.acLimit[id] = value;
        }
    };
    return readTableSegment(file, pos, image, markerDac, conditioningHeaderTooShort, readTable, 2);
}

bool readDefinitionSegment(const uint8_t* file, int32_t& pos, tjpgel& image)
{
    return readHuffmanTables(file, pos, image) || readQuantTables(file, pos, image) ||
           readRestartInterval(file, pos, image) || readArithmeticConditioning(file, pos, image);
}
