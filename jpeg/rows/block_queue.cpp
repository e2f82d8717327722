#include "jpeg/rows/block_queue.h"

#include <algorithm>

namespace bands {

BlockQueue::BlockQueue(const McuRows& rows)
    : rows_(rows), storedInRow_(std::make_unique<std::atomic<int64_t>[]>(size_t(rows.layout().rows)))
{
}

void BlockQueue::handOver(const BlockRange& range)
{
    if (range.from >= range.to)
        return;
    unfinished_[range.buffer].fetchAdd(range.to - range.from, std::memory_order_relaxed);
    const std::lock_guard<std::mutex> lock(mutex_);
    queue_.push_back(range);
}

bool BlockQueue::finishPiece()
{
    BlockRange piece;
    {
        const std::lock_guard<std::mutex> lock(mutex_);
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
    WaitWord<int64_t>& unfinished = unfinished_[piece.buffer];
    if (unfinished.fetchSub(count, std::memory_order_acq_rel) == count)
        unfinished.wakeAll();
    return true;
}

void BlockQueue::finishBuffer(int32_t buffer)
{
    WaitWord<int64_t>& unfinished = unfinished_[buffer];
    for (int64_t left = unfinished.load(); left > 0; left = unfinished.load())
        if (!finishPiece())
            unfinished.waitWhile(left);
}

void BlockQueue::finishAll()
{
    for (int32_t buffer = 0; buffer < DecodeWorkspace::bandBufferCount; ++buffer)
        finishBuffer(buffer);
}

}  // namespace bands
