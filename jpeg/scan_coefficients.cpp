#include "jpeg/scan_coefficients.h"

#include "jpeg/bit_reader.h"
#include "jpeg/huffman.h"

namespace {

// Garbage data can drive a coefficient out of 16 bits; it wraps instead.
int16_t narrow(int32_t value) { return static_cast<int16_t>(static_cast<uint32_t>(value)); }
int32_t shifted(int32_t value, int32_t bits) { return static_cast<int32_t>(static_cast<uint32_t>(value) << bits); }
int32_t wrapAdd(int32_t a, int32_t b) { return static_cast<int32_t>(uint32_t(a) + uint32_t(b)); }

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
        // A reader lives while its bits run on: through a restart interval,
        // or, where the data may end early, one MCU, so that the end is
        // seen where it falls.
        const int64_t stride = cutShort ? 1 : interval > 0 ? interval : mcuCount;
        for (int64_t mcu = 0; mcu < mcuCount;) {
            const int64_t end = std::min(mcuCount, mcu + stride);
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
        BitReader bits(reader_);
        for (int64_t mcu = from; mcu < to; ++mcu) {
            const auto row = int32_t(mcu / mcusWide_), column = int32_t(mcu % mcusWide_);
            if (!decodeMcu(bits, row, column))
                return false;
        }
        return true;
    }

    bool decodeMcu(BitReader& bits, int32_t row, int32_t column)
    {
        if (shape_.count == 1)
            return decodeBlock(bits, shape_.component[0], row, column);
        for (int32_t s = 0; s < shape_.count; ++s) {
            const int32_t n = shape_.component[s];
            const FrameComponent& c = layout_.component[n];
            for (int32_t y = 0; y < c.v; ++y)
                for (int32_t x = 0; x < c.h; ++x)
                    if (!decodeBlock(bits, n, row * c.v + y, column * c.h + x))
                        return false;
        }
        return true;
    }

    bool decodeBlock(BitReader& bits, int32_t n, int32_t by, int32_t bx)
    {
        const FrameComponent& c = layout_.component[n];
        int16_t* block = coefficients_[n] + (int64_t{by} * c.blocksWide + bx) * 64;
        const ComponentSpec& spec = reader_.image.component[c.place];
        if (shape_.ah == 0)
            return decodeFirst(bits, n, spec, block);
        if (shape_.ss == 0)
            return refineDc(bits, block);
        return refineAc(bits, 4 + spec.acTable, block);
    }

    // A symbol of table t as run << 4 | size; -1 when no code matches.
    int32_t symbol(BitReader& bits, int t)
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

    static uint32_t take(BitReader& bits, int32_t count)
    {
        if (count == 0)
            return 0;
        bits.refill();
        const auto value = static_cast<uint32_t>(bits.held() >> (64 - count));
        bits.skip(count);
        return value;
    }

    // A sequential block, or a first progressive scan's DC term or band.
    bool decodeFirst(BitReader& bits, int32_t n, const ComponentSpec& spec, int16_t* block)
    {
        if (shape_.ss == 0) {
            const int32_t size = symbol(bits, spec.dcTable);
            if (size < 0 || size > 15)
                return false;
            const int32_t difference = size ? extend(take(bits, size), size) : 0;
            pred_[n] = wrapAdd(pred_[n], difference);
            block[0] = narrow(shifted(pred_[n], shape_.al));
            if (shape_.se == 0)
                return true;
        }
        if (endOfBandRun_ > 0) {
            --endOfBandRun_;
            return true;
        }
        for (int32_t k = std::max(shape_.ss, 1); k <= shape_.se;) {
            const int32_t rs = symbol(bits, 4 + spec.acTable);
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

    bool refineDc(BitReader& bits, int16_t* block)
    {
        if (take(bits, 1))
            block[0] = narrow(block[0] | (1 << shape_.al));
        return true;
    }

    // A coefficient that is already non-zero gets one more bit of its
    // magnitude, away from zero.
    void refineNonZero(BitReader& bits, int16_t& coefficient)
    {
        const int32_t bit = 1 << shape_.al;
        if (take(bits, 1) && (coefficient & bit) == 0)
            coefficient = narrow(coefficient >= 0 ? coefficient + bit : coefficient - bit);
    }

    // T.81 G.1.2.3: each symbol places one new coefficient of magnitude
    // 1 << Al after `run` coefficients that are still zero, refining the
    // non-zero ones passed on the way; a run of bands ends with their
    // non-zero coefficients refined.
    bool refineAc(BitReader& bits, int t, int16_t* block)
    {
        int32_t k = shape_.ss;
        if (endOfBandRun_ == 0) {
            for (; k <= shape_.se; ++k) {
                const int32_t rs = symbol(bits, t);
                if (rs < 0)
                    return false;
                int32_t run = rs >> 4;
                int32_t value = 0;
                if ((rs & 15) != 0) {
                    value = take(bits, 1) ? 1 << shape_.al : -(1 << shape_.al);
                } else if (run != 15) {
                    endOfBandRun_ = (1 << run) + int32_t(take(bits, run));
                    break;
                }
                for (; k <= shape_.se; ++k) {
                    if (block[k] != 0)
                        refineNonZero(bits, block[k]);
                    else if (run-- == 0)
                        break;
                }
                if (value != 0 && k <= shape_.se)
                    block[k] = narrow(value);
            }
        }
        if (endOfBandRun_ > 0) {
            for (; k <= shape_.se; ++k)
                if (block[k] != 0)
                    refineNonZero(bits, block[k]);
            --endOfBandRun_;
        }
        return true;
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
