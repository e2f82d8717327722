#include "jpeg/scan_bands.h"

#include <algorithm>
#include <atomic>
#include <deque>
#include <limits>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>

#include "jpeg/entropy.h"

int32_t scanBandCount = 0;

namespace {

int32_t wrapAdd(int32_t a, int32_t b) { return static_cast<int32_t>(uint32_t(a) + uint32_t(b)); }
int32_t wrapSub(int32_t a, int32_t b) { return static_cast<int32_t>(uint32_t(a) - uint32_t(b)); }

// Messages about a band carry band + 1 in their upper bits, so that one
// about an earlier band is never taken for the current one.
constexpr int64_t message(int32_t band, int64_t value) { return (int64_t{band} + 1) << 32 | value; }
constexpr bool isAbout(int64_t message, int32_t band) { return message >> 32 == int64_t{band} + 1; }
constexpr bool isPast(int64_t message, int32_t band) { return message >> 32 > int64_t{band} + 1; }
constexpr int64_t valueOf(int64_t message) { return message & 0xffffffff; }

// What the first reader tells the second about a band, and back.
enum : int64_t { met = 1, abandoned = 2 };
enum : int64_t { ended = 1, failed = 2 };
// The second reader's published record count has this bit set once it
// will add no more records to the band.
constexpr int64_t stoppedRecording = int64_t{1} << 31;

// Each reader decodes a band into one of its two buffers while the blocks
// of the band before may still wait in the other.
constexpr int leaderBuffer = 0, followerBuffer = 2, bufferCount = DecodeWorkspace::bandBufferCount;

// Decoded blocks waiting to be transformed and stored: blocks from..to-1
// of the picture, counted over all MCUs, stored one after the other from
// first.
struct BlockRange {
    int64_t from = 0, to = 0;
    int32_t* first = nullptr;
    DcOffset dc;
    int32_t buffer = 0;
};

class BandDecoder {
public:
    BandDecoder(const McuRows& rows, DecodeWorkspace& workspace);

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

    // Either reader hands its decoded blocks over; whichever has to wait
    // transforms and stores them meanwhile, a row at most at a time. Each
    // MCU row is converted once both readers have stored their part of it.
    void handOver(const BlockRange& range);
    bool finishPiece();
    void finishBuffer(int32_t buffer);
    void finishAll();

    // The first reader, on the calling thread.
    bool lead();
    bool leadBand(int32_t band, int64_t& mcu);
    int lookForMeeting(int32_t band, int64_t mcu);
    void tellFollower(int32_t band, int64_t verdict);
    void stopFollower();
    int64_t waitForOutcome(int32_t band);

    // The second reader.
    void follow();
    bool followBand(int32_t band);
    void speculateFrom(int32_t band, int64_t byte, int64_t n);
    int64_t verdictOn(int32_t band) const;
    int64_t waitForVerdict(int32_t band);
    void record(int64_t n);
    void publish(int32_t band, int64_t count, bool stopped);
    void tellLeader(int32_t band, int64_t outcome);

    const McuRows& rows_;
    const int64_t mcuCount_;
    const int32_t length_;
    int32_t bands_ = 1;
    // The most MCUs a buffer holds. Where a few bytes hold many MCUs, a
    // reader hands its blocks over a buffer at a time.
    int64_t bufferMcus_ = 0;
    int32_t leaderParity_ = 0;  // the buffer each reader decodes into next
    int32_t followerParity_ = 0;
    tdec& leader_;
    std::unique_ptr<tdec> follower_ = std::make_unique<tdec>();
    int32_t* buffers_[bufferCount] = {};
    // Where the second reader's MCUs of the current band start, until the
    // readers meet.
    McuStart* starts_ = nullptr;
    bool followerRunning_ = false;
    std::atomic<bool> stop_{false};

    std::mutex queueMutex_;
    std::deque<BlockRange> queue_;
    std::atomic<int64_t> unfinished_[bufferCount] = {};  // blocks of each buffer still to finish
    std::unique_ptr<std::atomic<int64_t>[]> storedInRow_;

    // The first reader's search through starts_ for the current band.
    size_t nextStart_ = 0;

    // Second to first: the records of the current band, and how it ended.
    std::atomic<int64_t> published_{0};
    std::atomic<int64_t> outcome_{0};
    int64_t endMcu_ = 0;
    ScanPosition endPosition_;
    int32_t endDcPred_[3] = {};

    // First to second: whether and where they met. The second reader's
    // MCU metIndex_ is the picture's MCU metMcu_, and its blocks take dc_.
    std::atomic<int64_t> verdict_{0};
    int64_t metMcu_ = 0;
    int64_t metIndex_ = 0;
    DcOffset dc_;
};

BandDecoder::BandDecoder(const McuRows& rows, DecodeWorkspace& workspace)
    : rows_(rows),
      mcuCount_(rows.mcuCount()),
      length_(decoder.image.scanLength),
      leader_(decoder),
      storedInRow_(std::make_unique<std::atomic<int64_t>[]>(size_t(rows.layout().rows)))
{
    // Bands of a dozen MCU rows or so keep each reader's coefficients in
    // the cache and the hand-overs few; at most 8 MiB of coefficients each
    // on average.
    const int64_t mcuBytes = mcuBlocks(1) * 64 * int64_t{sizeof(int32_t)};
    const int64_t bands = std::max<int64_t>({layout().rows / 12, mcuCount_ * mcuBytes >> 23, 1});
    bands_ = scanBandCount > 0 ? scanBandCount : int32_t(std::min<int64_t>(bands, mcuCount_));
    bufferMcus_ = std::clamp<int64_t>(2 * ((mcuCount_ + bands_ - 1) / bands_), 1, (int64_t{8} << 20) / mcuBytes + 1);
    follower_->copyTables(leader_);
    starts_ = workspace.mcuStarts(size_t(bufferMcus_) + 1);
    for (int32_t buffer = 0; buffer < bufferCount; ++buffer)
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

void BandDecoder::handOver(const BlockRange& range)
{
    if (range.from >= range.to)
        return;
    unfinished_[range.buffer].fetch_add(range.to - range.from, std::memory_order_relaxed);
    const std::lock_guard<std::mutex> lock(queueMutex_);
    queue_.push_back(range);
}

// Transforms and stores the oldest piece waiting, up to the end of its MCU
// row; false when none waits.
bool BandDecoder::finishPiece()
{
    BlockRange piece;
    {
        const std::lock_guard<std::mutex> lock(queueMutex_);
        if (queue_.empty())
            return false;
        BlockRange& oldest = queue_.front();
        piece = oldest;
        const int64_t rowBlocks = rows_.blocksPerRow();
        piece.to = std::min(oldest.to, (oldest.from / rowBlocks + 1) * rowBlocks);
        oldest.first += (piece.to - oldest.from) * 64;
        oldest.from = piece.to;
        if (oldest.from == oldest.to)
            queue_.pop_front();
    }
    const auto row = int32_t(piece.from / rows_.blocksPerRow());
    const int64_t rowStart = int64_t{row} * rows_.blocksPerRow();
    rows_.finishBlocks(row, piece.first, piece.from - rowStart, piece.to - rowStart, piece.dc);
    const int64_t count = piece.to - piece.from;
    if (storedInRow_[size_t(row)].fetch_add(count, std::memory_order_acq_rel) + count == rows_.blocksPerRow())
        rows_.convertRow(row);
    std::atomic<int64_t>& unfinished = unfinished_[piece.buffer];
    if (unfinished.fetch_sub(count, std::memory_order_acq_rel) == count)
        unfinished.notify_all();
    return true;
}

// Returns once every block handed over from buffer is finished.
void BandDecoder::finishBuffer(int32_t buffer)
{
    std::atomic<int64_t>& unfinished = unfinished_[buffer];
    for (int64_t left = unfinished.load(std::memory_order_acquire); left > 0;
         left = unfinished.load(std::memory_order_acquire))
        if (!finishPiece())
            unfinished.wait(left, std::memory_order_acquire);
}

void BandDecoder::finishAll()
{
    for (int32_t buffer = 0; buffer < bufferCount; ++buffer)
        finishBuffer(buffer);
}

bool BandDecoder::run()
{
    std::thread follower;
    try {
        follower = std::thread([this] { follow(); });
        followerRunning_ = true;
    } catch (const std::system_error&) {
    }
    const bool decoded = lead();
    finishAll();
    stopFollower();
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

// Decodes from mcu until the second reader is met or the band ends, and
// takes the state the band ends in.
bool BandDecoder::leadBand(int32_t band, int64_t& mcu)
{
    const int64_t middleBit = bitOfByte(middleByte(band));
    nextStart_ = 0;
    bool looking = followerRunning_;
    bool meeting = false;
    int decoded = layout().blocksPerMcu;
    int32_t buffer = leaderBuffer + leaderParity_;
    finishBuffer(buffer);
    int64_t first = mcu;  // the first MCU in buffer
    while (!endsBand(leader_, band, mcu)) {
        if (looking && leader_.bitsRead() >= middleBit) {
            const int found = lookForMeeting(band, mcu);
            if (found > 0) {
                meeting = true;
                break;
            }
            if (found < 0) {
                tellFollower(band, abandoned);
                looking = false;
            }
        }
        if (mcu - first == bufferMcus_) {
            handOver({mcuBlocks(first), mcuBlocks(mcu), buffers_[buffer], {}, buffer});
            leaderParity_ ^= 1;
            buffer = leaderBuffer + leaderParity_;
            finishBuffer(buffer);
            first = mcu;
        }
        decoded = rows_.decodeMcu(leader_, mcuSlot(buffer, mcu - first));
        if (decoded < layout().blocksPerMcu)
            break;
        ++mcu;
    }
    const bool failure = decoded < layout().blocksPerMcu;
    handOver({mcuBlocks(first), mcuBlocks(mcu) + (failure ? decoded : 0), buffers_[buffer], {}, buffer});
    leaderParity_ ^= 1;
    if (looking && !meeting)
        tellFollower(band, abandoned);
    if (failure || !meeting)
        return !failure;
    if (waitForOutcome(band) == failed)
        return false;
    leader_.moveTo(endPosition_);
    std::copy_n(endDcPred_, 3, leader_.dcPred);
    mcu = endMcu_;
    return true;
}

// mcu: the MCU the first reader is about to decode. 1 when it starts where
// one of the second reader's MCUs started; -1 when it can no longer; 0 when
// it may yet.
int BandDecoder::lookForMeeting(int32_t band, int64_t mcu)
{
    const int64_t published = published_.load(std::memory_order_acquire);
    if (!isAbout(published, band))
        return -1;  // the second reader has not started this band: too late now
    const auto count = size_t(valueOf(published) & (stoppedRecording - 1));
    const int64_t bit = leader_.bitsRead();
    while (nextStart_ < count && starts_[nextStart_].bit < bit)
        ++nextStart_;
    if (nextStart_ < count && starts_[nextStart_].bit == bit) {
        metMcu_ = mcu;
        metIndex_ = int64_t(nextStart_);
        for (int i = 0; i < 3; ++i)
            dc_.component[i] = wrapSub(leader_.dcPred[i], starts_[nextStart_].dcPred[i]);
        tellFollower(band, met);
        return 1;
    }
    // Past every start noted so far: the second reader runs no faster, so
    // it would not catch up.
    return nextStart_ == count ? -1 : 0;
}

void BandDecoder::tellFollower(int32_t band, int64_t verdict)
{
    verdict_.store(message(band, verdict), std::memory_order_release);
    verdict_.notify_one();
}

// Whatever band the second reader is in, it gives it up.
void BandDecoder::stopFollower()
{
    stop_.store(true, std::memory_order_relaxed);
    tellFollower(-1, abandoned);
}

int64_t BandDecoder::waitForOutcome(int32_t band)
{
    for (int64_t outcome = outcome_.load(std::memory_order_acquire);; outcome = outcome_.load(std::memory_order_acquire)) {
        if (isAbout(outcome, band))
            return valueOf(outcome);
        if (!finishPiece())
            outcome_.wait(outcome, std::memory_order_acquire);
    }
}

void BandDecoder::follow()
{
    for (int32_t band = 0; band < bands_ && !stop_.load(std::memory_order_relaxed); ++band)
        if (!followBand(band))
            break;
    finishAll();
}

// Decodes the second half of a band: returns false once the decode has
// failed in it.
bool BandDecoder::followBand(int32_t band)
{
    if (verdictOn(band) != 0)
        return true;  // abandoned before it began
    int32_t buffer = followerBuffer + followerParity_;
    finishBuffer(buffer);
    tdec& reader = *follower_;
    const int blocksPerMcu = layout().blocksPerMcu;
    speculateFrom(band, middleByte(band), 0);
    // A failure before the readers meet may come of starting between two
    // MCUs; it reads on from the next byte, once. Which failure, if any,
    // is the picture's, the meeting tells: the first at or after it.
    int64_t failures[2] = {-1, -1};
    int failedBlocks[2] = {};
    int64_t n = 0;  // the MCU about to be decoded, counted from the middle
    for (;;) {
        const int64_t verdict = verdictOn(band);
        if (verdict == abandoned)
            return true;
        if (verdict == met)
            break;
        if (reader.bitsRead() < endBit(band) && n < bufferMcus_) {
            const int decoded = rows_.decodeMcu(reader, mcuSlot(buffer, n));
            if (decoded == blocksPerMcu) {
                speculateFrom(band, -1, ++n);
                continue;
            }
            const int f = failures[0] < 0 ? 0 : 1;
            failures[f] = n;
            failedBlocks[f] = decoded;
            if (f == 0) {
                speculateFrom(band, std::min<int64_t>(reader.bytePos() + 1, length_), ++n);
                continue;
            }
        }
        // Nothing more to read until the first reader says where this is.
        publish(band, n + 1, true);
        if (waitForVerdict(band) == abandoned)
            return true;
        break;
    }
    int64_t failure = -1;
    int decoded = 0;
    for (int f = 0; f < 2 && failure < 0; ++f)
        if (failures[f] >= metIndex_) {
            failure = failures[f];
            decoded = failedBlocks[f];
        }
    // From here the picture's MCU of n is metMcu_ + n - metIndex_.
    int64_t first = metIndex_;  // the first of the picture's MCUs in buffer
    int64_t base = 0;           // the MCU in the buffer's first slot
    const auto handOverUntil = [&](int64_t to, int blocks) {
        handOver({mcuBlocks(metMcu_ + first - metIndex_), mcuBlocks(metMcu_ + to - metIndex_) + blocks,
                  buffers_[buffer] + mcuBlocks(first - base) * 64, dc_, buffer});
        followerParity_ ^= 1;
    };
    while (failure < 0 && !endsBand(reader, band, metMcu_ + n - metIndex_)) {
        if (n - base == bufferMcus_) {
            handOverUntil(n, 0);
            buffer = followerBuffer + followerParity_;
            finishBuffer(buffer);
            base = first = n;
        }
        decoded = rows_.decodeMcu(reader, mcuSlot(buffer, n - base));
        if (decoded < blocksPerMcu)
            failure = n;
        else
            ++n;
    }
    const int64_t end = metMcu_ + (failure >= 0 ? failure : n) - metIndex_;
    const bool failedHere = failure >= 0 && end < mcuCount_;
    endMcu_ = std::min(end, mcuCount_);
    endPosition_ = reader.position();
    for (int i = 0; i < 3; ++i)
        endDcPred_[i] = wrapAdd(reader.dcPred[i], dc_.component[i]);
    handOverUntil(metIndex_ + endMcu_ - metMcu_, failedHere ? decoded : 0);
    tellLeader(band, failedHere ? failed : ended);
    return !failedHere;
}

// Notes where MCU n starts and publishes it; from byte `byte`, with the
// predictors at 0, unless byte is -1.
void BandDecoder::speculateFrom(int32_t band, int64_t byte, int64_t n)
{
    if (byte >= 0) {
        follower_->startScan(leader_.scanData, length_, int32_t(byte));
        follower_->dcPred[0] = follower_->dcPred[1] = follower_->dcPred[2] = 0;
    }
    record(n);
    publish(band, n + 1, false);
}

// The first reader's verdict on a band: 0 while it has none. A verdict on
// a later band means this one is abandoned.
int64_t BandDecoder::verdictOn(int32_t band) const
{
    if (stop_.load(std::memory_order_relaxed))
        return abandoned;
    const int64_t verdict = verdict_.load(std::memory_order_acquire);
    if (isAbout(verdict, band))
        return valueOf(verdict);
    return isPast(verdict, band) ? int64_t{abandoned} : 0;
}

int64_t BandDecoder::waitForVerdict(int32_t band)
{
    for (;;) {
        const int64_t verdict = verdict_.load(std::memory_order_acquire);
        if (const int64_t on = verdictOn(band); on != 0)
            return on;
        if (!finishPiece())
            verdict_.wait(verdict, std::memory_order_acquire);
    }
}

void BandDecoder::record(int64_t n)
{
    McuStart& start = starts_[size_t(n)];
    start.bit = follower_->bitsRead();
    std::copy_n(follower_->dcPred, 3, start.dcPred);
}

void BandDecoder::publish(int32_t band, int64_t count, bool stopped)
{
    published_.store(message(band, count | (stopped ? stoppedRecording : 0)), std::memory_order_release);
}

void BandDecoder::tellLeader(int32_t band, int64_t outcome)
{
    outcome_.store(message(band, outcome), std::memory_order_release);
    outcome_.notify_one();
}

} // namespace

bool decodeInBands(const McuRows& rows, DecodeWorkspace& workspace) { return BandDecoder(rows, workspace).run(); }
