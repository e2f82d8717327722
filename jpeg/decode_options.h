#pragma once

#include <algorithm>
#include <cstdint>
#include <thread>

class DecodeWorkspace;

// The threads that run at once on this machine; at least 1.
inline int32_t coreCount() { return int32_t(std::max(std::thread::hardware_concurrency(), 1u)); }

// Threads a decode may use by default: one per core, up to eight.
inline int32_t defaultDecodeThreads() { return std::min(coreCount(), 8); }

// How a decode goes; the planes come out the same whichever way.
struct DecodeOptions {
    // 1 keeps everything on the calling thread (kept for comparison). With
    // more, a scan of the row decoder is shared among up to eight readers,
    // no more than there are cores, where the picture is tall enough to cut
    // into bands, which split its entropy decoding; otherwise two threads
    // overlap it with the inverse DCT, the stores and the colour
    // conversion. The frame decoder runs scans that share no coefficients
    // on as many as there are, and finishes rows on those left.
    int32_t threads = defaultDecodeThreads();
    // How many bands a scan is cut into: 0 lets the decoder choose whether
    // to and how many, by the scan's size; -1 keeps every scan out of
    // bands. Tests set a count to reach every way the readers can meet,
    // which also gives every thread a reader, cores or not.
    int32_t bandCount = 0;
    // Buffers kept from one decode to the next by whoever makes many; none
    // gives the decode buffers of its own.
    DecodeWorkspace* workspace = nullptr;
};
