#pragma once

#include <algorithm>
#include <bit>
#include <cstdint>

#include "jpeg/file/image_record.h"

// The Huffman tables in the forms the entropy decoder reads, each built
// here and nowhere else: the canonical code ranges and run/size pairs of an
// image's record, built once per image by the file walk, and the prefix
// tables, built from those once per decode. Table t = class * 4 +
// identifier: 0..3 DC, 4..7 AC.

// Canonical code assignment of T.81 Annex C: huffCode from huffBits, for
// every table the record holds.
void buildHuffmanCodes(tjpgel& record);
// Every table's symbols split into run and size: huffRunSize.
void splitRunSize(tjpgel& record);

// Code lengths up to this many bits are decoded by one table look-up.
inline constexpr int lookaheadBits = 10;

// A code and the symbol it stands for. Packed into 16 bits for the
// lookahead table: the length in bits 0..3, the size in bits 4..7, the run
// in bits 8..11. The word 0 is a prefix that no code ends in: no code has
// length 0.
struct LookaheadEntry {
    static constexpr uint16_t none = 0;

    int32_t length = 0;
    RunSize symbol{};

    constexpr uint16_t pack() const { return static_cast<uint16_t>(length | symbol.size << 4 | symbol.run << 8); }
    static constexpr LookaheadEntry unpack(uint16_t word)
    {
        return {word & 15, RunSize{static_cast<int16_t>(word >> 8), static_cast<int16_t>((word >> 4) & 15)}};
    }
};
// Run and size, the two halves of a symbol byte, take four bits each.
static_assert(lookaheadBits <= 15, "the lengths the lookahead table holds fit bits 0..3");
static_assert(LookaheadEntry::unpack(LookaheadEntry{lookaheadBits, {15, 15}}.pack()).symbol.run == 15);

// A prefix that holds a whole coefficient, code and value bits. Packed into
// 32 bits for the fast table: the bits it takes in bits 0..4, the zero run
// before the value in bits 8..14, the value, signed, in bits 16..31. An AC
// table's end of block and ZRL have entries too, of value 0: end of block
// as a run of endOfBlockRun, which takes the zig-zag position past the
// block. The word 0 is every other prefix: no entry takes 0 bits.
struct FastSymbol {
    static constexpr int32_t none = 0;
    static constexpr int32_t endOfBlockRun = 64;

    int32_t taken = 0;
    int32_t run = 0;
    int32_t value = 0;

    constexpr int32_t pack() const
    {
        return static_cast<int32_t>(static_cast<uint32_t>(value) << 16 | static_cast<uint32_t>(run) << 8 |
                                    static_cast<uint32_t>(taken));
    }
    static constexpr FastSymbol unpack(int32_t word) { return {word & 31, (word >> 8) & 127, word >> 16}; }
};
static_assert(lookaheadBits < 32, "the bits an entry takes fit bits 0..4");
static_assert(FastSymbol::endOfBlockRun < 128, "runs fit bits 8..14");
// A value has at most lookaheadBits - 1 bits, and one more for its sign.
static_assert(lookaheadBits <= 16, "values fit bits 16..31");
static_assert(FastSymbol::unpack(FastSymbol{lookaheadBits, 15, -(1 << (lookaheadBits - 1)) + 1}.pack()).value ==
              -(1 << (lookaheadBits - 1)) + 1);

// For each table, what the next lookaheadBits bits of the stream decode
// to, indexed by those bits: LookaheadEntry and FastSymbol words.
struct PrefixTables {
    uint16_t lookahead[8][1 << lookaheadBits] = {};
    int32_t fast[8][1 << lookaheadBits] = {};

    // From image's code tables; run once per decode.
    void build(const tjpgel& image);
};

// The code of table t at the top of bits, found length by length from
// shortest up; length 0 when none matches. No valid code consists only of
// 1-bits, so no length up to the run of leading ones is tried; nor are
// lengths below shortest, which the caller knows to fail. The code of each
// length is the window's top bits.
// Defined here so that the entropy decoder's loop sees it whole: called in
// another file, it counts as clobbering every scratch register, and the
// loop kept its bit reader in memory: a decode ran a twelfth more
// instructions.
inline LookaheadEntry findCode(const tjpgel& image, int t, uint32_t bits, int32_t shortest)
{
    const int32_t ones = std::countl_one(bits);
    if (ones >= 16)
        return {};
    const HuffmanCodeRange* ranges = image.huffCode[t];
    for (int32_t length = std::max(ones + 1, shortest); length <= 16; ++length) {
        const auto code = static_cast<int32_t>(bits >> (32 - length));
        const int32_t d = code - ranges[length - 1].first;
        if (d >= 0 && d < ranges[length - 1].count)
            return {length, image.huffRunSize[t][image.huffFirstIndex[t][length - 1] + d]};
    }
    return {};
}

// T.81 F.2.2.1 EXTEND: the top half of the range is the value itself, the
// bottom half stands for negative values.
// Computed without a branch: the sign of a coefficient is a coin toss that
// no predictor learns.
inline int32_t extend(uint32_t raw, int32_t size)
{
    const int32_t negative = static_cast<int32_t>((raw >> (size - 1)) ^ 1);
    return static_cast<int32_t>(raw) - (-negative & ((1 << size) - 1));
}
