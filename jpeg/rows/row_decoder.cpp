#include "jpeg/rows/row_decoder.h"

#include <algorithm>
#include <atomic>
#include <system_error>
#include <thread>

#include "base/wait_word.h"
#include "jpeg/decode_stages.h"
#include "jpeg/decode_workspace.h"
#include "jpeg/entropy/entropy.h"
#include "jpeg/rows/mcu_rows.h"
#include "jpeg/rows/scan_bands.h"

namespace {

int32_t ceilDiv(int32_t value, int32_t divisor) { return value / divisor + (value % divisor != 0); }

bool decodeOnOneThread(tdec& reader, const McuRows& rows, DecodeWorkspace& workspace)
{
    workspace.path = DecodePath::oneThread;
    int32_t* blocks = workspace.coefficientRows(1, rows.blocksPerRow());
    for (int32_t mr = 0; mr < rows.layout().rows; ++mr) {
        const int64_t decoded = rows.decodeRow(reader, blocks);
        if (decoded < rows.blocksPerRow()) {
            rows.finishBlocks(mr, blocks, 0, decoded);
            return false;
        }
        rows.finishRow(mr, blocks);
    }
    return true;
}

void makeFlat(int32_t* blocks, int count)
{
    std::fill_n(blocks, size_t(count) * 64, 0);
    for (int n = 0; n < count; ++n)
        blocks[n * 64] = tdec::levelShift;
}

// A file cut short ends inside its scan. What the data holds is decoded;
// the MCU that needs bits past its end is decoded from the zeros read there,
// and every MCU after it is left flat, all coefficients 0: the grey that
// other decoders show for the part of a picture that a file does not hold.
// A block that cannot be decoded fails the decode only while data remains.
bool decodeCutScan(tdec& reader, const McuRows& rows, DecodeWorkspace& workspace)
{
    const int64_t dataEnd = reader.bitsRead() + 8 * int64_t{reader.image.scanLength};
    const int count = rows.layout().blocksPerMcu;
    workspace.path = DecodePath::cutScan;
    int32_t* blocks = workspace.coefficientRows(1, rows.blocksPerRow());
    bool exhausted = false;
    for (int32_t mr = 0; mr < rows.layout().rows; ++mr) {
        for (int32_t mc = 0; mc < rows.layout().cols; ++mc) {
            int32_t* mcu = blocks + int64_t{mc} * count * 64;
            const int decoded = exhausted ? 0 : rows.decodeMcu(reader, mcu);
            exhausted = exhausted || reader.bitsRead() > dataEnd;
            if (decoded < count && !exhausted) {
                rows.finishBlocks(mr, blocks, 0, int64_t{mc} * count + decoded);
                return false;
            }
            if (decoded < count)
                makeFlat(mcu + int64_t{decoded} * 64, count - decoded);
        }
        rows.finishRow(mr, blocks);
    }
    return true;
}

// How far the calling thread has decoded, published in one word: the count
// of decoded rows times two, plus 1 once decoding has ended.
struct DecodeProgress {
    int32_t rows = 0;
    bool ended = false;

    constexpr int64_t pack() const { return int64_t{rows} * 2 + ended; }
    static constexpr DecodeProgress unpack(int64_t word) { return {int32_t(word / 2), (word & 1) != 0}; }
};
static_assert(DecodeProgress::unpack(DecodeProgress{INT32_MAX, true}.pack()).rows == INT32_MAX);

// Entropy decoding is sequential; everything after it is not. The calling
// thread decodes MCU rows into a ring of coefficient rows; a worker
// transforms, stores and converts decoded rows, oldest first, and so does
// the calling thread whenever the ring is full, so neither waits while the
// other has work it could take. Rows are finished whole by one thread or
// the other, each block exactly as on one thread, so the planes come out
// the same.
class McuPipeline {
public:
    McuPipeline(tdec& reader, const McuRows& rows, DecodeWorkspace& workspace)
        : reader_(reader), rows_(rows), workspace_(workspace),
          ring_(workspace.coefficientRows(ringRows, rows.blocksPerRow()))
    {
    }

    // Falls back to one thread when the system gives no second one: the
    // halves cannot run one after the other, the ring holds only a few rows.
    bool run()
    {
        std::thread worker;
        try {
            worker = std::thread([this] {
                const StageWorker timing;
                finishAsWorker();
            });
        } catch (const std::system_error&) {
            return decodeOnOneThread(reader_, rows_, workspace_);
        }
        workspace_.path = DecodePath::rowPipeline;
        const bool decoded = decodeRows();
        while (finishNextRow()) {
        }
        worker.join();
        return decoded;
    }

private:
    static constexpr int32_t ringRows = 4;

    int32_t* ringRow(int32_t mr) { return ring_ + size_t(mr % ringRows) * size_t(rows_.blocksPerRow()) * 64; }

    // The release hands the decoded rows' coefficients over with the count.
    void publish(int32_t rows, bool ended)
    {
        progress_.store(DecodeProgress{rows, ended}.pack());
        progress_.wakeAll();
    }

    // Row mr reuses the slot of row mr - ringRows, which must be finished
    // first; rather than wait for it, this thread finishes rows itself.
    void waitForFreeSlot(int32_t mr)
    {
        if (mr < ringRows)
            return;
        WaitWord<int32_t>& slot = finishedInSlot_[mr % ringRows];
        for (int32_t last = slot.load(); last != mr - ringRows + 1; last = slot.load())
            if (!finishNextRow())
                slot.waitWhile(last);
    }

    bool decodeRows()
    {
        const int32_t rowCount = rows_.layout().rows;
        for (int32_t mr = 0; mr < rowCount; ++mr) {
            waitForFreeSlot(mr);
            const int64_t decoded = rows_.decodeRow(reader_, ringRow(mr));
            if (decoded < rows_.blocksPerRow()) {
                // What there is of this row is stored as on one thread;
                // nobody else touches a row that is not wholly decoded.
                publish(mr, true);
                rows_.finishBlocks(mr, ringRow(mr), 0, decoded);
                return false;
            }
            publish(mr + 1, false);
        }
        publish(rowCount, true);
        return true;
    }

    // Claims the oldest decoded row nobody has claimed and finishes it;
    // false when there is none at the moment.
    bool finishNextRow()
    {
        const int32_t decodedRows = DecodeProgress::unpack(progress_.load()).rows;
        int32_t row = claimed_.load(std::memory_order_relaxed);
        do {
            if (row >= decodedRows)
                return false;
        } while (!claimed_.compare_exchange_weak(row, row + 1, std::memory_order_relaxed));
        rows_.finishRow(row, ringRow(row));
        WaitWord<int32_t>& slot = finishedInSlot_[row % ringRows];
        slot.store(row + 1);
        slot.wakeAll();
        return true;
    }

    void finishAsWorker()
    {
        for (;;) {
            const int64_t progress = progress_.load();
            if (finishNextRow())
                continue;
            if (DecodeProgress::unpack(progress).ended)
                return;  // every row decoded is claimed, and no more will come
            progress_.waitWhile(progress);
        }
    }

    tdec& reader_;
    const McuRows& rows_;
    DecodeWorkspace& workspace_;
    int32_t* const ring_;
    // A DecodeProgress: written by the calling thread (release) once the
    // rows it counts are in the ring, read by both threads (acquire)
    // before they finish any of those rows.
    WaitWord<int64_t> progress_;
    // Rows handed out to be finished: each thread claims the next with a
    // compare-exchange, so every row is finished once.
    std::atomic<int32_t> claimed_{0};
    // For each ring slot, 1 + the last row finished in it: written by the
    // thread that finished it (release), read by the calling thread
    // (acquire) before it decodes a new row into the slot.
    WaitWord<int32_t> finishedInSlot_[ringRows];
};

// Below this many blocks a second thread costs more than it saves.
constexpr int64_t pipelineMinimumBlocks = 4096;

}  // namespace

McuLayout McuLayout::of(const tjpgel& image)
{
    McuLayout layout;
    layout.colour = colourModelOf(image);
    if (layout.colour == ColourModel::grey) {
        layout.rows = ceilDiv(image.height, 8);
        layout.cols = ceilDiv(image.width, 8);
        layout.h[0] = layout.v[0] = layout.sx[0] = layout.sy[0] = layout.blocksPerMcu = 1;
        return layout;
    }
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

bool decodeMcus(tdec& reader, const McuRows& rows, ScanData data, const std::vector<int32_t>& restartStarts,
                const DecodeOptions& options)
{
    reader.restartCountdown = reader.image.restartInterval;
    DecodeWorkspace& workspace = *options.workspace;
    if (data == ScanData::cutShort)
        return decodeCutScan(reader, rows, workspace);
    const McuLayout& layout = rows.layout();
    const int64_t blocks = rows.mcuCount() * layout.blocksPerMcu;
    if (options.threads < 2 || blocks < pipelineMinimumBlocks || layout.rows < 2)
        return decodeOnOneThread(reader, rows, workspace);
    // In bands every thread shares the entropy decoding as well, and each
    // finishes what it decoded while it is in its own cache; handing MCU
    // rows over costs more, at every bitrate, once there are rows enough
    // for a dozen bands or so. Readers beyond the cores would only take
    // turns on them, and be abandoned for it.
    if (options.bandCount > 0)
        return decodeInBands(reader, rows, restartStarts, options.bandCount, options.threads, workspace);
    if (options.bandCount == 0 && layout.rows >= 48)
        return decodeInBands(reader, rows, restartStarts, 0, std::min(options.threads, coreCount()), workspace);
    return McuPipeline(reader, rows, workspace).run();
}
