#pragma once

#include <cstddef>
#include <cstdint>

// One fuzz input run through a part of the viewer that takes outside input.
// The libFuzzer targets call these, and the regression tests replay the
// minimised findings through the same code. Each leaves the globals it
// touched as it found them at start-up.

// Byte 0 picks the inverse-DCT family and the threads, the rest is the
// file: parseFile and decodeImage of the main picture and the last, the
// first and the second image, then the main picture's comparison of that
// family with the exact transform.
void runDecodeInput(const uint8_t* data, size_t size);
// The whole input is a file for the BMP loader.
void runBmpInput(const uint8_t* data, size_t size);
// Desktop, client and picture sizes, control points, filter and overlay
// switches, then a sequence of view edits and frames.
void runViewInput(const uint8_t* data, size_t size);
// A sequence of window messages for the window procedure, with a dialog
// that answers with names taken from the input.
void runInputMessages(const uint8_t* data, size_t size);

// Pictures above this many samples are not decoded by runDecodeInput: the
// fuzzer would spend its time filling large planes. Large frames have tests
// of their own.
inline constexpr int64_t fuzzMaxPictureSamples = int64_t{1} << 20;
