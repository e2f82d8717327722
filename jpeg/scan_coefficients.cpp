#include "jpeg/scan_coefficients.h"

#include <algorithm>
#include <bit>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "jpeg/bit_reader.h"
#include "jpeg/coefficient_arithmetic.h"
#include "jpeg/huffman.h"

namespace {

// The kind of a scan, fixed for all its blocks: the block loop is compiled
// once for each, without a choice per block.
enum class ScanKind { first, refineDc, refineAc };

// Decodes the blocks of one scan: a sequential scan, or one of the four
// kinds of progressive scan (T.81 G.1.2): DC first and refinement, AC
// first and refinement, the AC ones with end-of-band runs.
class ScanCoefficients {
public:
    ScanCoefficients(tdec& reader, const FrameLayout& layout, const ScanShape& shape, int16_t* const* coefficients)
        : reader_(reader), layout_(layout), shape_(shape), coefficients_(coefficients)
    {
    }

    ScanOutcome run(bool cutShort)
    {
        const bool single = shape_.count == 1;
        const FrameComponent& only = layout_.component[shape_.component[0]];
        mcusWide_ = single ? only.ownBlocksWide : layout_.mcusWide;
        const int64_t mcuCount = int64_t{mcusWide_} * (single ? only.ownBlocksHigh : layout_.mcusHigh);
        const int64_t dataEnd = reader_.bitsRead() + 8 * int64_t{reader_.image.scanLength};
        const int32_t interval = reader_.image.restartInterval;
        // A reader lives while its bits run on, up to the next restart: one
        // MCU where the file ends inside the scan, so that the end is seen
        // where it falls, else one MCU row. Data that runs out early reads
        // as zeros, which may decode as the longest blocks there are: the
        // row bounds that work to one row past the end, not a whole frame.
        const int64_t stride = cutShort ? 1 : mcusWide_;
        for (int64_t mcu = 0; mcu < mcuCount;) {
            const int64_t end = readerEnd(mcu, stride, interval, mcuCount);
            const bool decoded = decodeMcus(mcu, end);
            if (reader_.bitsRead() > dataEnd)
                return ScanOutcome::dataEnded;
            if (!decoded)
                return ScanOutcome::failed;
            mcu = end;
            if (interval > 0 && mcu % interval == 0)
                restart();
        }
        return ScanOutcome::decoded;
    }

private:
    using BitReader = tdec::BitReader;

    // Where a reader that starts at mcu stops: stride MCUs on, at the next
    // restart, or at the end of the scan, whichever comes first.
    static int64_t readerEnd(int64_t mcu, int64_t stride, int32_t interval, int64_t mcuCount)
    {
        const int64_t end = std::min(mcuCount, mcu + stride);
        return interval > 0 ? std::min(end, (mcu / interval + 1) * interval) : end;
    }

    // Markers were dropped with the stuffing: the reader realigns, and
    // predictions and runs start afresh.
    void restart()
    {
        reader_.alignToByte();
        std::fill(std::begin(pred_), std::end(pred_), 0);
        endOfBandRun_ = 0;
    }

    bool decodeMcus(int64_t from, int64_t to)
    {
        if (shape_.ah == 0)
            return decodeMcus<ScanKind::first>(from, to);
        if (shape_.ss == 0)
            return decodeMcus<ScanKind::refineDc>(from, to);
        return decodeMcus<ScanKind::refineAc>(from, to);
    }

    template <ScanKind kind>
    bool decodeMcus(int64_t from, int64_t to)
    {
        BitReader bits(reader_);
        if (shape_.count == 1) {
            // One component: its blocks in rows, one MCU each.
            const int32_t n = shape_.component[0];
            const FrameComponent& c = layout_.component[n];
            const ComponentSpec& spec = reader_.image.component[c.place];
            for (int64_t mcu = from; mcu < to; ++mcu) {
                const int64_t by = mcu / mcusWide_, bx = mcu % mcusWide_;
                if (!decodeBlock<kind>(bits, n, spec, coefficients_[n] + (by * c.blocksWide + bx) * 64))
                    return false;
            }
            return true;
        }
        for (int64_t mcu = from; mcu < to; ++mcu)
            if (!decodeMcu<kind>(bits, int32_t(mcu / mcusWide_), int32_t(mcu % mcusWide_)))
                return false;
        return true;
    }

    template <ScanKind kind>
    [[gnu::always_inline]] bool decodeMcu(BitReader& bits, int32_t row, int32_t column)
    {
        for (int32_t s = 0; s < shape_.count; ++s) {
            const int32_t n = shape_.component[s];
            const FrameComponent& c = layout_.component[n];
            const ComponentSpec& spec = reader_.image.component[c.place];
            for (int32_t y = 0; y < c.v; ++y) {
                int16_t* block = coefficients_[n] + (int64_t{row * c.v + y} * c.blocksWide + column * c.h) * 64;
                for (int32_t x = 0; x < c.h; ++x, block += 64)
                    if (!decodeBlock<kind>(bits, n, spec, block))
                        return false;
            }
        }
        return true;
    }

    template <ScanKind kind>
    [[gnu::always_inline]] bool decodeBlock(BitReader& bits, int32_t n, const ComponentSpec& spec, int16_t* block)
    {
        if constexpr (kind == ScanKind::first)
            return decodeFirst(bits, n, spec, block);
        else if constexpr (kind == ScanKind::refineDc)
            return refineDc(bits, block);
        else
            return refineAc(bits, 4 + spec.acTable, block);
    }

    // A symbol of table t as run << 4 | size; -1 when no code matches.
    [[gnu::always_inline]] int32_t symbol(BitReader& bits, int t)
    {
        const uint16_t entry = reader_.prefixes.lookahead[t][bits.held() >> (64 - lookaheadBits)];
        bits.refill();
        LookaheadEntry code = LookaheadEntry::unpack(entry);
        if (entry == LookaheadEntry::none) {
            code = findCode(reader_.image, t, static_cast<uint32_t>(bits.held() >> 32), lookaheadBits + 1);
            if (code.length == 0)
                return -1;
        }
        bits.skip(code.length);
        return code.symbol.run << 4 | code.symbol.size;
    }

    [[gnu::always_inline]] static uint32_t take(BitReader& bits, int32_t count)
    {
        if (count == 0)
            return 0;
        bits.refill();
        const auto value = static_cast<uint32_t>(bits.held() >> (64 - count));
        bits.skip(count);
        return value;
    }

    // A sequential block, or a first progressive scan's DC term or band.
    // Short codes and their value bits come from the fast table in one
    // look-up, as in the row decoder.
    [[gnu::always_inline]] bool decodeFirst(BitReader& bits, int32_t n, const ComponentSpec& spec, int16_t* block)
    {
        if (shape_.ss == 0) {
            if (!decodeDc(bits, n, spec.dcTable, block))
                return false;
            if (shape_.se == 0)
                return true;
        }
        if (endOfBandRun_ > 0) {
            --endOfBandRun_;
            return true;
        }
        const int t = 4 + spec.acTable;
        const int32_t* const fast = reader_.prefixes.fast[t];
        for (int32_t k = std::max(shape_.ss, 1); k <= shape_.se;) {
            const int32_t entry = fast[bits.held() >> (64 - lookaheadBits)];
            bits.refill();
            if (entry != FastSymbol::none) {
                // End of block runs k past the band, ZRL stores a zero.
                const FastSymbol symbol = FastSymbol::unpack(entry);
                bits.skip(symbol.taken);
                k += symbol.run;
                if (k <= shape_.se)
                    block[k] = narrow(shifted(symbol.value, shape_.al));
                ++k;
                continue;
            }
            const int32_t rs = symbol(bits, t);
            if (rs < 0)
                return false;
            const int32_t run = rs >> 4, size = rs & 15;
            if (size != 0) {
                k += run;
                const int32_t value = extend(take(bits, size), size);
                if (k <= shape_.se)
                    block[k] = narrow(shifted(value, shape_.al));
                ++k;
            } else if (run == 15) {
                k += 16;
            } else {
                // A sequential scan knows only the end of its block.
                const bool progressive = shape_.ss > 0;
                endOfBandRun_ = progressive ? (1 << run) - 1 + int32_t(take(bits, run)) : 0;
                break;
            }
        }
        return true;
    }

    [[gnu::always_inline]] bool decodeDc(BitReader& bits, int32_t n, int t, int16_t* block)
    {
        int32_t difference = 0;
        const int32_t entry = reader_.prefixes.fast[t][bits.held() >> (64 - lookaheadBits)];
        bits.refill();
        if (entry != FastSymbol::none) {
            const FastSymbol symbol = FastSymbol::unpack(entry);
            if (symbol.run != 0)
                return false;
            bits.skip(symbol.taken);
            difference = symbol.value;
        } else {
            const int32_t size = symbol(bits, t);
            if (size < 0 || size > 15)
                return false;
            difference = size ? extend(take(bits, size), size) : 0;
        }
        pred_[n] = wrapAdd(pred_[n], difference);
        block[0] = narrow(shifted(pred_[n], shape_.al));
        return true;
    }

    [[gnu::always_inline]] bool refineDc(BitReader& bits, int16_t* block)
    {
        if (take(bits, 1))
            block[0] = narrow(block[0] | (1 << shape_.al));
        return true;
    }

    // Each non-zero coefficient among positions (bit k set) gets one more
    // bit of its magnitude, away from zero; it stays non-zero, wrapped or
    // not. The bits come from the reader's window, up to 48 a refill.
    [[gnu::always_inline]] void refineAll(BitReader& bits, int16_t* block, uint64_t positions)
    {
        const int32_t bit = 1 << shape_.al;
        while (positions != 0) {
            bits.refill();
            uint64_t window = bits.held();
            int32_t used = 0;
            for (; positions != 0 && used < 48; positions &= positions - 1, ++used, window <<= 1) {
                int16_t& coefficient = block[std::countr_zero(positions)];
                if ((window >> 63) != 0 && (coefficient & bit) == 0)
                    coefficient = narrow(coefficient >= 0 ? coefficient + bit : coefficient - bit);
            }
            bits.skip(used);
        }
    }

    // T.81 G.1.2.3: each symbol places one new coefficient of magnitude
    // 1 << Al after `run` coefficients that are still zero, refining the
    // non-zero ones passed on the way; a run of bands ends with their
    // non-zero coefficients refined. Which coefficients are non-zero is
    // worked out once per block, as bits of a word: most are zero, and the
    // positions to refine are then found without looking at each.
    [[gnu::always_inline]] bool refineAc(BitReader& bits, int t, int16_t* block)
    {
        const uint64_t band = bandPositions(shape_.ss, shape_.se);
        uint64_t nonZero = nonZeroPositions(block) & band;
        int32_t k = shape_.ss;
        if (endOfBandRun_ == 0) {
            while (k <= shape_.se) {
                const int32_t rs = symbol(bits, t);
                if (rs < 0)
                    return false;
                const int32_t run = rs >> 4;
                int32_t value = 0;
                if ((rs & 15) != 0) {
                    value = take(bits, 1) ? 1 << shape_.al : -(1 << shape_.al);
                } else if (run != 15) {
                    endOfBandRun_ = (1 << run) + int32_t(take(bits, run));
                    break;
                }
                const uint64_t ahead = ~uint64_t{0} << k;
                const int32_t stop = zeroAfterRun(nonZero & ahead, k, run);
                refineAll(bits, block, nonZero & ahead & below(stop));
                k = stop;
                if (value != 0 && k <= shape_.se) {
                    block[k] = narrow(value);
                    nonZero |= uint64_t{1} << k;
                }
                ++k;
            }
        }
        if (endOfBandRun_ > 0) {
            if (k <= shape_.se)
                refineAll(bits, block, nonZero & (~uint64_t{0} << k));
            --endOfBandRun_;
        }
        return true;
    }

    // Where the new coefficient goes: the zero that follows `run` zeros
    // from k (ZRL: the sixteenth, left zero), se + 1 when the band has too
    // few. Found as the least p with p = k + run + the non-zero
    // coefficients in k..p, which few steps reach: non-zero ones are rare.
    int32_t zeroAfterRun(uint64_t nonZeroAhead, int32_t k, int32_t run) const
    {
        for (int32_t p = k + run; p <= shape_.se;) {
            const uint64_t passed = nonZeroAhead & below(p + 1);
            const int32_t next = passed == 0 ? p : k + run + bitCount(passed);
            if (next == p)
                return p;
            p = next;
        }
        return shape_.se + 1;
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

    tdec& reader_;
    const FrameLayout& layout_;
    const ScanShape& shape_;
    int16_t* const* coefficients_;
    int32_t mcusWide_ = 1;
    int32_t pred_[4] = {};
    int32_t endOfBandRun_ = 0;
};

}  // namespace

ScanOutcome decodeScanCoefficients(tdec& reader, const FrameLayout& layout, const ScanShape& shape,
                                   int16_t* const* coefficients, bool cutShort)
{
    return ScanCoefficients(reader, layout, shape, coefficients).run(cutShort);
}

namespace {

class HuffmanScanDecoder final : public ScanDecoder {
public:
    explicit HuffmanScanDecoder(tdec& reader) : reader_(reader) {}

    ScanOutcome decode(const FrameLayout& layout, const ScanShape& shape, int16_t* const* coefficients,
                       const ExtractedScan& scan) override
    {
        buildHuffmanCodes(reader_.image);
        splitRunSize(reader_.image);
        reader_.buildLookahead();
        reader_.startScan(scan.data, scan.length);
        return decodeScanCoefficients(reader_, layout, shape, coefficients, scan.cutShort);
    }

private:
    tdec& reader_;
};

}  // namespace

std::unique_ptr<ScanDecoder> huffmanScanDecoder(tdec& reader) { return std::make_unique<HuffmanScanDecoder>(reader); }
