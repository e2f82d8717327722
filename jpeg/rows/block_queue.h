#pragma once

#include <atomic>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>

#include "base/wait_word.h"
#include "jpeg/decode_workspace.h"
#include "jpeg/rows/mcu_rows.h"

namespace bands {

// Decoded blocks waiting to be transformed and stored: blocks from..to-1
// of the picture, counted over all MCUs, stored one after the other from
// first, in band buffer `buffer`.
struct BlockRange {
    int64_t from = 0, to = 0;
    int32_t* first = nullptr;
    DcOffset dc;
    int32_t buffer = 0;
};

// The blocks that the readers of a scan split into bands hand over to be
// finished: transformed, stored, and each MCU row converted once every
// reader has stored its part of it. Any of their threads finishes blocks
// whenever it would otherwise wait, a row at most at a time, oldest first.
class BlockQueue {
public:
    explicit BlockQueue(const McuRows& rows);

    // Queues range; its blocks must stay untouched until finishBuffer
    // returns for its buffer.
    void handOver(const BlockRange& range);
    // Finishes the oldest piece waiting, up to the end of its MCU row;
    // false when none waits.
    bool finishPiece();
    // Returns once every block handed over from buffer is finished, and
    // the buffer free to be written again.
    void finishBuffer(int32_t buffer);
    void finishAll();

private:
    const McuRows& rows_;
    // Held by either thread while it queues a range or takes a piece of
    // the oldest: the lock orders the blocks' coefficients, written before
    // handOver, before the finishing thread reads them.
    std::mutex mutex_;
    std::deque<BlockRange> queue_;
    // Blocks of each buffer still to finish: raised before they are
    // queued, by the buffer's reader or by the reader that adopted its
    // MCUs before it sends the verdict adopted, lowered (acq_rel) by
    // whichever thread finished them. The buffer's reader waits (acquire)
    // for 0 before it writes the buffer again, so every read of the old
    // blocks comes first.
    WaitWord<int64_t> unfinished_[DecodeWorkspace::bandBufferCount];
    // Blocks of each MCU row stored, raised (acq_rel) after each store: the
    // thread that completes a row has seen every store to it, and converts it.
    std::unique_ptr<std::atomic<int64_t>[]> storedInRow_;
};

}  // namespace bands
