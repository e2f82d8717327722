#pragma once

#include <cstdint>
#include <thread>

class DecodeWorkspace;

// Threads a decode may use by default: two where the machine has them.
inline int32_t defaultDecodeThreads() { return std::thread::hardware_concurrency() > 1 ? 2 : 1; }

// How a decode goes; the planes come out the same whichever way.
struct DecodeOptions {
    // 1 keeps everything on the calling thread (kept for comparison); 2
    // splits the entropy decoding between the threads where the picture is
    // tall enough to cut into bands, and otherwise overlaps it with the
    // inverse DCT, the stores and the colour conversion.
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
