#pragma once

#include <cstdint>
#include <iosfwd>
#include <vector>

#include "jpeg/decode_options.h"
#include "jpeg/decode_workspace.h"

// Decodes through the viewer's own calls only, so that the programs built
// for a target without libjpeg-turbo use them too.

// Parses bytes as a file and decodes image `index` (-1 = the main picture)
// with inverse-DCT family `family` (0 fw, 1 aan, 2 aan2) through the same
// calls the viewer makes, with testDecodeOptions(). Returns decodeImage's
// result, or 0 when parsing failed.
int32_t decodeBytes(const std::vector<uint8_t>& bytes, int32_t family = 0, int32_t index = -1);

// How the tests' decodes go: tests set the threads and the band count, and
// resetDecoderGlobals puts them back. The workspace is kept from one decode
// to the next, as the viewer keeps its own.
DecodeOptions& testDecodeOptions();
DecodeWorkspace& testDecodeWorkspace();
// The way the last decode with testDecodeOptions() went.
inline DecodePath lastDecodePath() { return testDecodeWorkspace().path; }

// FNV-1a of the global picture's three planes, one after the other.
uint64_t planesHash();

// Puts the decoder's globals and testDecodeOptions() back to their start-up
// state.
void resetDecoderGlobals();

// The name of a way a decode went, for messages; PrintTo is GoogleTest's.
const char* decodePathName(DecodePath path);
void PrintTo(DecodePath path, std::ostream* out);
