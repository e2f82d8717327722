#include "jpeg/entropy/arithmetic_scans.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "jpeg/entropy/arithmetic_decoder.h"
#include "jpeg/entropy/coefficient_arithmetic.h"
#include "jpeg/entropy/entropy.h"

namespace {

// Where the decoder holds nothing of the data any more: both bytes of Cx
// were fed in past its end.
constexpr int32_t registerBytes = 2;

// T.81 Table F.4: the DC statistics of one table. Five conditions of the
// previous difference (zero, small and large positive and negative), four
// statistics each: zero or not, sign, and the first magnitude decision for
// either sign; then the magnitude categories X1..X15 and their bits M2..M15,
// 14 on.
constexpr int32_t dcCategories = 20;
constexpr int32_t dcStatistics = 64;
// T.81 Table F.5: the AC statistics of one table. Three per position k
// from 3 (k - 1): end of band, zero or not, and the first magnitude
// decision, which X1 shares; X2..X15 of positions up to Kx, then those of
// the positions above; bits 14 on again.
constexpr int32_t acLowCategories = 189;
constexpr int32_t acHighCategories = 217;
constexpr int32_t acStatistics = 256;
constexpr int32_t magnitudeBitsOffset = 14;
// T.81 F.1.4.4.1.3: no magnitude category reaches 2^15.
constexpr int32_t magnitudeLimit = 0x8000;

class ArithmeticScan {
public:
    ArithmeticScan(const tjpgel& image, const FrameLayout& layout, const ScanShape& shape, int16_t* const* coefficients,
                   const ExtractedScan& scan)
        : image_(image), layout_(layout), shape_(shape), coefficients_(coefficients), scan_(scan)
    {
    }

    // Restart intervals start the decoder afresh on the data after their
    // marker, with statistics and predictions reset (T.81 F.2.4.3, G.2).
    ScanOutcome run()
    {
        const bool single = shape_.count == 1;
        const FrameComponent& only = layout_.component[shape_.component[0]];
        mcusWide_ = single ? only.ownBlocksWide : layout_.mcusWide;
        const int64_t mcuCount = int64_t{mcusWide_} * (single ? only.ownBlocksHigh : layout_.mcusHigh);
        const int32_t interval = image_.restartInterval;
        for (int64_t mcu = 0; mcu < mcuCount; ++mcu) {
            if (mcu == 0 || (interval > 0 && mcu % interval == 0))
                startSegment(interval > 0 ? mcu / interval : 0);
            if (!decodeMcu(mcu))
                return ScanOutcome::failed;
            if (scan_.dataEnd == DataEnd::cutShort && lastSegment_ && coder_.zerosPastEnd() > registerBytes)
                return ScanOutcome::dataEnded;
            if (scan_.progress && (mcu + 1) % mcusWide_ == 0)
                scan_.progress->reached(mcu + 1);
        }
        return ScanOutcome::decoded;
    }

private:
    // Segment n runs from the nth restart marker to the next, or the end.
    void startSegment(int64_t n)
    {
        const std::vector<int32_t>& starts = scan_.restartStarts;
        const auto count = static_cast<int64_t>(starts.size());
        const int32_t first = n == 0 ? 0 : n <= count ? starts[size_t(n - 1)] : scan_.length;
        lastSegment_ = n >= count;
        const int32_t end = lastSegment_ ? scan_.length : starts[size_t(n)];
        coder_.start(scan_.data, scan_.length, first, end);
        std::memset(dcStatistics_, 0, sizeof dcStatistics_);
        std::memset(acStatistics_, 0, sizeof acStatistics_);
        std::fill(std::begin(dcCondition_), std::end(dcCondition_), 0);
        std::fill(std::begin(prediction_), std::end(prediction_), 0);
    }

    bool decodeMcu(int64_t mcu)
    {
        const int64_t row = mcu / mcusWide_, column = mcu % mcusWide_;
        if (shape_.count == 1) {
            const int32_t n = shape_.component[0];
            return decodeBlock(n, coefficients_[n] + (row * layout_.component[n].blocksWide + column) * 64);
        }
        for (int32_t s = 0; s < shape_.count; ++s) {
            const int32_t n = shape_.component[s];
            const FrameComponent& c = layout_.component[n];
            for (int32_t y = 0; y < c.v; ++y)
                for (int32_t x = 0; x < c.h; ++x)
                    if (!decodeBlock(n, coefficients_[n] + ((row * c.v + y) * c.blocksWide + column * c.h + x) * 64))
                        return false;
        }
        return true;
    }

    bool decodeBlock(int32_t n, int16_t* block)
    {
        const ComponentSpec& spec = image_.component[layout_.component[n].place];
        if (shape_.ah != 0 && shape_.ss == 0) {
            if (coder_.decodeEven())
                block[0] = narrow(block[0] | 1 << shape_.al);
            return true;
        }
        if (shape_.ah != 0)
            return refineAc(spec.acTable, block);
        if (shape_.ss == 0 && !decodeDc(n, spec.dcTable, block))
            return false;
        return shape_.se == 0 || decodeAc(spec.acTable, block);
    }

    // T.81 F.2.4.1: the difference from the component's previous DC term,
    // in the condition the previous difference left.
    bool decodeDc(int32_t n, int32_t t, int16_t* block)
    {
        uint8_t* const statistics = dcStatistics_[t];
        uint8_t* const s = statistics + dcCondition_[n];
        if (coder_.decode(s[0])) {
            const int sign = coder_.decode(s[1]);
            uint8_t* const x1 = statistics + dcCategories;
            const int32_t magnitude = decodeMagnitude(s + 2 + sign, x1, x1 + 1);
            if (magnitude < 0)
                return false;
            dcCondition_[n] = dcConditionOf(magnitude, sign, t);
            prediction_[n] = wrapAdd(prediction_[n], sign ? -magnitude - 1 : magnitude + 1);
        } else {
            dcCondition_[n] = 0;
        }
        block[0] = narrow(shifted(prediction_[n], shape_.al));
        return true;
    }

    // T.81 F.1.4.4.1.2, from the magnitude less one, rounded down to a
    // power of two (0 for a difference of 1): zero up to 2^L / 2, large
    // past 2^U / 2.
    int32_t dcConditionOf(int32_t magnitude, int sign, int32_t t) const
    {
        const auto top = int32_t(std::bit_floor(uint32_t(magnitude)));
        if (top < (1 << image_.conditioning.dcLower[t]) >> 1)
            return 0;
        if (top > (1 << image_.conditioning.dcUpper[t]) >> 1)
            return 12 + 4 * sign;
        return 4 + 4 * sign;
    }

    // T.81 F.2.4.2 and G.2: the band's coefficients up to its end of band.
    bool decodeAc(int32_t t, int16_t* block)
    {
        uint8_t* const statistics = acStatistics_[t];
        const int32_t limit = image_.conditioning.acLimit[t];
        for (int32_t k = std::max(shape_.ss, 1); k <= shape_.se; ++k) {
            uint8_t* s = statistics + 3 * (k - 1);
            if (coder_.decode(s[0]))
                return true;
            while (!coder_.decode(s[1])) {
                s += 3;
                if (++k > shape_.se)
                    return false;
            }
            const int sign = coder_.decodeEven();
            const int32_t magnitude =
                decodeMagnitude(s + 2, s + 2, statistics + (k <= limit ? acLowCategories : acHighCategories));
            if (magnitude < 0)
                return false;
            block[k] = narrow(shifted(sign ? -magnitude - 1 : magnitude + 1, shape_.al));
        }
        return true;
    }

    // T.81 F.2.4.3.1 (Figures F.23, F.24): a magnitude less one. The first
    // decision tells it from 0, X1 from 1; then X2.. count its bits and
    // the statistics 14 on give them, top first. -1 for a category T.81
    // does not have.
    int32_t decodeMagnitude(uint8_t* first, uint8_t* x1, uint8_t* x2)
    {
        if (!coder_.decode(*first))
            return 0;
        if (!coder_.decode(*x1))
            return 1;
        int32_t top = 2;
        uint8_t* x = x2;
        for (; coder_.decode(*x); ++x)
            if ((top <<= 1) == magnitudeLimit)
                return -1;
        int32_t magnitude = top;
        uint8_t* const bits = x + magnitudeBitsOffset;
        for (int32_t bit = top >> 1; bit != 0; bit >>= 1)
            if (coder_.decode(*bits))
                magnitude |= bit;
        return magnitude;
    }

    // T.81 G.2, Figure G.10: each coefficient of the band gets one more
    // bit, non-zero ones a correction of their magnitude, zero ones
    // perhaps a start as ±2^Al. End of band is coded only past the last
    // coefficient earlier scans made non-zero.
    bool refineAc(int32_t t, int16_t* block)
    {
        uint8_t* const statistics = acStatistics_[t];
        const int32_t bit = 1 << shape_.al;
        int32_t lastNonZero = shape_.se;
        while (lastNonZero > 0 && block[lastNonZero] == 0)
            --lastNonZero;
        for (int32_t k = shape_.ss; k <= shape_.se; ++k) {
            uint8_t* s = statistics + 3 * (k - 1);
            if (k > lastNonZero && coder_.decode(s[0]))
                return true;
            for (;; s += 3) {
                int16_t& coefficient = block[k];
                if (coefficient != 0) {
                    if (coder_.decode(s[2]))
                        coefficient = narrow(coefficient < 0 ? coefficient - bit : coefficient + bit);
                    break;
                }
                if (coder_.decode(s[1])) {
                    coefficient = narrow(coder_.decodeEven() ? -bit : bit);
                    break;
                }
                if (++k > shape_.se)
                    return false;
            }
        }
        return true;
    }

    const tjpgel& image_;
    const FrameLayout& layout_;
    const ScanShape& shape_;
    int16_t* const* coefficients_;
    const ExtractedScan& scan_;
    int32_t mcusWide_ = 1;
    bool lastSegment_ = true;
    ArithmeticDecoder coder_;
    uint8_t dcStatistics_[4][dcStatistics] = {};
    uint8_t acStatistics_[4][acStatistics] = {};
    int32_t dcCondition_[4] = {};
    int32_t prediction_[4] = {};
};

class ArithmeticScanDecoder final : public ScanDecoder {
public:
    explicit ArithmeticScanDecoder(tdec& reader) : reader_(reader) {}

    ScanOutcome decode(const FrameLayout& layout, const ScanShape& shape, int16_t* const* coefficients,
                       const ExtractedScan& scan) override
    {
        return ArithmeticScan(reader_.image, layout, shape, coefficients, scan).run();
    }

private:
    tdec& reader_;
};

}  // namespace

std::unique_ptr<ScanDecoder> arithmeticScanDecoder(tdec& reader)
{
    return std::make_unique<ArithmeticScanDecoder>(reader);
}
