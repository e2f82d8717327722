#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include "jpeg/decode_workspace.h"
#include "jpeg/entropy/coefficient_arithmetic.h"
#include "jpeg/entropy/entropy.h"
#include "jpeg/rows/band_messages.h"
#include "jpeg/rows/block_queue.h"
#include "jpeg/rows/mcu_rows.h"

// The readers of a scan cut into bands (scan_bands.h tells how they split
// it), and what each thread owns or shares. Reader 0 runs on the calling
// thread, each other on its own. For each band, in order:
// - every reader k >= 1 posts a records message each time it notes where
//   one of its MCUs starts in part k; once it can read no further, it
//   posts the message parked and waits for its verdict;
// - a placed reader (reader 0 from the band's start) decodes on, and past
//   the start of part k looks through reader k's starts for one where it
//   starts an MCU itself. There it adopts a parked reader k: it hands k's
//   MCUs over, goes on from where k stopped, and sends k adopted. A reader
//   k still reading it sends met, and stops: k, placed, goes on instead.
//   Once it can no longer meet k, it sends k abandoned and decodes part k
//   itself, looking for reader k + 1 next;
// - the placed reader that reaches the band's end, or fails, abandons the
//   readers it has not looked for and, unless it is reader 0, sends reader
//   0 the outcome ended or failed.
// Where every reader parks in time, reader 0 decodes through the band
// without waiting for any other.
// After the last band reader 0 sends every other the verdict stop.

namespace bands {

constexpr int32_t maxReaders = DecodeWorkspace::maxBandReaders;

// Where a placed reader stands in its search of the next reader's starts.
enum class Search {
    notYet,  // no start matches yet; one may
    found,   // the placed reader starts an MCU at a noted start
    never,   // no start will: the next reader is not in the band, or noted none this far on
};

// How a placed reader's part of a band ends.
enum class RunEnd { bandEnded, met, failed };

// What a placed reader about to decode an MCU finds of the reader it
// looks for.
enum class Meeting {
    none,     // no meeting here
    met,      // a meeting: the other reader goes on
    stopped,  // a meeting where the other reader stopped and waits: this one goes on
};

// An MCU that could not be decoded, and how many of its blocks were.
struct McuFailure {
    int64_t mcu = -1;  // -1: none
    int blocks = 0;
};

// One reader's decode of one band. MCUs are counted the reader's own way:
// reader 0 counts the picture's, any other from the start of its part.
struct Run {
    int32_t band = 0;
    int32_t reader = 0;
    int32_t buffer = 0;  // the buffer decoded into
    int64_t base = 0;    // the MCU in the buffer's first slot
    int64_t first = 0;   // the first MCU in the buffer not handed over
    int64_t next = 0;    // the MCU to decode next
    // Once placed: the picture's MCU n + shift is the reader's n, and its
    // blocks take dc.
    int64_t shift = 0;
    DcOffset dc;
    int32_t target = 0;    // the reader to look for next
    size_t nextStart = 0;  // the first of the target's starts not yet passed
    // A failure before the reader is placed may come of starting between
    // two MCUs; it reads on from the next byte, once. Which failure, if
    // any, is the picture's, the meeting tells: the first at or after it.
    McuFailure failures[2] = {};
};

// Where a placed reader met another: the other's MCU metIndex is the
// picture's metIndex + shift, and its blocks take dc.
struct Placement {
    int64_t metIndex = 0;
    int64_t shift = 0;
    DcOffset dc;
};

// How far a placed run reaches in the picture: its MCUs before `to` and
// `blocks` blocks of MCU to, where the decode fails if `failed`.
struct RunStop {
    int64_t to = 0;
    int blocks = 0;
    bool failed = false;
};

// What a reader k >= 1 shares with the placed readers before it, the one
// of them that looks for it being the one decoding where it starts.
struct alignas(64) ReaderLink {
    // Reader k writes starts[n] and then posts a records message counting
    // it (release); the looker reads only the starts that the latest
    // message about its own band counts (acquire). Reader k writes a
    // band's starts again only in a later band, which it begins once it
    // has the verdict on this one, sent once the looker stopped reading.
    McuStart* starts = nullptr;
    Channel<RecordsMessage> records;
    // Once reader k stops reading on its own, it writes stopped, then posts
    // the final records message of the band here (release), and waits for
    // its verdict, leaving its run and decoder untouched until then. A
    // looker that has received that message (acquire) may read both.
    const Run* stopped = nullptr;
    Channel<RecordsMessage> parked;
    // With restart intervals, the picture's MCU where reader k starts its
    // band: written before the records of that band, read after.
    int64_t firstMcu = -1;

    // The looker's verdict on a band. Before it sends met, it writes where
    // they met, which reader k reads once it has received met. It is
    // written again only in a later band, which reader 0 begins once
    // reader k, and every reader after it in this band, are done with
    // this one.
    Channel<VerdictMessage> verdicts;
    Placement placement;
};

class BandDecoder {
public:
    BandDecoder(tdec& reader, const McuRows& rows, const std::vector<int32_t>& restartStarts, int32_t bandCount,
                int32_t readers, DecodeWorkspace& workspace);

    bool run();

private:
    const McuLayout& layout() const { return rows_.layout(); }
    int64_t mcuBlocks(int64_t mcus) const { return mcus * layout().blocksPerMcu; }
    int32_t* mcuSlot(const Run& run, int64_t mcu) const
    {
        return buffers_[run.buffer] + mcuBlocks(mcu - run.base) * 64;
    }
    int32_t bufferOf(int32_t reader) const { return 2 * reader + parity_[reader]; }
    int64_t bandByte(int32_t band) const { return int64_t{length_} * band / bands_; }
    // Where reader k's part of band begins; part readers_ is the next band.
    int64_t partByte(int32_t band, int32_t k) const;
    static int64_t bitOfByte(int64_t byte) { return byte * 8; }
    int64_t endBit(int32_t band) const;
    int64_t partEndBit(int32_t band, int32_t k) const;
    // A band ends at the first MCU that starts past its last byte, the
    // last one at the picture's end.
    bool endsBand(const tdec& reader, int32_t band, int64_t mcu) const;

    Run startRun(int32_t band, int32_t k, int64_t mcu) const;

    // Reader 0, on the calling thread.
    bool lead();
    bool leadBand(int32_t band, int64_t& mcu);
    bool takeBandEnd(int32_t band, int64_t& mcu);
    Outcome waitForOutcome(int32_t band);

    // Every reader, once placed.
    RunEnd decodePlaced(Run& run, McuFailure& failure);
    void nextBuffer(Run& run);
    Meeting meetTarget(Run& run);
    Search searchStarts(Run& run, int64_t bit) const;
    bool startAgrees(const ReaderLink& link, size_t start, int64_t mcu) const;
    Placement placementOf(const Run& run) const;
    McuFailure adopt(Run& run);
    void takeState(const Run& run, const Run& taken);
    void abandonTargets(const Run& run);
    RunStop stopOf(const Run& run, const McuFailure& failure) const;
    void handOver(const Run& run, int64_t to, int blocks);
    static McuFailure place(Run& run, const Placement& placement);

    // Readers 1 and on (band_speculation.cpp).
    void follow(int32_t k);
    bool followBand(int32_t k, int32_t band);
    Verdict speculate(Run& run);
    void park(const Run& run);
    bool speculateOneMcu(Run& run);
    bool endBand(Run& run, const McuFailure& failure);
    int64_t readerStart(int32_t k, int32_t band);
    void startReadingAt(int32_t k, int64_t byte);
    void noteMcuStart(const Run& run);
    Verdict verdictOn(int32_t k, int32_t band) const;
    Verdict waitForVerdict(int32_t k, int32_t band);

    // Set before the other readers start, then only read.
    const McuRows& rows_;
    const int64_t mcuCount_;
    const uint8_t* const scan_;
    const int32_t length_;
    // With restart intervals a reader starts a part only where data after
    // a restart marker begins, the state there being known.
    const int32_t interval_;
    const std::vector<int32_t>& restartStarts_;
    DecodeWorkspace& workspace_;
    const int32_t readers_;
    int32_t bands_ = 1;
    // The most MCUs a buffer holds. Where a few bytes hold many MCUs, a
    // reader hands its blocks over a buffer at a time.
    int64_t bufferMcus_ = 0;
    // Reader k decodes into buffers 2k and 2k + 1; what any thread reads
    // of them, queue_ orders.
    int32_t* buffers_[DecodeWorkspace::bandBufferCount] = {};
    // Reader 0's is the calling thread's; the others' tables are copied
    // before they start.
    tdec* decoders_[maxReaders] = {};
    std::unique_ptr<tdec> ownDecoders_[maxReaders];

    // Each reader's own: which of its buffers it decodes into next.
    int32_t parity_[maxReaders] = {};

    ReaderLink links_[maxReaders];

    // Every reader hands its blocks over here, and finishes what waits.
    BlockQueue queue_;

    // A bit for each reader ever placed, set by the reader that meets it;
    // read once every thread has been joined.
    std::atomic<uint32_t> placed_{1};

    // To reader 0 from the reader that ends a band it met another in.
    // Before it sends ended, that reader writes the state the band ends
    // in, which reader 0 reads once it has received ended, to start the
    // next band from. They are written again only after reader 0 has
    // started the next band and met another reader in it.
    Channel<OutcomeMessage> outcomes_;
    int64_t endMcu_ = 0;
    ScanPosition endPosition_;
    int32_t endDcPred_[3] = {};
    int32_t endRestartCountdown_ = 0;
};

}  // namespace bands
