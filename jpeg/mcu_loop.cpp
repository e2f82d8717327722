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

    // Entropy-decodes the next MCU row into blocks. Returns how many blocks were decoded: blocksPerRow(), or fewer when
    // one cannot be.
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
        for (int64_t n = from; n < to; ++n) {
            const BlockPlace& place = places_[size_t(n % layout_.blocksPerMcu)];
            const auto mc = int32_t(n / layout_.blocksPerMcu);
            const int i = place.i;
            int32_t* block = blocks + n * 64;
            idctActive[decoder.image.component[i].quantTable]->transform(block);
            storeBlock(block, i, layout_.v[i] * mr + place.v, layout_.h[i] * mc + place.h, layout_.sx[i],
                       layout_.sy[i]);
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
// thread decodes MCU rows into a ring of coefficient rows while a worker
// transforms and stores the rows behind it. Each block is transformed
// exactly as on one thread, so the planes come out the same.
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
            worker = std::thread([this] { finishRows(); });
        } catch (const std::system_error&) {
            return decodeOnOneThread(layout_, rows_);
        }
        const bool decoded = decodeRows();
        worker.join();
        return decoded;
    }

private:
    static constexpr int32_t ringRows = 4;

    int32_t* ringRow(int32_t mr) { return &ring_[size_t(mr % ringRows) * size_t(rows_.blocksPerRow()) * 64]; }

    // The count of decoded rows and, in bit 0, whether decoding has ended;
    // when it ended inside a row, blocksInLastRow_ says how far it got.
    void publish(int32_t rows, bool ended)
    {
        progress_.store(int64_t{rows} * 2 + ended, std::memory_order_release);
        progress_.notify_one();
    }

    void waitForFreeRow(int32_t row)
    {
        for (int32_t done = finishedRows_.load(std::memory_order_acquire); done <= row - ringRows;
             done = finishedRows_.load(std::memory_order_acquire))
            finishedRows_.wait(done);
    }

    bool decodeRows()
    {
        for (int32_t mr = 0; mr < layout_.rows; ++mr) {
            waitForFreeRow(mr);
            const int64_t decoded = rows_.decodeRow(ringRow(mr));
            if (decoded < rows_.blocksPerRow()) {
                blocksInLastRow_ = decoded;
                publish(mr, true);
                return false;
            }
            publish(mr + 1, false);
        }
        publish(layout_.rows, true);
        return true;
    }

    void finishRows()
    {
        for (int32_t mr = 0;; ++mr) {
            const int64_t progress = waitForProgress(mr);
            if (progress / 2 <= mr) {
                // Decoding ended before this row was complete: what there is
                // of it is stored as on one thread.
                if (mr < layout_.rows)
                    rows_.finishBlocks(mr, ringRow(mr), 0, blocksInLastRow_);
                return;
            }
            rows_.finishRow(mr, ringRow(mr));
            finishedRows_.store(mr + 1, std::memory_order_release);
            finishedRows_.notify_one();
        }
    }

    // Waits until row mr is decoded or decoding has ended.
    int64_t waitForProgress(int32_t mr)
    {
        for (;;) {
            const int64_t progress = progress_.load(std::memory_order_acquire);
            if (progress / 2 > mr || (progress & 1))
                return progress;
            progress_.wait(progress);
        }
    }

    const McuLayout& layout_;
    const McuRows& rows_;
    std::vector<int32_t>& ring_;
    int64_t blocksInLastRow_ = 0;  // written before the final publish, read after it
    std::atomic<int64_t> progress_{0};
    std::atomic<int32_t> finishedRows_{0};
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
