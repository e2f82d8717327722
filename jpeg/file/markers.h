#pragma once

#include <cstdint>

#include "jpeg/file/image_record.h"

// Segment readers. Each checks that the bytes at pos are 0xFF and its own
// marker and returns false without moving if not; otherwise it reads the
// segment into image, leaves pos after what it consumed and returns true,
// or raises a result code. image.fileSize bounds every read of file.
// SOF0, SOF1, SOF2, SOF9 and SOF10: the frame types the decoder reads;
// the last two code their scans arithmetically, the third and fifth are
// progressive.
bool isReadableFrameMarker(uint8_t code);
bool isProgressiveFrameMarker(uint8_t code);
bool isArithmeticFrameMarker(uint8_t code);
bool readFrameHeader(const uint8_t* file, int32_t& pos, tjpgel& image);
bool readScanHeader(const uint8_t* file, int32_t& pos, tjpgel& image);
bool readQuantTables(const uint8_t* file, int32_t& pos, tjpgel& image);
bool readHuffmanTables(const uint8_t* file, int32_t& pos, tjpgel& image);
bool readRestartInterval(const uint8_t* file, int32_t& pos, tjpgel& image);
bool readArithmeticConditioning(const uint8_t* file, int32_t& pos, tjpgel& image);
// Whichever of DHT, DQT, DRI and DAC is at pos.
bool readDefinitionSegment(const uint8_t* file, int32_t& pos, tjpgel& image);

enum MarkerCode : uint8_t {
    markerSof0 = 0xC0,
    markerSof1 = 0xC1,
    markerSof2 = 0xC2,
    markerDht = 0xC4,
    markerSof9 = 0xC9,
    markerSof10 = 0xCA,
    markerDac = 0xCC,
    markerEoi = 0xD9,
    markerSos = 0xDA,
    markerDqt = 0xDB,
    markerDri = 0xDD,
};
