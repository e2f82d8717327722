#pragma once

#include <cstdint>
#include <memory>

// The one picture the viewer shows: three planes of 8-bit samples, all of
// the picture's full size, row-major, top row first. The renderer reads
// planes 0, 1, 2 as red, green, blue whatever colourState says.
struct pctr {
    // Largest picture accepted, in samples per plane. Three planes of this
    // size take 768 MiB; anything larger is refused before allocating.
    static constexpr int64_t maxSamples = int64_t{1} << 28;

    int32_t width[3] = {};
    int32_t height[3] = {};
    int32_t size[3] = {};
    int32_t colourState = -1;  // -1 empty, 1 Y/Cb/Cr awaiting conversion, 0 R/G/B
    std::unique_ptr<uint8_t[]> plane[3];

    pctr() = default;
    pctr(const pctr&) = delete;
    pctr& operator=(const pctr&) = delete;
    virtual ~pctr();

    void clear();
    // Exchanges everything with other, planes and all, copying no sample.
    void swap(pctr& other);

    // Replaces the planes by three new ones of width x height samples whose
    // contents are undefined until written. Returns false, with the record
    // cleared, when the size is negative, above maxSamples or cannot be
    // allocated.
    bool allocate(int32_t pictureWidth, int32_t pictureHeight);
};
