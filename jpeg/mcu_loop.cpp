#include "jpeg/mcu_loop.h"

#include <algorithm>
#include <atomic>
#include <system_error>
#include <thread>
#include <vector>

#include "idct/tidct.h"
#include "jpeg/block_store.h"
#include "jpeg/entropy.h"

int32_t decodeThreads = std::thread::hardware_concurrency() > 1 ? 2 : 1;

namespace {

int32_t ceilDiv(int32_t value, int32_t divisor) { return value / divisor + (value % divisor != 0); }

// Where the n-th block of an MCU goes: components in identifier order, then
// rows, then columns, as the scan interleaves them.
struct BlockPlace {
    int i, v, h;
};

std::vector<BlockPlace> blockPlaces(const McuLayout& layout)
{
    std::vector<BlockPlace> places;
    for (int i = 0; i < 3; ++i)
        for (int v = 0; v < layout.v[i]; ++v)
            for (int h = 0; h < layout.h[i]; ++h)
                places.push_back({i, v, h});
    return places;
}

// Restart intervals count MCUs; the markers themselves were removed with
// the stuffing, so the reader realigns and the predictors reset here.
void restartPoint()
{
    const int32_t interval = decoder.image.restartInterval;
    if (interval == 0 || --decoder.restartCountdown > 0)
        return;
    decoder.restartCountdown = interval;
    decoder.alignToByte();
    decoder.dcPred[0] = decoder.dcPred[1] = decoder.dcPred[2] = 0;
}

void finishBlock(int32_t* block, const McuLayout& layout, const BlockPlace& place, int32_t mr, int32_t mc)
{
    const int i = place.i;
    idctActive[decoder.image.component[i].quantTable]->transform(block);
    storeBlock(block, i, layout.v[i] * mr + place.v, layout.h[i] * mc + place.h, layout.sx[i], layout.sy[i]);
}

bool decodeOnOneThread(const McuLayout& layout, const std::vector<BlockPlace>& places)
{
    int32_t* block = decoder.block.get();
    for (int32_t mr = 0; mr < layout.rows; ++mr) {
        for (int32_t mc = 0; mc < layout.cols; ++mc) {
            for (const BlockPlace& place : places) {
                if (decoder.prepareBlock(place.i, block) != 0)
                    return false;
                finishBlock(block, layout, place, mr, mc);
            }
            restartPoint();
        }
    }
    return true;
}

// Entropy decoding is sequential; everything after it is not. The calling
// thread decodes MCU rows into a ring of coefficient rows while a worker
// transforms and stores the rows behind it. Each block is transformed
// exactly as on one thread, so the planes come out the same.
class McuPipeline {
public:
    McuPipeline(const McuLayout& layout, const std::vector<BlockPlace>& places)
        : layout_(layout), places_(places), blocksPerRow_(int64_t{layout.cols} * layout.blocksPerMcu),
          ring_(size_t(ringRows * blocksPerRow_ * 64))
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
            return decodeOnOneThread(layout_, places_);
        }
        const bool decoded = decodeRows();
        worker.join();
        return decoded;
    }

private:
    static constexpr int32_t ringRows = 4;

    int32_t* blockAt(int64_t n) { return &ring_[size_t(n % (ringRows * blocksPerRow_)) * 64]; }

    // The count of decoded blocks and, in bit 0, whether decoding has ended:
    // one atomic, so a waiting worker wakes for either news.
    void publish(int64_t blocks, bool ended)
    {
        progress_.store(blocks * 2 + ended, std::memory_order_release);
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
        int64_t n = 0;
        for (int32_t mr = 0; mr < layout_.rows; ++mr) {
            waitForFreeRow(mr);
            for (int32_t mc = 0; mc < layout_.cols; ++mc) {
                for (const BlockPlace& place : places_) {
                    if (decoder.prepareBlock(place.i, blockAt(n)) != 0) {
                        publish(n, true);
                        return false;
                    }
                    ++n;
                }
                restartPoint();
            }
            publish(n, false);
        }
        publish(n, true);
        return true;
    }

    void finishRows()
    {
        int64_t n = 0;
        for (int32_t mr = 0; mr < layout_.rows; ++mr) {
            for (const int64_t rowEnd = n + blocksPerRow_; n < rowEnd;) {
                const int64_t progress = progress_.load(std::memory_order_acquire);
                const int64_t available = std::min(progress / 2, rowEnd);
                if (n == available) {
                    if (progress & 1)
                        return;  // decoding stopped inside this row
                    progress_.wait(progress);
                    continue;
                }
                for (; n < available; ++n) {
                    const int64_t inRow = n % blocksPerRow_;
                    finishBlock(blockAt(n), layout_, places_[size_t(inRow % layout_.blocksPerMcu)], mr,
                                int32_t(inRow / layout_.blocksPerMcu));
                }
            }
            finishedRows_.store(mr + 1, std::memory_order_release);
            finishedRows_.notify_one();
        }
    }

    const McuLayout& layout_;
    const std::vector<BlockPlace>& places_;
    const int64_t blocksPerRow_;
    std::vector<int32_t> ring_;
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

bool decodeMcus(const McuLayout& layout)
{
    decoder.restartCountdown = decoder.image.restartInterval;
    const std::vector<BlockPlace> places = blockPlaces(layout);
    const int64_t blocks = int64_t{layout.rows} * layout.cols * layout.blocksPerMcu;
    if (decodeThreads < 2 || blocks < pipelineMinimumBlocks || layout.rows < 2)
        return decodeOnOneThread(layout, places);
    return McuPipeline(layout, places).run();
}
