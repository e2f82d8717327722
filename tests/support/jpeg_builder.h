#pragma once

#include <cstdint>
#include <initializer_list>
#include <vector>

// Byte builders for hand-made JPEG files: each returns one marker segment.
namespace jpegbytes {

using Bytes = std::vector<uint8_t>;

struct FrameComponent {
    uint8_t id, sampling, quantTable;
};
struct ScanComponent {
    uint8_t id, tables;  // DC table in the high nibble, AC in the low
};

// Any segment that carries a length: marker, length, payload.
Bytes segment(uint8_t marker, const Bytes& payload);

Bytes soi();
Bytes eoi();
Bytes sof0(uint16_t width, uint16_t height, std::initializer_list<FrameComponent> components, uint8_t precision = 8);
Bytes sos(std::initializer_list<ScanComponent> components);
Bytes dqt(uint8_t id, uint8_t value = 1);  // one 8-bit table, every entry value
// counts: codes of length 1, 2, ...; lengths not given have none.
Bytes dht(uint8_t tableClass, uint8_t id, const std::vector<uint8_t>& counts, const std::vector<uint8_t>& values);
Bytes dri(uint16_t interval);
Bytes app1(const Bytes& payload);

// The three components 1, 2, 3 with the given luma sampling byte, chroma 0x11.
Bytes sof0Colour(uint16_t width, uint16_t height, uint8_t lumaSampling = 0x11);
Bytes sosColour();
// Tables that decode every block as all-zero: DC table 0 and AC table 0
// each with the single code "0" for symbol 0x00.
Bytes zeroTables();

Bytes join(std::initializer_list<Bytes> parts);

// The usual luminance DC counts of T.81 Annex K.
inline const std::vector<uint8_t> lumaDcCounts = {0, 1, 5, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0};

}  // namespace jpegbytes
