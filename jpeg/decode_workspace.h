#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "jpeg/output/picture.h"

// The way a decode went, which the decoder records for the tests to see.
enum class DecodePath {
    none,          // no scan decoded yet
    oneThread,     // on the calling thread alone
    cutScan,       // a scan cut short, on the calling thread
    rowPipeline,   // the calling thread entropy-decodes rows, both threads finish them
    bands,         // the scan cut into bands, both threads entropy-decode
    frame,         // by the frame decoder, through coefficients of the whole frame
    frameThreads,  // by the frame decoder, its scans and rows shared among threads
};

// Where one of a reader's MCUs starts when threads split a scan into bands
// (scan_bands), and its predictors there.
struct McuStart {
    int64_t bit = 0;
    int32_t dcPred[3] = {};
};

// The large buffers a decode works in, owned here and nowhere else:
// coefficients, up to 100 MiB for the widest pictures, and the band
// readers' MCU starts. They are kept from one decode to the next, since a
// fresh page costs a page fault: a re-decode of the same size maps none.
// Used by one decode at a time.
class DecodeWorkspace {
public:
    // The way the last decode in this workspace went.
    DecodePath path = DecodePath::none;
    // In bands: the readers that ran, and how many of them decoded part of
    // a band from a known place (the first always, the others once met).
    int32_t bandReaders = 0;
    int32_t bandReadersPlaced = 0;

    // The most readers a scan in bands is shared among; each decodes into
    // two buffers.
    static constexpr int32_t maxBandReaders = 8;
    static constexpr int32_t bandBufferCount = 2 * maxBandReaders;

    // Coefficients of `rows` MCU rows of blocksPerRow blocks each: one row
    // for the single-thread decode, a ring of rows for the row pipeline.
    int32_t* coefficientRows(int64_t rows, int64_t blocksPerRow);
    // Band buffer `buffer`, with room for at least `values` coefficients.
    // It is allocated at its largest and left untouched, with large pages
    // advised, so only the part a decode writes takes pages.
    int32_t* bandBuffer(int32_t buffer, size_t values);
    // Room for count MCU starts.
    McuStart* mcuStarts(size_t count);
    // count coefficients of a whole frame, all zero: a frame of several
    // scans keeps every block until its last scan. Fresh memory comes
    // zeroed from the system, so a frame that leaves much of it untouched
    // maps little; memory kept from an earlier decode is cleared.
    int16_t* frameCoefficients(size_t count);
    // count samples, contents undefined: a fourth component's plane.
    uint8_t* fourthPlane(size_t count);

    // A picture to decode into beside the one shown, swapped with it once
    // the decode has gone well: the picture it replaces comes back here, so
    // that the next decode of its size maps no fresh pages either.
    pctr& sparePicture() { return sparePicture_; }

    size_t bytesHeld() const;
    // Frees every buffer; the next decode allocates afresh.
    void release();

private:
    std::vector<int32_t> coefficientRows_;
    std::unique_ptr<int32_t[]> bandBuffers_[bandBufferCount];
    size_t bandBufferSizes_[bandBufferCount] = {};
    std::vector<McuStart> mcuStarts_;
    struct FreeDeleter {
        void operator()(void* p) const;
    };
    std::unique_ptr<int16_t[], FreeDeleter> frameCoefficients_;
    size_t frameCoefficientCount_ = 0;
    std::vector<uint8_t> fourthPlane_;
    pctr sparePicture_;
};
