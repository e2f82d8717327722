#include "jpeg/entropy/scan_coefficients.h"

#include <algorithm>

#include "jpeg/entropy/block_reader.h"
#include "jpeg/entropy/coefficient_arithmetic.h"

namespace {

using block_reader::Band;

// The frame decoder's block: whole-frame coefficients, zig-zag order, 16
// bits, the point transform applied; DC kept whole.
struct ZigzagBlock {
    int16_t* out;
    int32_t al;
    int32_t& predictor;

    [[gnu::always_inline]] void store(int32_t k, int32_t value) const { out[k] = narrow(shifted(value, al)); }
    [[gnu::always_inline]] void dc(int32_t difference) const
    {
        predictor = wrapAdd(predictor, difference);
        out[0] = narrow(shifted(predictor, al));
    }
};

// The kind of a scan, fixed for all its blocks: the block loop is compiled
// once for each, without a choice per block.
enum class ScanKind { first, refineDc, refineAc };

// Decodes the blocks of one scan: a sequential scan, or one of the four
// kinds of progressive scan (T.81 G.1.2): DC first and refinement, AC
// first and refinement, the AC ones with end-of-band runs.
class ScanCoefficients {
public:
    ScanCoefficients(tdec& reader, const FrameLayout& layout, const ScanShape& shape, int16_t* const* coefficients)
        : reader_(reader), layout_(layout), shape_(shape),
          coefficients_(coefficients), band_{shape.ss, shape.se, shape.al, shape.ss > 0}
    {
    }

    ScanOutcome run(DataEnd dataEnd, ScanProgress* progress)
    {
        const bool single = shape_.count == 1;
        const FrameComponent& only = layout_.component[shape_.component[0]];
        mcusWide_ = single ? only.ownBlocksWide : layout_.mcusWide;
        const int64_t mcuCount = int64_t{mcusWide_} * (single ? only.ownBlocksHigh : layout_.mcusHigh);
        const int64_t dataEndBit = reader_.bitsRead() + 8 * int64_t{reader_.image.scanLength};
        const int32_t interval = reader_.image.restartInterval;
        // A reader lives while its bits run on, up to the next restart: one
        // MCU where the file ends inside the scan, so that the end is seen
        // where it falls, else one MCU row. Data that runs out early reads
        // as zeros, which may decode as the longest blocks there are: the
        // row bounds that work to one row past the end, not a whole frame.
        const int64_t stride = dataEnd == DataEnd::cutShort ? 1 : mcusWide_;
        const bool endsWithData = dataEnd != DataEnd::readOn;
        reader_.resetPredictions();
        for (int64_t mcu = 0; mcu < mcuCount;) {
            const int64_t end = readerEnd(mcu, stride, interval, mcuCount);
            const bool decoded = decodeMcus(mcu, end);
            if (endsWithData && reader_.bitsRead() > dataEndBit)
                return ScanOutcome::dataEnded;
            if (!decoded)
                return ScanOutcome::failed;
            mcu = end;
            if (progress && mcu % mcusWide_ == 0)
                progress->reached(mcu);
            if (interval > 0 && mcu % interval == 0)
                reader_.restart();
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
            const ComponentSpec& coding = reader_.image.component[c.place];
            for (int64_t mcu = from; mcu < to; ++mcu) {
                const int64_t by = mcu / mcusWide_, bx = mcu % mcusWide_;
                if (!decodeBlock<kind>(bits, n, coding, coefficients_[n] + (by * c.blocksWide + bx) * 64))
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
            const ComponentSpec& coding = reader_.image.component[c.place];
            for (int32_t y = 0; y < c.v; ++y) {
                int16_t* block = coefficients_[n] + (int64_t{row * c.v + y} * c.blocksWide + column * c.h) * 64;
                for (int32_t x = 0; x < c.h; ++x, block += 64)
                    if (!decodeBlock<kind>(bits, n, coding, block))
                        return false;
            }
        }
        return true;
    }

    template <ScanKind kind>
    [[gnu::always_inline]] bool decodeBlock(BitReader& bits, int32_t n, const ComponentSpec& coding, int16_t* block)
    {
        if constexpr (kind == ScanKind::first) {
            return block_reader::readFirstPass(bits, reader_, coding, band_,
                                               ZigzagBlock{block, shape_.al, reader_.dcPred[n]});
        } else if constexpr (kind == ScanKind::refineDc) {
            block_reader::Refinement(bits, reader_, band_).refineDc(block);
            return true;
        } else {
            return block_reader::Refinement(bits, reader_, band_).refineAc(4 + coding.acTable, block);
        }
    }

    tdec& reader_;
    const FrameLayout& layout_;
    const ScanShape& shape_;
    int16_t* const* coefficients_;
    const Band band_;
    int32_t mcusWide_ = 1;
};

}  // namespace

ScanOutcome decodeScanCoefficients(tdec& reader, const FrameLayout& layout, const ScanShape& shape,
                                   int16_t* const* coefficients, DataEnd dataEnd, ScanProgress* progress)
{
    return ScanCoefficients(reader, layout, shape, coefficients).run(dataEnd, progress);
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
        return decodeScanCoefficients(reader_, layout, shape, coefficients, scan.dataEnd, scan.progress);
    }

private:
    tdec& reader_;
};

}  // namespace

std::unique_ptr<ScanDecoder> huffmanScanDecoder(tdec& reader) { return std::make_unique<HuffmanScanDecoder>(reader); }
