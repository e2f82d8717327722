#pragma once

#include <cstdint>
#include <vector>

// Bytes with 32 stuffed 0xFF bytes, which no Huffman code matches, from
// `at` of the way into the file (0 to 1): a scan damaged there fails to
// decode from that point.
std::vector<uint8_t> damagedAt(std::vector<uint8_t> bytes, double at);

// Bytes without the first restart marker from `at` of the way into the
// file (0 to 1): a reader that counts markers to know its MCU counts one
// short from there on.
std::vector<uint8_t> withRestartMarkerLost(std::vector<uint8_t> bytes, double at);

// Bytes that decode as nothing the picture needs between the last MCU's
// data and the end-of-image marker: a reader that runs past the last MCU
// runs into them.
std::vector<uint8_t> withTrailingJunk(std::vector<uint8_t> bytes);
