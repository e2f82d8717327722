#include "jpeg/rows/scan_bands.h"

#include <algorithm>
#include <bit>
#include <limits>
#include <memory>
#include <system_error>
#include <thread>

#include "jpeg/decode_stages.h"
#include "jpeg/rows/band_decoder.h"

namespace bands {

namespace {

// The coefficients a buffer holds, on average over a band: at most.
constexpr int64_t bufferBytes = int64_t{8} << 20;
// A reader notes at most a buffer's MCUs and one more, each of at least
// three blocks.
static_assert(bufferBytes / (3 * 64 * sizeof(int32_t)) + 2 <= UINT32_MAX, "record counts fit a message");

}  // namespace

BandDecoder::BandDecoder(tdec& reader, const McuRows& rows, const std::vector<int32_t>& restartStarts,
                         int32_t bandCount, int32_t readers, DecodeWorkspace& workspace)
    : rows_(rows), mcuCount_(rows.mcuCount()), scan_(reader.scanData), length_(reader.image.scanLength),
      interval_(reader.image.restartInterval), restartStarts_(restartStarts), workspace_(workspace), readers_(readers),
      queue_(rows)
{
    // Bands of four MCU rows or so: a reader's buffers then hold a few MiB,
    // which a first decode maps afresh (a dozen rows took 9-13 MiB more of
    // a 12 MP 4:2:0 picture's), and the hand-overs stay few.
    const int64_t mcuBytes = mcuBlocks(1) * 64 * int64_t{sizeof(int32_t)};
    const int64_t bands = std::max<int64_t>({layout().rows / 4, mcuCount_ * mcuBytes / bufferBytes, 1});
    bands_ = bandCount > 0 ? bandCount : int32_t(std::min<int64_t>(bands, mcuCount_));
    // Parts hold very different numbers of MCUs where the bitrate varies.
    const int64_t partMcus = (mcuCount_ + int64_t{bands_} * readers_ - 1) / (int64_t{bands_} * readers_);
    bufferMcus_ = std::clamp<int64_t>(4 * partMcus, 1, bufferBytes / mcuBytes + 1);
    const auto startsEach = size_t(bufferMcus_) + 1;
    McuStart* starts = workspace.mcuStarts(startsEach * size_t(readers_));
    decoders_[0] = &reader;
    for (int32_t k = 1; k < readers_; ++k) {
        ownDecoders_[k] = std::make_unique<tdec>();
        ownDecoders_[k]->copyTables(reader);
        decoders_[k] = ownDecoders_[k].get();
        links_[k].starts = starts + startsEach * size_t(k);
    }
    for (int32_t buffer = 0; buffer < 2 * readers_; ++buffer)
        buffers_[buffer] = workspace.bandBuffer(buffer, size_t(mcuBlocks(bufferMcus_) * 64));
}

int64_t BandDecoder::partByte(int32_t band, int32_t k) const
{
    const int64_t from = bandByte(band);
    return from + (bandByte(band + 1) - from) * k / readers_;
}

int64_t BandDecoder::endBit(int32_t band) const
{
    return band + 1 == bands_ ? std::numeric_limits<int64_t>::max() : bitOfByte(bandByte(band + 1));
}

int64_t BandDecoder::partEndBit(int32_t band, int32_t k) const
{
    return k + 1 == readers_ ? endBit(band) : bitOfByte(partByte(band, k + 1));
}

bool BandDecoder::endsBand(const tdec& reader, int32_t band, int64_t mcu) const
{
    return mcu >= mcuCount_ || reader.bitsRead() >= endBit(band);
}

// A reader whose thread cannot start is never met: the readers before it
// decode its parts.
bool BandDecoder::run()
{
    std::thread threads[maxReaders];
    int32_t running = 1;
    for (int32_t k = 1; k < readers_; ++k) {
        try {
            threads[k] = std::thread([this, k] {
                const StageWorker timing;
                follow(k);
            });
            ++running;
        } catch (const std::system_error&) {
        }
    }
    workspace_.path = running > 1 ? DecodePath::bands : DecodePath::oneThread;
    const bool decoded = lead();
    queue_.finishAll();
    for (int32_t k = 1; k < readers_; ++k)
        links_[k].verdicts.send({bands_, Verdict::stop});
    for (std::thread& thread : threads)
        if (thread.joinable())
            thread.join();
    workspace_.bandReaders = running;
    workspace_.bandReadersPlaced = std::popcount(placed_.load(std::memory_order_relaxed));
    return decoded;
}

// Reader k's run through band from its MCU mcu: it looks for the readers
// after it.
Run BandDecoder::startRun(int32_t band, int32_t k, int64_t mcu) const
{
    Run run;
    run.band = band;
    run.reader = k;
    run.buffer = bufferOf(k);
    run.base = run.first = run.next = mcu;
    run.target = k + 1;
    return run;
}

bool BandDecoder::lead()
{
    int64_t mcu = 0;
    for (int32_t band = 0; band < bands_ && mcu < mcuCount_; ++band)
        if (!leadBand(band, mcu))
            return false;
    return true;
}

// Decodes band from mcu, the exact state it starts in, and moves mcu to
// the next band's first MCU: false once the decode has failed.
bool BandDecoder::leadBand(int32_t band, int64_t& mcu)
{
    Run run = startRun(band, 0, mcu);
    queue_.finishBuffer(run.buffer);
    McuFailure failure;
    const RunEnd end = decodePlaced(run, failure);
    handOver(run, run.next, failure.blocks);
    parity_[0] ^= 1;
    if (end == RunEnd::bandEnded)
        mcu = run.next;
    if (end != RunEnd::met)
        return end == RunEnd::bandEnded;
    return takeBandEnd(band, mcu);
}

// The readers met decode the rest of the band; the state it ends in
// starts the next.
bool BandDecoder::takeBandEnd(int32_t band, int64_t& mcu)
{
    if (waitForOutcome(band) == Outcome::failed)
        return false;
    tdec& reader = *decoders_[0];
    reader.moveTo(endPosition_);
    std::copy_n(endDcPred_, 3, reader.dcPred);
    reader.restartCountdown = endRestartCountdown_;
    mcu = endMcu_;
    return true;
}

Outcome BandDecoder::waitForOutcome(int32_t band)
{
    for (;;) {
        const OutcomeMessage seen = outcomes_.latest();
        if (seen.band == band)
            return seen.content;
        if (!queue_.finishPiece())
            outcomes_.waitPast(seen);
    }
}

// Decodes from where run stands until the band ends, the reader meets
// another that goes on, or a block cannot be decoded, which sets failure.
// Before each MCU past a later reader's start it looks for that reader.
// Unless they met, it abandons the readers it has not looked for.
RunEnd BandDecoder::decodePlaced(Run& run, McuFailure& failure)
{
    tdec& reader = *decoders_[run.reader];
    while (failure.mcu < 0 && !endsBand(reader, run.band, run.next + run.shift)) {
        const Meeting meeting = meetTarget(run);
        if (meeting == Meeting::met)
            return RunEnd::met;
        if (meeting == Meeting::stopped) {
            failure = adopt(run);
            continue;
        }
        if (run.next - run.base == bufferMcus_)
            nextBuffer(run);
        const int decoded = rows_.decodeMcu(reader, mcuSlot(run, run.next));
        if (decoded < layout().blocksPerMcu)
            failure = {run.next, decoded};
        else
            ++run.next;
    }
    abandonTargets(run);
    return failure.mcu < 0 ? RunEnd::bandEnded : RunEnd::failed;
}

// Hands the full buffer over and goes on in the reader's other one.
void BandDecoder::nextBuffer(Run& run)
{
    handOver(run, run.next, 0);
    parity_[run.reader] ^= 1;
    run.buffer = bufferOf(run.reader);
    queue_.finishBuffer(run.buffer);
    run.base = run.first = run.next;
}

// Whether the reader, about to decode its next MCU, meets the reader it
// looks for there, which then goes on unless it has stopped; the reader
// abandons each that it never will meet, and looks for the one after.
Meeting BandDecoder::meetTarget(Run& run)
{
    const int64_t bit = decoders_[run.reader]->bitsRead();
    while (run.target < readers_ && bit >= bitOfByte(partByte(run.band, run.target))) {
        const Search search = searchStarts(run, bit);
        ReaderLink& link = links_[run.target];
        if (search == Search::found && link.parked.latest().band == run.band)
            return Meeting::stopped;
        if (search == Search::found) {
            link.placement = placementOf(run);
            placed_.fetch_or(1u << run.target, std::memory_order_relaxed);
            link.verdicts.send({run.band, Verdict::met});
            return Meeting::met;
        }
        if (search == Search::notYet)
            return Meeting::none;
        links_[run.target].verdicts.send({run.band, Verdict::abandoned});
        ++run.target;
        run.nextStart = 0;
    }
    return Meeting::none;
}

Search BandDecoder::searchStarts(Run& run, int64_t bit) const
{
    const ReaderLink& link = links_[run.target];
    const RecordsMessage records = link.records.latest();
    if (records.band != run.band)
        return Search::never;  // the target has not started this band: too late now
    const size_t count = records.content;
    while (run.nextStart < count && link.starts[run.nextStart].bit < bit)
        ++run.nextStart;
    if (run.nextStart < count && link.starts[run.nextStart].bit == bit)
        return startAgrees(link, run.nextStart, run.next + run.shift) ? Search::found : Search::never;
    // Past every start noted so far: the target runs no faster, so it
    // would not catch up.
    return run.nextStart == count ? Search::never : Search::notYet;
}

// Without restart intervals any start a placed reader reaches is a
// meeting. With them, the reader's state holds the countdown to the next
// marker as well, and its predictors reset there: only the target's first
// start, at a marker, is met, by the MCU that follows the marker.
bool BandDecoder::startAgrees(const ReaderLink& link, size_t start, int64_t mcu) const
{
    return interval_ == 0 || (start == 0 && mcu == link.firstMcu);
}

// Where the target is placed: its MCU at the start met is the picture's
// next, and its predictors there are the placed reader's, offset.
Placement BandDecoder::placementOf(const Run& run) const
{
    const ReaderLink& link = links_[run.target];
    const McuStart& start = link.starts[run.nextStart];
    const tdec& reader = *decoders_[run.reader];
    Placement placement;
    placement.metIndex = int64_t(run.nextStart);
    placement.shift = run.next + run.shift - placement.metIndex;
    for (int i = 0; i < 3; ++i)
        placement.dc.component[i] = wrapSub(wrapAdd(reader.dcPred[i], run.dc.component[i]), start.dcPred[i]);
    return placement;
}

// Takes over what the target, stopped, decoded from the start met, as if
// this reader had decoded it, and goes on from where the target stopped
// with the next target. Returns the failure among those MCUs that is the
// picture's, its blocks already handed over.
McuFailure BandDecoder::adopt(Run& run)
{
    ReaderLink& link = links_[run.target];
    Run taken = *link.stopped;
    const RunStop stop = stopOf(taken, place(taken, placementOf(run)));
    handOver(run, run.next, 0);
    handOver(taken, stop.to, stop.blocks);
    takeState(run, taken);
    const int64_t slotsUsed = run.next - run.base;
    run.next = run.first = stop.to + taken.shift - run.shift;
    run.base = run.next - slotsUsed;
    placed_.fetch_or(1u << run.target, std::memory_order_relaxed);
    link.verdicts.send({run.band, Verdict::adopted});
    ++run.target;
    run.nextStart = 0;
    return stop.failed ? McuFailure{run.next, 0} : McuFailure{};
}

// The reader's decoder goes on from where the taken run's stopped.
void BandDecoder::takeState(const Run& run, const Run& taken)
{
    tdec& reader = *decoders_[run.reader];
    const tdec& their = *decoders_[taken.reader];
    reader.moveTo(their.position());
    reader.restartCountdown = their.restartCountdown;
    for (int i = 0; i < 3; ++i)
        reader.dcPred[i] = wrapSub(wrapAdd(their.dcPred[i], taken.dc.component[i]), run.dc.component[i]);
}

void BandDecoder::abandonTargets(const Run& run)
{
    for (int32_t k = run.target; k < readers_; ++k)
        links_[k].verdicts.send({run.band, Verdict::abandoned});
}

// A failure past the picture's last MCU is none of the picture's.
RunStop BandDecoder::stopOf(const Run& run, const McuFailure& failure) const
{
    const int64_t end = (failure.mcu >= 0 ? failure.mcu : run.next) + run.shift;
    const bool failed = failure.mcu >= 0 && end < mcuCount_;
    return {std::min(end, mcuCount_) - run.shift, failed ? failure.blocks : 0, failed};
}

// Hands over the run's MCUs first..to-1, and `blocks` blocks of MCU to.
void BandDecoder::handOver(const Run& run, int64_t to, int blocks)
{
    queue_.handOver({mcuBlocks(run.first + run.shift), mcuBlocks(to + run.shift) + blocks, mcuSlot(run, run.first),
                     run.dc, run.buffer});
}

// Takes where the run's reader was met, and returns the failure of its own
// that is the picture's, if any.
McuFailure BandDecoder::place(Run& run, const Placement& placement)
{
    run.shift = placement.shift;
    run.dc = placement.dc;
    run.first = placement.metIndex;
    for (const McuFailure& failure : run.failures)
        if (failure.mcu >= placement.metIndex)
            return failure;
    return {};
}

}  // namespace bands

bool decodeInBands(tdec& reader, const McuRows& rows, const std::vector<int32_t>& restartStarts, int32_t bandCount,
                   int32_t threads, DecodeWorkspace& workspace)
{
    const int32_t readers = std::clamp(threads, 2, bands::maxReaders);
    return bands::BandDecoder(reader, rows, restartStarts, bandCount, readers, workspace).run();
}
