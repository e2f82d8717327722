#include "jpeg/mcu_loop.h"

#include <algorithm>
#include <atomic>
#include <system_error>
#include <thread>
#include <vector>

#include "idct/tidct.h"
#include "jpeg/block_store.h"
#include "jpeg/colour.h"
#include "jpeg/entropy.h"
#include "jpeg/picture.h"

int32_t decodeThreads = std::thread::hardware_concurrency() > 1 ? 2 : 1;

namespace {

int32_t ceilDiv(int32_t value, int32_t divisor) { return value / divisor + (value % divisor != 0); }

// Where the n-th block of an MCU goes: components in identifier order, then
// rows, then columns, as the scan interleaves them.
struct BlockPlace {
    int i, v, h;
};

// One MCU row's blocks, MCU after MCU, each MCU's blocks in place order.
class McuRows {
public:
    McuRows(const McuLayout& layout, RowColour colour)
        : layout_(layout), colour_(colour), blocksPerRow_(int64_t{layout.cols} * layout.blocksPerMcu)
    {
        for (int i = 0; i < 3; ++i)
            for (int v = 0; v < layout.v[i]; ++v)
                for (int h = 0; h < layout.h[i]; ++h) {
                    places_.push_back({i, v, h});
                    components_.push_back(i);
                }
    }

    int64_t blocksPerRow() const { return blocksPerRow_; }

    // Entropy-decodes the next MCU row into blocks. Returns how many blocks
    // were decoded: blocksPerRow(), or fewer when one cannot be.
    int64_t decodeRow(int32_t* blocks) const
    {
        const int count = layout_.blocksPerMcu;
        for (int64_t n = 0; n < blocksPerRow_; n += count) {
            const int decoded = decoder.prepareMcu(components_.data(), count, blocks + n * 64);
            if (decoded < count)
                return n + decoded;
            restartPoint();
        }
        return blocksPerRow_;
    }

    // Transforms and stores blocks from..to-1 of MCU row mr.
    void finishBlocks(int32_t mr, int32_t* blocks, int64_t from, int64_t to) const
    {
        // The MCU and the place in it move on by counting: two divisions
        // per block cost more than the store.
        auto mc = int32_t(from / layout_.blocksPerMcu);
        auto p = size_t(from % layout_.blocksPerMcu);
        for (int64_t n = from; n < to; ++n) {
            const BlockPlace& place = places_[p];
            const int i = place.i;
            int32_t* block = blocks + n * 64;
            idctActive[decoder.image.component[i].quantTable]->transform(block);
            storeBlock(block, i, layout_.v[i] * mr + place.v, layout_.h[i] * mc + place.h, layout_.sx[i],
                       layout_.sy[i]);
            if (++p == places_.size()) {
                p = 0;
                ++mc;
            }
        }
    }

    // Transforms and stores the whole of MCU row mr; while its samples are
    // still in the cache, converts the picture rows it completes.
    void finishRow(int32_t mr, int32_t* blocks) const
    {
        finishBlocks(mr, blocks, 0, blocksPerRow_);
        if (colour_ == RowColour::ycbcr)
            return;
        const int32_t rowsPerMcu = 8 * layout_.v[0];
        const int32_t first = mr * rowsPerMcu;
        convertPictureRows(first, std::min(rowsPerMcu, picture.height[0] - first));
    }

private:
    // Restart intervals count MCUs; the markers themselves were removed with
    // the stuffing, so the reader realigns and the predictors reset here.
    static void restartPoint()
    {
        const int32_t interval = decoder.image.restartInterval;
        if (interval == 0 || --decoder.restartCountdown > 0)
            return;
        decoder.restartCountdown = interval;
        decoder.alignToByte();
        decoder.dcPred[0] = decoder.dcPred[1] = decoder.dcPred[2] = 0;
    }

    const McuLayout& layout_;
    const RowColour colour_;
    const int64_t blocksPerRow_;
    std::vector<BlockPlace> places_;
    std::vector<int> components_;  // places_[n].i, as the entropy decoder takes them
};

// Coefficient rows for the next decode. The memory is kept from one decode
// to the next: fresh pages would cost a page fault each.
std::vector<int32_t>& coefficientRows(int64_t rows, int64_t blocksPerRow)
{
    static std::vector<int32_t> blocks;
    blocks.resize(size_t(rows * blocksPerRow * 64));
    return blocks;
}

bool decodeOnOneThread(const McuLayout& layout, const McuRows& rows)
{
    std::vector<int32_t>& blocks = coefficientRows(1, rows.blocksPerRow());
    for (int32_t mr = 0; mr < layout.rows; ++mr) {
        const int64_t decoded = rows.decodeRow(blocks.data());
        if (decoded < rows.blocksPerRow()) {
            rows.finishBlocks(mr, blocks.data(), 0, decoded);
            return false;
        }
        rows.finishRow(mr, blocks.data());
    }
    return true;
}

// Entropy decoding is sequential; everything after it is not. The calling
// thread decodes MCU rows into a ring of coefficient rows; a worker
// transforms, stores and converts decoded rows, oldest first, and so does
// the calling thread whenever the ring is full, so neither waits while the
// other has work it could take. Rows are finished whole by one thread or
// the other, each block exactly as on one thread, so the planes come out
// the same.
class McuPipeline {
public:
    McuPipeline(const McuLayout& layout, const McuRows& rows)
        : layout_(layout), rows_(rows), ring_(coefficientRows(ringRows, rows.blocksPerRow()))
    {
    }

    // Falls back to one thread when the system gives no second one: the
    // halves cannot run one after the other, the ring holds only a few rows.
    bool run()
    {
        std::thread worker;
        try {
            worker = std::thread([this] { finishAsWorker(); });
        } catch (const std::system_error&) {
            return decodeOnOneThread(layout_, rows_);
        }
        const bool decoded = decodeRows();
        while (finishNextRow()) {
        }
        worker.join();
        return decoded;
    }

private:
    static constexpr int32_t ringRows = 4;

    int32_t* ringRow(int32_t mr) { return &ring_[size_t(mr % ringRows) * size_t(rows_.blocksPerRow()) * 64]; }

    // The count of decoded rows and, in bit 0, whether decoding has ended.
    void publish(int32_t rows, bool ended)
    {
        progress_.store(int64_t{rows} * 2 + ended, std::memory_order_release);
        progress_.notify_one();
    }

    // Row mr reuses the slot of row mr - ringRows, which must be finished
    // first; rather than wait for it, this thread finishes rows itself.
    void waitForFreeSlot(int32_t mr)
    {
        if (mr < ringRows)
            return;
        std::atomic<int32_t>& slot = finishedInSlot_[mr % ringRows];
        for (int32_t last = slot.load(std::memory_order_acquire); last != mr - ringRows + 1;
             last = slot.load(std::memory_order_acquire))
            if (!finishNextRow())
                slot.wait(last, std::memory_order_acquire);
    }

    bool decodeRows()
    {
        for (int32_t mr = 0; mr < layout_.rows; ++mr) {
            waitForFreeSlot(mr);
            const int64_t decoded = rows_.decodeRow(ringRow(mr));
            if (decoded < rows_.blocksPerRow()) {
                // What there is of this row is stored as on one thread;
                // nobody else touches a row that is not wholly decoded.
                publish(mr, true);
                rows_.finishBlocks(mr, ringRow(mr), 0, decoded);
                return false;
            }
            publish(mr + 1, false);
        }
        publish(layout_.rows, true);
        return true;
    }

    // Claims the oldest decoded row nobody has claimed and finishes it;
    // false when there is none at the moment.
    bool finishNextRow()
    {
        const auto decodedRows = int32_t(progress_.load(std::memory_order_acquire) / 2);
        int32_t row = claimed_.load(std::memory_order_relaxed);
        do {
            if (row >= decodedRows)
                return false;
        } while (!claimed_.compare_exchange_weak(row, row + 1, std::memory_order_relaxed));
        rows_.finishRow(row, ringRow(row));
        std::atomic<int32_t>& slot = finishedInSlot_[row % ringRows];
        slot.store(row + 1, std::memory_order_release);
        slot.notify_one();
        return true;
    }

    void finishAsWorker()
    {
        for (;;) {
            const int64_t progress = progress_.load(std::memory_order_acquire);
            if (finishNextRow())
                continue;
            if (progress & 1)
                return;  // every row decoded is claimed, and no more will come
            progress_.wait(progress, std::memory_order_acquire);
        }
    }

    const McuLayout& layout_;
    const McuRows& rows_;
    std::vector<int32_t>& ring_;
    std::atomic<int64_t> progress_{0};
    std::atomic<int32_t> claimed_{0};  // rows handed out to be finished
    // For each ring slot, 1 + the last row finished in it.
    std::atomic<int32_t> finishedInSlot_[ringRows] = {};
};

// Below this many blocks a second thread costs more than it saves.
constexpr int64_t pipelineMinimumBlocks = 4096;

} // namespace

McuLayout McuLayout::of(const tjpgel& image)
{
    McuLayout layout;
    const ComponentSpec* component = image.component;
    layout.rows = ceilDiv(image.height, 8 * component[0].vSampling);
    layout.cols = ceilDiv(image.width, 8 * component[0].hSampling);
    for (int i = 0; i < 3; ++i) {
        layout.h[i] = component[i].hSampling;
        layout.v[i] = component[i].vSampling;
        layout.sx[i] = component[0].hSampling / component[i].hSampling;
        layout.sy[i] = component[0].vSampling / component[i].vSampling;
        layout.blocksPerMcu += layout.h[i] * layout.v[i];
    }
    return layout;
}

bool decodeMcus(const McuLayout& layout, RowColour colour)
{
    decoder.restartCountdown = decoder.image.restartInterval;
    const McuRows rows(layout, colour);
    const int64_t blocks = int64_t{layout.rows} * layout.cols * layout.blocksPerMcu;
    if (decodeThreads < 2 || blocks < pipelineMinimumBlocks || layout.rows < 2)
        return decodeOnOneThread(layout, rows);
    return McuPipeline(layout, rows).run();
}
