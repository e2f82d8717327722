#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "support/jpeg_builder.h"

// The marker segments of a stream as a decoder meets them, for checking
// what an encoder wrote and for cutting a stream at a chosen scan.
namespace jpegbytes {

struct SegmentPlace {
    uint8_t code = 0;      // the byte after 0xFF
    size_t offset = 0;     // of the 0xFF
    size_t end = 0;        // past the payload; for a scan header, past its entropy-coded data
    size_t dataStart = 0;  // a scan header's entropy-coded data; end for other segments
};

// Every segment after the SOI up to the EOI or the end of the bytes, whichever
// comes first; restart markers count as part of their scan's data.
std::vector<SegmentPlace> segmentsOf(const Bytes& jpeg);

// The segments with code, in stream order.
std::vector<SegmentPlace> segmentsWithCode(const Bytes& jpeg, uint8_t code);

// The first frame marker (SOF0..SOF15), 0 when there is none.
uint8_t frameMarker(const Bytes& jpeg);

// Whether some quantisation table has 16-bit entries.
bool hasSixteenBitQuantTable(const Bytes& jpeg);

// The colour transform an Adobe APP14 segment names (0 none, 1 YCbCr, 2
// YCCK), -1 when there is no such segment.
int adobeTransform(const Bytes& jpeg);

// The component identifiers of the first frame header, in frame order.
Bytes frameComponentIds(const Bytes& jpeg);

// jpeg up to the end of scan n's data (0 = the first scan), without what
// follows: no further tables, scans or EOI.
Bytes cutAfterScan(const Bytes& jpeg, size_t n);

// jpeg cut after percent of scan n's data, never between a 0xFF and the
// byte after it.
Bytes cutInsideScan(const Bytes& jpeg, size_t n, int percent);

}  // namespace jpegbytes
