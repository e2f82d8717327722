#include "jpeg/frame/scan_schedule.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>

#include "jpeg/decode_options.h"
#include "jpeg/decode_stages.h"

namespace {

// An AC refinement reads every coefficient of its blocks, in vector loads,
// to find those already non-zero; it writes only its band.
bool readsWholeBlocks(const ScanShape& shape) { return shape.ah > 0 && shape.ss > 0; }

}  // namespace

bool scansOverlap(const ScanShape& earlier, const ScanShape& later)
{
    const bool shareCoefficients = earlier.ss <= later.se && later.ss <= earlier.se;
    if (!shareCoefficients && !readsWholeBlocks(earlier) && !readsWholeBlocks(later))
        return false;
    for (int32_t a = 0; a < earlier.count; ++a)
        for (int32_t b = 0; b < later.count; ++b)
            if (earlier.component[a] == later.component[b])
                return true;
    return false;
}

int32_t rowsDecoded(const FrameLayout& layout, const ScanShape& shape, int64_t mcus)
{
    if (shape.count > 1)
        return int32_t(std::min<int64_t>(mcus / layout.mcusWide, layout.mcusHigh));
    // One component: its own blocks in rows, one MCU each; a frame row
    // holds v of them, fewer at the bottom.
    const FrameComponent& c = layout.component[shape.component[0]];
    const int64_t blockRows = mcus / c.ownBlocksWide;
    return blockRows >= c.ownBlocksHigh ? layout.mcusHigh : int32_t(blockRows / c.v);
}

namespace {

enum class ScanState { waiting, running, ended };

// The shared state of one runScans, under one lock: which scans may start,
// how far each has come, which rows are handed out. Scans take a few
// milliseconds and rows a fraction of one, so a lock per report costs
// nothing that shows.
class Schedule {
public:
    Schedule(const FrameLayout& layout, const std::vector<ScanShape>& shapes, ScheduledWork& work)
        : layout_(layout), shapes_(shapes), work_(work), states_(shapes.size(), ScanState::waiting),
          rows_(shapes.size(), 0)
    {
    }

    // The part of one thread: scans while one may start, rows while one is
    // ready, waiting while neither is but either may come.
    void take()
    {
        std::unique_lock lock(mutex_);
        for (;;) {
            if (failed_)
                return;
            if (const size_t n = startableScan(); n < shapes_.size()) {
                states_[n] = ScanState::running;
                ++running_;
                lock.unlock();
                runScan(n);
                lock.lock();
                continue;
            }
            if (nextRow_ < layout_.mcusHigh && nextRow_ < rowsReady()) {
                const int32_t row = nextRow_++;
                lock.unlock();
                work_.finishRow(row);
                lock.lock();
                continue;
            }
            if (nextRow_ == layout_.mcusHigh)
                return;
            changed_.wait(lock);
        }
    }

    bool succeeded() const { return !failed_; }

private:
    class Progress final : public ScanProgress {
    public:
        Progress(Schedule& schedule, size_t n) : schedule_(schedule), n_(n) {}
        void reached(int64_t mcus) override { schedule_.report(n_, mcus); }

    private:
        Schedule& schedule_;
        const size_t n_;
    };

    void runScan(size_t n)
    {
        Progress progress(*this, n);
        bool ended = false;
        try {
            ended = work_.decodeScan(n, progress);
        } catch (const std::bad_alloc&) {
            // Not on this thread: the caller, decoding again, meets it.
        }
        const std::lock_guard lock(mutex_);
        // Rows it left undecoded stay as they are, as they would one scan
        // after another.
        states_[n] = ScanState::ended;
        --running_;
        rows_[n] = layout_.mcusHigh;
        failed_ = failed_ || !ended;
        changed_.notify_all();
    }

    // Wakes a waiting thread for each row that becomes ready, and none
    // while another scan still holds the rows back: with more threads than
    // cores, waking them all at every report costs more than the rows.
    void report(size_t n, int64_t mcus)
    {
        const int32_t rows = rowsDecoded(layout_, shapes_[n], mcus);
        const std::lock_guard lock(mutex_);
        if (rows <= rows_[n])
            return;
        const int32_t readyBefore = rowsReady();
        rows_[n] = rows;
        for (int32_t row = readyBefore; row < rowsReady(); ++row)
            changed_.notify_one();
    }

    // The first waiting scan whose overlapping predecessors have ended;
    // shapes_.size() when there is none. No more scans run at once than
    // there are cores: with more threads than that, the extra ones would
    // take the cores from the scans every row waits for.
    size_t startableScan() const
    {
        if (running_ >= maxRunningScans_)
            return shapes_.size();
        for (size_t n = 0; n < shapes_.size(); ++n) {
            if (states_[n] != ScanState::waiting)
                continue;
            bool ready = true;
            for (size_t m = 0; m < n && ready; ++m)
                ready = states_[m] == ScanState::ended || !scansOverlap(shapes_[m], shapes_[n]);
            if (ready)
                return n;
        }
        return shapes_.size();
    }

    int32_t rowsReady() const
    {
        return rows_.empty() ? layout_.mcusHigh : *std::min_element(rows_.begin(), rows_.end());
    }

    const FrameLayout& layout_;
    const std::vector<ScanShape>& shapes_;
    ScheduledWork& work_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<ScanState> states_;
    std::vector<int32_t> rows_;  // each scan's rows decoded
    int32_t nextRow_ = 0;        // the first row not handed out
    bool failed_ = false;
    uint32_t running_ = 0;  // scans
    const uint32_t maxRunningScans_ = uint32_t(coreCount());
};

}  // namespace

bool runScans(const FrameLayout& layout, const std::vector<ScanShape>& shapes, int32_t threads, ScheduledWork& work)
{
    Schedule schedule(layout, shapes, work);
    std::vector<std::thread> workers;
    // As many as there is work for at once; a thread the system does not
    // give leaves its part to the others.
    const auto wanted = size_t(std::max(threads, 1) - 1);
    try {
        while (workers.size() < wanted)
            workers.emplace_back([&schedule] {
                const StageWorker timing;
                schedule.take();
            });
    } catch (const std::system_error&) {
    }
    schedule.take();
    for (std::thread& worker : workers)
        worker.join();
    return schedule.succeeded();
}
