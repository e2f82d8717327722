#pragma once

#include <cstdint>

// T.81 Annex D.2: the binary arithmetic decoder. Each decision is decoded
// with a statistic: one byte of state, the index of its probability
// estimate in Table D.2 (low seven bits) and its more probable symbol (top
// bit); a zeroed statistic is T.81's initial one.
//
// C holds the code register with Cx, compared with the interval A, in its
// top 16 bits and the next byte, fed in as CT runs out, below them. Both
// are shifted together while A is renormalised to 0x8000 or more, so C
// stays below A << 16 whatever the data: no value overflows 32 bits.
class ArithmeticDecoder {
public:
    // Starts on one entropy-coded segment: bytes first..end-1 of a scan
    // stored last byte first as the container keeps it (the byte at stream
    // offset i is at scan[scanLength - 1 - i]). Bytes past end read as
    // zeros, as T.81 D.2.6 has the decoder do after a marker.
    void start(const uint8_t* scan, int32_t scanLength, int32_t first, int32_t end);

    // One decision, 0 or 1, adapting statistic.
    int decode(uint8_t& statistic);
    // One decision at the fixed probability of one half, unadapted: signs
    // and refinement bits of progressive scans.
    int decodeEven();

    // How many zeros have been fed in past the segment's end.
    int32_t zerosPastEnd() const { return zerosPastEnd_; }

private:
    uint8_t nextByte();
    void renormalise();

    const uint8_t* firstByte_ = nullptr;  // stream offset 0, with later bytes below it
    int32_t next_ = 0;                    // stream offset of the next byte
    int32_t end_ = 0;
    int32_t zerosPastEnd_ = 0;
    uint32_t a_ = 0;
    uint32_t c_ = 0;
    int32_t ct_ = 0;
};
