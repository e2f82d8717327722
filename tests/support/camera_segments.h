#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "support/jpeg_builder.h"

// Segments and layouts that cameras and phones write around the main
// picture, written field by field as their formats lay them out.
namespace camerafiles {

using jpegbytes::Bytes;

// Bytes that a reader stepping through a payload byte by byte would take
// for segments: 0xFF 0xDD, 0xC4, 0xDB, 0xC0 and 0xDA pairs, each followed by
// a plausible but wrong segment of its kind (a restart interval of 50, a
// one-code DC table, a 16-bit quantisation table, 12-bit samples, three
// components numbered 9, a scan of seven components). Even length, and no
// 0xFF 0xD8 anywhere.
Bytes strayPairs();

// jpeg with segments inserted right after its SOI, or right before its
// first scan header. jpeg must be a well-formed stream.
Bytes withSegmentsAfterSoi(const Bytes& jpeg, const Bytes& segments);
Bytes withSegmentsBeforeScan(const Bytes& jpeg, const Bytes& segments);

// jpeg with the entries of its first quantisation table replaced by values,
// from zig-zag position first on.
Bytes withQuantValues(const Bytes& jpeg, size_t first, const Bytes& values);

// APP1 "Exif": a little-endian TIFF structure with IFD0 (make, model,
// orientation), an Exif sub-IFD holding makerNote as tag 0x927C, and IFD1
// whose JPEGInterchangeFormat fields point at thumbnail, stored last.
Bytes exifSegment(const Bytes& makerNote, const Bytes& thumbnail);

// APP1 "Exif" whose IFD0 holds only the Orientation tag (0x0112) with the
// given value, in either byte order.
Bytes exifOrientationSegment(uint16_t orientation, bool bigEndian);

// APP2 "ICC_PROFILE", part 1 of 1: a display profile with a description, a
// white point and a red tone curve whose 16-bit entries are curve's bytes.
Bytes iccProfileSegment(const Bytes& curve);

// APP13 "Photoshop 3.0": an IPTC resource (0x0404) whose caption is caption,
// then a thumbnail resource (0x040C): its 28-byte header, then thumbnail.
Bytes photoshopSegment(const Bytes& caption, const Bytes& thumbnail, int32_t width, int32_t height);

// primary with segmentsBefore and an APP2 "MPF" after its SOI, then each
// secondary appended after its EOI. The MP entries give every image's size
// and, for the secondaries, their offsets from the MP header.
Bytes mpfFile(const Bytes& primary, const std::vector<Bytes>& secondaries, const Bytes& segmentsBefore = {});

// jpeg cut after percent of its scan data, never between a 0xFF and the
// byte after it; no EOI.
Bytes truncatedScan(const Bytes& jpeg, int percent);

}  // namespace camerafiles
