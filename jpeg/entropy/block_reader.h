#pragma once

#include <array>
#include <bit>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "jpeg/entropy/bit_reader.h"
#include "jpeg/entropy/coefficient_arithmetic.h"
#include "jpeg/entropy/huffman.h"
#include "jpeg/entropy/zigzag.h"

// The one Huffman block reader: a block's DC and AC terms over a band of
// zig-zag positions, first pass or refinement, for the row decoder and the
// frame decoder alike. Where the terms go is the caller's block type: its
// store(k, value) takes the term of zig-zag position k, its dc(difference)
// the DC difference. Everything is inlined into the caller's block loop, so
// the row decoder's band, fixed at compile time, costs it nothing.

namespace block_reader {

using BitReader = tdec::BitReader;

// naturalOrder[k]: the natural position of zig-zag position k.
inline constexpr auto naturalOrder = [] {
    std::array<uint8_t, 64> table{};
    for (int n = 0; n < 64; ++n)
        table[zigzag[n]] = static_cast<uint8_t>(n);
    return table;
}();

// The zig-zag positions ss..se a scan codes and the point transform al of
// its first pass. Only a progressive band codes end-of-band runs; a
// sequential one ignores symbols of run 1..14 and size 0 instead.
struct Band {
    int32_t ss = 0, se = 63, al = 0;
    bool progressive = false;
};
inline constexpr Band sequentialBand{};

// The code of table t at the top of the reader's bits, not yet consumed;
// length 0 when none matches. The reader is topped up: the look-up uses
// the bits held before, so the load runs beside it.
[[gnu::always_inline]] inline LookaheadEntry peekCode(BitReader& bits, const tdec& decoder, int t)
{
    const uint16_t entry = decoder.prefixes.lookahead[t][bits.held() >> (64 - lookaheadBits)];
    bits.refill();
    if (entry != LookaheadEntry::none)
        return LookaheadEntry::unpack(entry);
    return findCode(decoder.image, t, static_cast<uint32_t>(bits.held() >> 32), lookaheadBits + 1);
}

[[gnu::always_inline]] inline uint32_t take(BitReader& bits, int32_t count)
{
    if (count == 0)
        return 0;
    bits.refill();
    const auto value = static_cast<uint32_t>(bits.held() >> (64 - count));
    bits.skip(count);
    return value;
}

enum class Term { read, endOfBand, noCode };

// One symbol of table t and its value bits, the term stored at k + run
// when that lies in the band; k moves past it. End of band in a progressive
// band sets the end-of-band run of the bands after it.
template <class Block>
[[gnu::always_inline]] inline Term readTerm(BitReader& bits, const tdec& decoder, int t, const Band& band, int32_t& k,
                                            Block& block, int32_t& endOfBandRun)
{
    const LookaheadEntry code = peekCode(bits, decoder, t);
    if (code.length == 0)
        return Term::noCode;
    const auto [length, symbol] = code;
    if (symbol.size == 0) {
        bits.skip(length);
        if (symbol.run == 15) {
            k += 16;  // ZRL: sixteen zeros, already in the block
            return Term::read;
        }
        if (band.progressive) {
            endOfBandRun = (1 << symbol.run) - 1 + int32_t(take(bits, symbol.run));
            return Term::endOfBand;
        }
        return symbol.run == 0 ? Term::endOfBand : Term::read;
    }
    const auto raw = static_cast<uint32_t>((bits.held() << length) >> (64 - symbol.size));
    bits.skip(length + symbol.size);
    k += symbol.run;
    if (k <= band.se)
        block.store(k, extend(raw, symbol.size));
    ++k;
    return Term::read;
}

// The next term if the fast table (one row, picked once per block) has an
// entry for it; false, with nothing consumed, if not. End of block runs k
// past the band, ZRL stores a zero.
template <class Block>
[[gnu::always_inline]] inline bool readFastTerm(BitReader& bits, const int32_t* fast, const Band& band, int32_t& k,
                                                Block& block)
{
    const int32_t entry = fast[bits.held() >> (64 - lookaheadBits)];
    bits.refill();
    if (entry == FastSymbol::none)
        return false;
    const FastSymbol symbol = FastSymbol::unpack(entry);
    bits.skip(symbol.taken);
    k += symbol.run;
    if (k <= band.se) [[likely]]
        block.store(k, symbol.value);
    ++k;
    return true;
}

// A DC symbol is decoded as any other, from position 0: its value, if it
// lands there, is the DC difference; anything else a damaged table makes
// of it lands in the block.
template <class Block>
struct DcTerm {
    Block& block;
    int32_t difference = 0;

    [[gnu::always_inline]] void store(int32_t k, int32_t value)
    {
        if (k == 0)
            difference = value;
        else
            block.store(k, value);
    }
};

// A block's first pass over band: the DC difference when the band starts
// at 0, then the AC terms. False when no code matches, or when a block
// needs more symbols than any valid one: every symbol a valid encoder
// writes moves k on, but ignored ones do not, and decoded from the zeros
// past the end of the data they would repeat forever.
template <class Block>
[[gnu::always_inline]] inline bool readFirstPass(BitReader& bits, tdec& decoder, const ComponentSpec& component,
                                                 const Band& band, Block block)
{
    int32_t& endOfBandRun = decoder.endOfBandRun;
    int32_t k = band.ss;
    if (band.ss == 0) {
        DcTerm<Block> dc{block};
        const Band dcBand{0, band.se, band.al, false};
        if (!readFastTerm(bits, decoder.prefixes.fast[component.dcTable], dcBand, k, dc) &&
            readTerm(bits, decoder, component.dcTable, dcBand, k, dc, endOfBandRun) == Term::noCode)
            return false;
        if (k == 0)
            k = 1;  // a DC difference of 0 comes as end of block
        block.dc(dc.difference);
    }
    if (band.progressive && endOfBandRun > 0) {
        --endOfBandRun;
        return true;
    }
    const int acTable = 4 + component.acTable;
    const int32_t* const fastAc = decoder.prefixes.fast[acTable];
    for (int32_t symbols = 0; k <= band.se; ++symbols) {
        if (symbols == 63)
            return false;
        if (readFastTerm(bits, fastAc, band, k, block))
            continue;
        const Term term = readTerm(bits, decoder, acTable, band, k, block, endOfBandRun);
        if (term == Term::noCode)
            return false;
        if (term == Term::endOfBand)
            break;
    }
    return true;
}

// A refinement pass of a progressive scan, on whole-frame coefficients:
// int16, zig-zag order, with the bits of earlier passes.
class Refinement {
public:
    Refinement(BitReader& bits, tdec& decoder, const Band& band) : bits_(bits), decoder_(decoder), band_(band) {}

    [[gnu::always_inline]] void refineDc(int16_t* block)
    {
        if (take(bits_, 1))
            block[0] = narrow(block[0] | (1 << band_.al));
    }

    // T.81 G.1.2.3: each symbol places one new coefficient of magnitude
    // 1 << Al after `run` coefficients that are still zero, refining the
    // non-zero ones passed on the way; a run of bands ends with their
    // non-zero coefficients refined. Which coefficients are non-zero is
    // worked out once per block, as bits of a word: most are zero, and the
    // positions to refine are then found without looking at each.
    [[gnu::always_inline]] bool refineAc(int t, int16_t* block)
    {
        int32_t& endOfBandRun = decoder_.endOfBandRun;
        const uint64_t band = bandPositions(band_.ss, band_.se);
        uint64_t nonZero = nonZeroPositions(block) & band;
        int32_t k = band_.ss;
        if (endOfBandRun == 0) {
            while (k <= band_.se) {
                const LookaheadEntry code = peekCode(bits_, decoder_, t);
                if (code.length == 0)
                    return false;
                bits_.skip(code.length);
                const int32_t run = code.symbol.run;
                int32_t value = 0;
                if (code.symbol.size != 0) {
                    value = take(bits_, 1) ? 1 << band_.al : -(1 << band_.al);
                } else if (run != 15) {
                    endOfBandRun = (1 << run) + int32_t(take(bits_, run));
                    break;
                }
                const uint64_t ahead = ~uint64_t{0} << k;
                const int32_t stop = zeroAfterRun(nonZero & ahead, k, run);
                refineAll(block, nonZero & ahead & below(stop));
                k = stop;
                if (value != 0 && k <= band_.se) {
                    block[k] = narrow(value);
                    nonZero |= uint64_t{1} << k;
                }
                ++k;
            }
        }
        if (endOfBandRun > 0) {
            if (k <= band_.se)
                refineAll(block, nonZero & (~uint64_t{0} << k));
            --endOfBandRun;
        }
        return true;
    }

private:
    // Each non-zero coefficient among positions (bit k set) gets one more
    // bit of its magnitude, away from zero; it stays non-zero, wrapped or
    // not. The bits come from the reader's window, up to 48 a refill.
    [[gnu::always_inline]] void refineAll(int16_t* block, uint64_t positions)
    {
        const int32_t bit = 1 << band_.al;
        while (positions != 0) {
            bits_.refill();
            uint64_t window = bits_.held();
            int32_t used = 0;
            for (; positions != 0 && used < 48; positions &= positions - 1, ++used, window <<= 1) {
                int16_t& coefficient = block[std::countr_zero(positions)];
                if ((window >> 63) != 0 && (coefficient & bit) == 0)
                    coefficient = narrow(coefficient >= 0 ? coefficient + bit : coefficient - bit);
            }
            bits_.skip(used);
        }
    }

    // Where the new coefficient goes: the zero that follows `run` zeros
    // from k (ZRL: the sixteenth, left zero), se + 1 when the band has too
    // few. Found as the least p with p = k + run + the non-zero
    // coefficients in k..p, which few steps reach: non-zero ones are rare.
    int32_t zeroAfterRun(uint64_t nonZeroAhead, int32_t k, int32_t run) const
    {
        for (int32_t p = k + run; p <= band_.se;) {
            const uint64_t passed = nonZeroAhead & below(p + 1);
            const int32_t next = passed == 0 ? p : k + run + bitCount(passed);
            if (next == p)
                return p;
            p = next;
        }
        return band_.se + 1;
    }

    // std::popcount without the POPCNT instruction, which x86-64 builds
    // cannot assume, is a library call; this is the same sum in registers.
    static int32_t bitCount(uint64_t bits)
    {
        bits -= (bits >> 1) & 0x5555555555555555;
        bits = (bits & 0x3333333333333333) + ((bits >> 2) & 0x3333333333333333);
        bits = (bits + (bits >> 4)) & 0x0F0F0F0F0F0F0F0F;
        return static_cast<int32_t>((bits * 0x0101010101010101) >> 56);
    }

    // Bits 0..end-1 set, for end 0..64.
    static uint64_t below(int32_t end) { return end >= 64 ? ~uint64_t{0} : (uint64_t{1} << end) - 1; }

    // Bits ss..se set.
    static uint64_t bandPositions(int32_t ss, int32_t se) { return (~uint64_t{0} >> (63 - se)) & (~uint64_t{0} << ss); }

    // Bit k set where block[k] is not zero.
    static uint64_t nonZeroPositions(const int16_t* block)
    {
        uint64_t positions = 0;
#if defined(__SSE2__)
        const __m128i zero = _mm_setzero_si128();
        for (int quarter = 0; quarter < 4; ++quarter) {
            const __m128i low = _mm_loadu_si128(reinterpret_cast<const __m128i*>(block + 16 * quarter));
            const __m128i high = _mm_loadu_si128(reinterpret_cast<const __m128i*>(block + 16 * quarter + 8));
            const __m128i zeros = _mm_packs_epi16(_mm_cmpeq_epi16(low, zero), _mm_cmpeq_epi16(high, zero));
            positions |= uint64_t(uint16_t(~_mm_movemask_epi8(zeros))) << (16 * quarter);
        }
#else
        for (int k = 0; k < 64; ++k)
            positions |= uint64_t{block[k] != 0} << k;
#endif
        return positions;
    }

    BitReader& bits_;
    tdec& decoder_;
    const Band& band_;
};

}  // namespace block_reader
