#pragma once

#include <algorithm>
#include <cstdint>
#include <thread>

class DecodeWorkspace;

// Threads a decode may use by default: one per core, up to eight.
inline int32_t defaultDecodeThreads() { return int32_t(std::clamp(std::thread::hardware_concurrency(), 1u, 8u)); }

// How a decode goes; the planes come out the same whichever way.
struct DecodeOptions {
    // 1 keeps everything on the calling thread (kept for comparison). With
    // more, a scan of the row decoder takes up to eight where the picture
    // is tall enough to cut into bands, which split its entropy decoding;
    // otherwise two, which overlap it with the inverse DCT, the stores and
    // the colour conversion. The frame decoder runs scans that share no coefficients
    // on as many as there are, and finishes rows on those left.
    int32_t threads = defaultDecodeThreads();
    // How many bands a two-thread scan is cut into: 0 lets the decoder
    // choose whether to and how many, by the scan's size; -1 keeps every
    // scan out of bands. Tests set a count to reach every way the readers
    // can meet.
    int32_t bandCount = 0;
    // Buffers kept from one decode to the next by whoever makes many; none
    // gives the decode buffers of its own.
    DecodeWorkspace* workspace = nullptr;
};
