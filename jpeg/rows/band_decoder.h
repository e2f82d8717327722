#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "jpeg/decode_workspace.h"
#include "jpeg/entropy/entropy.h"
#include "jpeg/rows/band_messages.h"
#include "jpeg/rows/block_queue.h"
#include "jpeg/rows/mcu_rows.h"

// The two readers of a scan cut into bands (scan_bands.h tells how they
// split it), and what each thread owns or shares. For each band, in order:
// - the second reader posts a records message each time it notes where
//   one of its MCUs starts;
// - the first reader, past the band's middle, looks through those starts
//   and sends the verdict met, or abandoned once it can no longer meet;
// - after met, the second reader decodes to the band's end and sends the
//   outcome ended, or failed, and the first goes on from that state.
// After the last band the first reader sends the verdict stop.

namespace bands {

// Where the first reader stands in its search of the second reader's MCU
// starts.
enum class Search {
    notYet,  // no start matches yet; one may
    found,   // the first reader starts an MCU at a noted start
    never,   // no start will: the second reader is not in the band, or noted none this far on
};

// The first reader's decode of one band.
struct LedBand {
    int32_t band = 0;
    int32_t buffer = 0;    // the buffer decoded into
    int64_t first = 0;     // the picture's MCU in the buffer's first slot
    bool looking = false;  // for a meeting with the second reader
    size_t nextStart = 0;  // the first of the second reader's starts not yet passed
};

// How the first reader's part of a band ends.
enum class LeadEnd { bandEnded, met, failed };

// An MCU that could not be decoded, and how many of its blocks were.
struct McuFailure {
    int64_t mcu = -1;  // -1: none
    int blocks = 0;
};

// The second reader's decode of one band. Its MCUs are counted from the
// band's middle byte, where it starts.
struct FollowedBand {
    int32_t band = 0;
    int32_t buffer = 0;  // the buffer decoded into
    int64_t next = 0;    // the MCU to decode next
    int64_t base = 0;    // the MCU in the buffer's first slot
    int64_t first = 0;   // the first MCU in the buffer not handed over
    // A failure before the readers meet may come of starting between two
    // MCUs; the reader reads on from the next byte, once. Which failure, if
    // any, is the picture's, the meeting tells: the first at or after it.
    McuFailure failures[2] = {};
};

class BandDecoder {
public:
    BandDecoder(tdec& reader, const McuRows& rows, const std::vector<int32_t>& restartStarts, int32_t bandCount,
                DecodeWorkspace& workspace);

    bool run();

private:
    const McuLayout& layout() const { return rows_.layout(); }
    int64_t mcuBlocks(int64_t mcus) const { return mcus * layout().blocksPerMcu; }
    int32_t* mcuSlot(int32_t buffer, int64_t index) const { return buffers_[buffer] + mcuBlocks(index) * 64; }
    int64_t bandByte(int32_t band) const { return int64_t{length_} * band / bands_; }
    int64_t middleByte(int32_t band) const { return (bandByte(band) + bandByte(band + 1)) / 2; }
    static int64_t bitOfByte(int64_t byte) { return byte * 8; }
    int64_t endBit(int32_t band) const;
    // A band ends at the first MCU that starts past its last byte, the
    // last one at the picture's end.
    bool endsBand(const tdec& reader, int32_t band, int64_t mcu) const;

    // The first reader, on the calling thread.
    bool lead();
    bool leadBand(int32_t band, int64_t& mcu);
    LeadEnd decodeLeading(LedBand& state, int64_t& mcu);
    void nextLeaderBuffer(LedBand& state, int64_t mcu);
    bool meetsFollower(LedBand& state, int64_t mcu);
    Search searchStarts(LedBand& state, int64_t mcu) const;
    bool startAgrees(size_t start, int64_t mcu) const;
    void meet(const LedBand& state, int64_t mcu);
    bool takeFollowersEnd(int32_t band, int64_t& mcu);
    Outcome waitForOutcome(int32_t band);

    // The second reader.
    void follow();
    bool followBand(int32_t band);
    Verdict speculate(FollowedBand& state);
    bool speculateOneMcu(FollowedBand& state);
    int64_t followerStart(int32_t band);
    void startReadingAt(int64_t byte);
    void noteMcuStart(int32_t band, int64_t n);
    McuFailure decodeToBandEnd(FollowedBand& state, McuFailure failure);
    bool endFollowedBand(FollowedBand& state, const McuFailure& failure);
    void handOverFollowed(FollowedBand& state, int64_t to, int blocks);
    // The picture's MCU that the second reader's MCU n is, once they met.
    int64_t pictureMcu(int64_t n) const { return metMcu_ + n - metIndex_; }
    Verdict verdictOn(int32_t band) const;
    Verdict waitForVerdict(int32_t band);

    // Set before the second reader starts, then only read.
    const McuRows& rows_;
    const int64_t mcuCount_;
    const uint8_t* const scan_;
    const int32_t length_;
    // With restart intervals the second reader starts a band only where
    // data after a restart marker begins, the state there being known.
    const int32_t interval_;
    const std::vector<int32_t>& restartStarts_;
    DecodeWorkspace& workspace_;
    int32_t bands_ = 1;
    // The most MCUs a buffer holds. Where a few bytes hold many MCUs, a
    // reader hands its blocks over a buffer at a time.
    int64_t bufferMcus_ = 0;
    // The first reader decodes into buffers 0 and 1, the second into 2 and
    // 3; what either thread reads of them, queue_ orders.
    int32_t* buffers_[DecodeWorkspace::bandBufferCount] = {};

    // The first reader's own: the calling thread's decoder.
    tdec& leader_;
    int32_t leaderParity_ = 0;  // which of its buffers it decodes into next
    bool followerRunning_ = false;

    // The second reader's own, once it runs; its tables are copied before.
    std::unique_ptr<tdec> follower_ = std::make_unique<tdec>();
    int32_t followerParity_ = 0;

    // Both readers hand their blocks over here, and finish what waits.
    BlockQueue queue_;

    // Second to first, while the first looks for a meeting: the second
    // reader writes starts_[n] and then posts a records message counting it
    // (release); the first reads only the starts that the latest message
    // about its own band counts (acquire). The second writes a band's
    // starts again only in a later band, which it begins once the first has
    // given its verdict on this one, and so stopped reading.
    McuStart* starts_ = nullptr;
    Channel<RecordsMessage> records_;

    // First to second: the verdict on a band. Before it sends met, the
    // first reader writes where they met, which the second reads once it
    // has received met: its MCU metIndex_ is the picture's MCU metMcu_, and
    // its blocks take dc_. The first writes these again only in a later
    // band, after it has received the outcome of this one.
    Channel<VerdictMessage> verdicts_;
    int64_t metMcu_ = 0;
    // With restart intervals, the picture's MCU where the second reader
    // started its band: written before the records of that band, read after.
    int64_t followerFirstMcu_ = -1;
    int64_t metIndex_ = 0;
    DcOffset dc_;

    // Second to first: the outcome of a band they met in. Before it sends
    // ended, the second reader writes the state the band ends in, which the
    // first reads once it has received ended, to start the next band from.
    // The second writes these again only after the next meeting.
    Channel<OutcomeMessage> outcomes_;
    int64_t endMcu_ = 0;
    ScanPosition endPosition_;
    int32_t endDcPred_[3] = {};
    int32_t endRestartCountdown_ = 0;
};

}  // namespace bands
