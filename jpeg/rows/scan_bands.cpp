#include "jpeg/rows/scan_bands.h"

#include <algorithm>
#include <limits>
#include <memory>
#include <system_error>
#include <thread>

#include "jpeg/decode_stages.h"
#include "jpeg/rows/band_decoder.h"

namespace bands {

namespace {

int32_t wrapAdd(int32_t a, int32_t b) { return static_cast<int32_t>(uint32_t(a) + uint32_t(b)); }
int32_t wrapSub(int32_t a, int32_t b) { return static_cast<int32_t>(uint32_t(a) - uint32_t(b)); }

// Each reader decodes a band into one of its two buffers while the blocks
// of the band before may still wait in the other.
constexpr int32_t leaderBuffer = 0, followerBuffer = 2;
static_assert(DecodeWorkspace::bandBufferCount == 4, "two for each reader");

// The coefficients a buffer holds, on average over a band: at most.
constexpr int64_t bufferBytes = int64_t{8} << 20;
// The second reader notes at most a buffer's MCUs and one more, each of at
// least three blocks.
static_assert(bufferBytes / (3 * 64 * sizeof(int32_t)) + 2 <= UINT32_MAX, "record counts fit a message");

// The first reader's verdict on band, as the second reader sees it in the
// latest message: none while there is none. The stop, or a verdict on a
// later band, abandons it.
Verdict verdictOnBand(const VerdictMessage& latest, int32_t band)
{
    if (latest.content == Verdict::stop || latest.band > band)
        return Verdict::abandoned;
    return latest.band == band ? latest.content : Verdict::none;
}

}  // namespace

BandDecoder::BandDecoder(tdec& reader, const McuRows& rows, const std::vector<int32_t>& restartStarts,
                         int32_t bandCount, DecodeWorkspace& workspace)
    : rows_(rows), mcuCount_(rows.mcuCount()), scan_(reader.scanData), length_(reader.image.scanLength),
      interval_(reader.image.restartInterval), restartStarts_(restartStarts), workspace_(workspace), leader_(reader),
      queue_(rows)
{
    // Bands of a dozen MCU rows or so keep each reader's coefficients in
    // the cache and the hand-overs few.
    const int64_t mcuBytes = mcuBlocks(1) * 64 * int64_t{sizeof(int32_t)};
    const int64_t bands = std::max<int64_t>({layout().rows / 12, mcuCount_ * mcuBytes / bufferBytes, 1});
    bands_ = bandCount > 0 ? bandCount : int32_t(std::min<int64_t>(bands, mcuCount_));
    bufferMcus_ = std::clamp<int64_t>(2 * ((mcuCount_ + bands_ - 1) / bands_), 1, bufferBytes / mcuBytes + 1);
    follower_->copyTables(leader_);
    starts_ = workspace.mcuStarts(size_t(bufferMcus_) + 1);
    for (int32_t buffer = 0; buffer < DecodeWorkspace::bandBufferCount; ++buffer)
        buffers_[buffer] = workspace.bandBuffer(buffer, size_t(mcuBlocks(bufferMcus_) * 64));
}

int64_t BandDecoder::endBit(int32_t band) const
{
    return band + 1 == bands_ ? std::numeric_limits<int64_t>::max() : bitOfByte(bandByte(band + 1));
}

bool BandDecoder::endsBand(const tdec& reader, int32_t band, int64_t mcu) const
{
    return mcu >= mcuCount_ || reader.bitsRead() >= endBit(band);
}

bool BandDecoder::run()
{
    std::thread follower;
    try {
        follower = std::thread([this] {
            const StageWorker timing;
            follow();
        });
        followerRunning_ = true;
    } catch (const std::system_error&) {
    }
    workspace_.path = followerRunning_ ? DecodePath::bands : DecodePath::oneThread;
    const bool decoded = lead();
    queue_.finishAll();
    verdicts_.send({bands_, Verdict::stop});
    if (follower.joinable())
        follower.join();
    return decoded;
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
    LedBand state{band, leaderBuffer + leaderParity_, mcu, followerRunning_};
    queue_.finishBuffer(state.buffer);
    const LeadEnd end = decodeLeading(state, mcu);
    if (end != LeadEnd::met)
        return end == LeadEnd::bandEnded;
    return takeFollowersEnd(band, mcu);
}

// Decodes until the band ends, the second reader is met, or a block cannot
// be decoded, and hands what it decoded over. Once past the band's middle
// it looks for the second reader at every MCU.
LeadEnd BandDecoder::decodeLeading(LedBand& state, int64_t& mcu)
{
    const int64_t middleBit = bitOfByte(middleByte(state.band));
    LeadEnd end = LeadEnd::bandEnded;
    int decoded = 0;
    while (!endsBand(leader_, state.band, mcu)) {
        if (state.looking && leader_.bitsRead() >= middleBit && meetsFollower(state, mcu)) {
            end = LeadEnd::met;
            break;
        }
        if (mcu - state.first == bufferMcus_)
            nextLeaderBuffer(state, mcu);
        decoded = rows_.decodeMcu(leader_, mcuSlot(state.buffer, mcu - state.first));
        if (decoded < layout().blocksPerMcu) {
            end = LeadEnd::failed;
            break;
        }
        ++mcu;
    }
    const int partial = end == LeadEnd::failed ? decoded : 0;
    queue_.handOver({mcuBlocks(state.first), mcuBlocks(mcu) + partial, buffers_[state.buffer], {}, state.buffer});
    leaderParity_ ^= 1;
    if (state.looking && end != LeadEnd::met)
        verdicts_.send({state.band, Verdict::abandoned});
    return end;
}

// Hands the full buffer over and goes on in the other from mcu.
void BandDecoder::nextLeaderBuffer(LedBand& state, int64_t mcu)
{
    queue_.handOver({mcuBlocks(state.first), mcuBlocks(mcu), buffers_[state.buffer], {}, state.buffer});
    leaderParity_ ^= 1;
    state.buffer = leaderBuffer + leaderParity_;
    queue_.finishBuffer(state.buffer);
    state.first = mcu;
}

// Whether the first reader, about to decode mcu, meets the second reader
// there; once it never will, it stops looking and abandons the band.
bool BandDecoder::meetsFollower(LedBand& state, int64_t mcu)
{
    const Search search = searchStarts(state, mcu);
    if (search == Search::found) {
        meet(state, mcu);
        return true;
    }
    if (search == Search::never) {
        verdicts_.send({state.band, Verdict::abandoned});
        state.looking = false;
    }
    return false;
}

Search BandDecoder::searchStarts(LedBand& state, int64_t mcu) const
{
    const RecordsMessage records = records_.latest();
    if (records.band != state.band)
        return Search::never;  // the second reader has not started this band: too late now
    const size_t count = records.content;
    const int64_t bit = leader_.bitsRead();
    while (state.nextStart < count && starts_[state.nextStart].bit < bit)
        ++state.nextStart;
    if (state.nextStart < count && starts_[state.nextStart].bit == bit)
        return startAgrees(state.nextStart, mcu) ? Search::found : Search::never;
    // Past every start noted so far: the second reader runs no faster, so
    // it would not catch up.
    return state.nextStart == count ? Search::never : Search::notYet;
}

// Without restart intervals any start the first reader reaches is a
// meeting. With them, the reader's state holds the countdown to the next
// marker as well, and its predictors reset there: only the second reader's
// first start, at a marker, is met, by the MCU that follows the marker.
bool BandDecoder::startAgrees(size_t start, int64_t mcu) const
{
    return interval_ == 0 || (start == 0 && mcu == followerFirstMcu_);
}

void BandDecoder::meet(const LedBand& state, int64_t mcu)
{
    const McuStart& start = starts_[state.nextStart];
    metMcu_ = mcu;
    metIndex_ = int64_t(state.nextStart);
    for (int i = 0; i < 3; ++i)
        dc_.component[i] = wrapSub(leader_.dcPred[i], start.dcPred[i]);
    verdicts_.send({state.band, Verdict::met});
}

// The second reader decodes the rest of the band; the state it ends in
// starts the next.
bool BandDecoder::takeFollowersEnd(int32_t band, int64_t& mcu)
{
    if (waitForOutcome(band) == Outcome::failed)
        return false;
    leader_.moveTo(endPosition_);
    std::copy_n(endDcPred_, 3, leader_.dcPred);
    leader_.restartCountdown = endRestartCountdown_;
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

void BandDecoder::follow()
{
    for (int32_t band = 0; band < bands_ && verdicts_.latest().content != Verdict::stop; ++band)
        if (!followBand(band))
            break;
    queue_.finishAll();
}

// Decodes the second half of a band: false once the decode has failed in
// it.
bool BandDecoder::followBand(int32_t band)
{
    if (verdictOn(band) != Verdict::none)
        return true;  // abandoned before it began
    const int64_t start = followerStart(band);
    if (start < 0)
        return true;  // the first reader decodes this band alone
    FollowedBand state{band, followerBuffer + followerParity_};
    queue_.finishBuffer(state.buffer);
    startReadingAt(start);
    follower_->restartCountdown = interval_;
    noteMcuStart(band, 0);
    if (speculate(state) == Verdict::abandoned)
        return true;
    McuFailure failure;
    for (const McuFailure& candidate : state.failures)
        if (failure.mcu < 0 && candidate.mcu >= metIndex_)
            failure = candidate;
    return endFollowedBand(state, decodeToBandEnd(state, failure));
}

// Decodes on from the middle, noting where each MCU starts, until the first
// reader gives its verdict: met or abandoned.
Verdict BandDecoder::speculate(FollowedBand& state)
{
    for (;;) {
        if (const Verdict verdict = verdictOn(state.band); verdict != Verdict::none)
            return verdict;
        if (!speculateOneMcu(state))
            return waitForVerdict(state.band);
    }
}

// Decodes the next MCU; false when there is nothing more to read until the
// first reader says where this is: the band's end is reached, the buffer is
// full, or the second failure came.
bool BandDecoder::speculateOneMcu(FollowedBand& state)
{
    tdec& reader = *follower_;
    if (reader.bitsRead() >= endBit(state.band) || state.next == bufferMcus_)
        return false;
    const int decoded = rows_.decodeMcu(reader, mcuSlot(state.buffer, state.next));
    if (decoded < layout().blocksPerMcu) {
        const bool first = state.failures[0].mcu < 0;
        state.failures[first ? 0 : 1] = {state.next, decoded};
        if (!first)
            return false;
        startReadingAt(std::min<int64_t>(reader.bytePos() + 1, length_));
    }
    noteMcuStart(state.band, ++state.next);
    return true;
}

// The byte the second reader starts the band from: its middle, or with
// restart intervals the first marker's data from there on; -1 when the
// band holds none.
int64_t BandDecoder::followerStart(int32_t band)
{
    if (interval_ == 0)
        return middleByte(band);
    const auto marker = std::lower_bound(restartStarts_.begin(), restartStarts_.end(), middleByte(band));
    if (marker == restartStarts_.end() || *marker >= bandByte(band + 1))
        return -1;
    followerFirstMcu_ = int64_t{interval_} * (marker - restartStarts_.begin() + 1);
    return followerFirstMcu_ < mcuCount_ ? *marker : -1;
}

// As if an MCU started at byte: the predictors at 0.
void BandDecoder::startReadingAt(int64_t byte)
{
    follower_->startScan(scan_, length_, int32_t(byte));
    follower_->resetPredictions();
}

void BandDecoder::noteMcuStart(int32_t band, int64_t n)
{
    McuStart& start = starts_[size_t(n)];
    start.bit = follower_->bitsRead();
    std::copy_n(follower_->dcPred, 3, start.dcPred);
    records_.post({band, static_cast<uint32_t>(n + 1)});
}

Verdict BandDecoder::verdictOn(int32_t band) const { return verdictOnBand(verdicts_.latest(), band); }

Verdict BandDecoder::waitForVerdict(int32_t band)
{
    for (;;) {
        const VerdictMessage seen = verdicts_.latest();
        if (const Verdict verdict = verdictOnBand(seen, band); verdict != Verdict::none)
            return verdict;
        if (!queue_.finishPiece())
            verdicts_.waitPast(seen);
    }
}

// After the meeting: decodes to the band's end unless the failure came
// before it.
McuFailure BandDecoder::decodeToBandEnd(FollowedBand& state, McuFailure failure)
{
    tdec& reader = *follower_;
    state.first = metIndex_;
    while (failure.mcu < 0 && !endsBand(reader, state.band, pictureMcu(state.next))) {
        if (state.next - state.base == bufferMcus_) {
            handOverFollowed(state, state.next, 0);
            state.buffer = followerBuffer + followerParity_;
            queue_.finishBuffer(state.buffer);
            state.base = state.first = state.next;
        }
        const int decoded = rows_.decodeMcu(reader, mcuSlot(state.buffer, state.next - state.base));
        if (decoded < layout().blocksPerMcu)
            failure = {state.next, decoded};
        else
            ++state.next;
    }
    return failure;
}

// Hands the band's last blocks over and tells the first reader how the
// band ended: false when the decode fails in it. A failure past the
// picture's last MCU is none of the picture's.
bool BandDecoder::endFollowedBand(FollowedBand& state, const McuFailure& failure)
{
    const int64_t end = pictureMcu(failure.mcu >= 0 ? failure.mcu : state.next);
    const bool failedHere = failure.mcu >= 0 && end < mcuCount_;
    endMcu_ = std::min(end, mcuCount_);
    endPosition_ = follower_->position();
    endRestartCountdown_ = follower_->restartCountdown;
    for (int i = 0; i < 3; ++i)
        endDcPred_[i] = wrapAdd(follower_->dcPred[i], dc_.component[i]);
    handOverFollowed(state, metIndex_ + endMcu_ - metMcu_, failedHere ? failure.blocks : 0);
    outcomes_.send({state.band, failedHere ? Outcome::failed : Outcome::ended});
    return !failedHere;
}

// Hands over MCUs first..to-1, and `blocks` blocks of MCU to.
void BandDecoder::handOverFollowed(FollowedBand& state, int64_t to, int blocks)
{
    queue_.handOver({mcuBlocks(pictureMcu(state.first)), mcuBlocks(pictureMcu(to)) + blocks,
                     buffers_[state.buffer] + mcuBlocks(state.first - state.base) * 64, dc_, state.buffer});
    followerParity_ ^= 1;
}

}  // namespace bands

bool decodeInBands(tdec& reader, const McuRows& rows, const std::vector<int32_t>& restartStarts, int32_t bandCount,
                   DecodeWorkspace& workspace)
{
    return bands::BandDecoder(reader, rows, restartStarts, bandCount, workspace).run();
}
