#pragma once

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>

#include "jpeg/entropy/entropy.h"
#include "jpeg/file/container.h"

// Where a reader stops past the end of the data, five bytes into the zero
// padding below the scan: a bit reader starting there still loads its
// eight bytes from the padding, and everything past the end reads as 0.
inline constexpr int32_t lowestCurrent = -5;
static_assert(lowestCurrent - 7 >= -tjpg::scanPadding);

// The next bits of the stream in a register, topped up at every symbol
// without a branch: the eight bytes from the next unread one are ORed in
// below the bits still held (bits loaded twice are the same bits), which
// leaves at least 56, enough for any symbol (16 + 15 bits). A symbol is
// looked up in the bits held before the top-up, at least 25, so the load
// of the next bytes runs beside the look-up instead of ahead of it; that
// took a tenth off the whole decode. The decoder's position catches up at
// the end.
// Only ever a local: kept out of memory, its fields stay in registers while
// coefficients are stored.
class tdec::BitReader {
public:
    explicit BitReader(tdec& decoder) : decoder_(decoder), next_(decoder.current_)
    {
        refill();
        skip(decoder.bitPos_);
    }
    ~BitReader()
    {
        // The next bit lies in the byte available_ bits above next_.
        decoder_.current_ = std::max(next_ + (available_ + 7) / 8, lowestCurrent);
        decoder_.bitPos_ = -available_ & 7;
    }
    BitReader(const BitReader&) = delete;
    BitReader& operator=(const BitReader&) = delete;

    uint64_t held() const { return bits_; }
    // The stream runs to lower addresses, so the little-endian word whose
    // top byte is next_ holds the next eight bytes in order. Past the end
    // next_ stops inside the zero padding below the scan.
    void refill()
    {
        uint64_t word;
        std::memcpy(&word, decoder_.scanData + next_ - 7, sizeof word);
        if constexpr (std::endian::native == std::endian::big)
            word = __builtin_bswap64(word);
        bits_ |= word >> available_;
        next_ = std::max(next_ - ((63 - available_) >> 3), lowestNext);
        available_ |= 56;
    }
    void skip(int32_t count)
    {
        bits_ <<= count;
        available_ -= count;
    }

private:
    static constexpr int32_t lowestNext = 7 - tjpg::scanPadding;

    tdec& decoder_;
    uint64_t bits_ = 0;
    int32_t available_ = 0;  // valid bits at the top of bits_, 0..63
    int32_t next_;           // the first byte not yet counted in available_
};
