#include "jpeg/frame/frame_decoder.h"

#include <algorithm>
#include <array>
#include <memory>
#include <optional>
#include <system_error>
#include <thread>
#include <vector>

#include "idct/idct_slots.h"
#include "idct/tidct.h"
#include "jpeg/decode_stages.h"
#include "jpeg/decode_workspace.h"
#include "jpeg/driver.h"
#include "jpeg/entropy/coefficient_arithmetic.h"
#include "jpeg/entropy/entropy.h"
#include "jpeg/entropy/scan_decoder.h"
#include "jpeg/entropy/zigzag.h"
#include "jpeg/file/container.h"
#include "jpeg/file/markers.h"
#include "jpeg/file/result_codes.h"
#include "jpeg/frame/frame_layout.h"
#include "jpeg/frame/scan_schedule.h"
#include "jpeg/output/block_store.h"
#include "jpeg/output/colour.h"
#include "jpeg/output/picture.h"

namespace {

// Two bytes a coefficient: up to a gibibyte, what the largest picture of
// three full-resolution components takes and a little over.
constexpr int64_t maxFrameCoefficients = int64_t{1} << 29;

// Below this many blocks a second thread costs more than it saves.
constexpr int64_t twoThreadMinimumBlocks = 4096;

// Every scan goes over all the blocks of its components, however little
// data it holds: a small file of many scans could keep the decoder busy
// for minutes. Encoders' scripts go over a frame's blocks five or six times
// in all; scans past this many times are left out.
constexpr int64_t maxBlockVisitsPerBlock = 32;

bool progressive(const tjpgel& image) { return isProgressiveFrameMarker(uint8_t(image.frameMarker)); }

// The scan decoder's view of the scan header in image; nullopt-like count
// 0 when the header names components the frame lacks, twice, or coefficient
// ranges a scan of its kind cannot have (T.81 G.1.1.1.1).
ScanShape shapeOf(const tjpgel& image, const FrameLayout& layout)
{
    ScanShape shape;
    const int32_t count = image.scanComponentCount;
    if (count < 1 || count > 4 || image.scanSelectorCount != count)
        return {};
    for (int32_t s = 0; s < count; ++s) {
        shape.component[s] = layout.componentAt(image.scanComponent[s]);
        if (shape.component[s] < 0 || std::count(shape.component, shape.component + s, shape.component[s]) > 0)
            return {};
    }
    shape.count = count;
    if (!progressive(image))
        return shape;  // sequential: every coefficient, whatever the header says
    shape.ss = image.spectralStart;
    shape.se = image.spectralEnd;
    shape.ah = image.approxHigh;
    shape.al = image.approxLow;
    const bool dc = shape.ss == 0;
    if (shape.se > 63 || shape.ss > shape.se || (dc && shape.se != 0) || (!dc && count != 1) || shape.al > 13 ||
        shape.ah > 13)
        return {};
    return shape;
}

// A scan read ahead, to be decoded on any thread: its data and the tables
// in force at it, in a reader of its own.
struct PreparedScan {
    ScanShape shape;
    std::vector<uint8_t> data;  // the container's scanData: padding, then the reversed scan
    int32_t length = 0;
    std::vector<int32_t> restartStarts;
    DataEnd dataEnd = DataEnd::keep;
    std::unique_ptr<tdec> reader;
    std::unique_ptr<ScanDecoder> decoder;
};

// One decode of record, a frame of file, read through reader, which keeps
// the working copy of record's tables.
class FrameDecode final : private ScheduledWork {
public:
    FrameDecode(const tjpgel& record, tjpg& file, tdec& reader, DecodeWorkspace& workspace)
        : record_(record), file_(file), reader_(reader), workspace_(workspace), layout_(FrameLayout::of(record)),
          scans_(scanDecoderFor(record.frameMarker, reader))
    {
    }

    bool run(pctr& picture, int32_t threads)
    {
        if (threads >= 2 && layout_.coefficientCount() / 64 >= twoThreadMinimumBlocks) {
            if (const std::optional<bool> decoded = decodeOnThreads(picture, threads))
                return *decoded;
        }
        if (!decodeCoefficients())
            return false;
        buildIdcts(reader_.image);
        if (!picture.allocate(record_.width, record_.height))
            return false;
        picture_ = &picture;
        if (layout_.count == 4)
            fourth_ = workspace_.fourthPlane(size_t(picture.size[0]));
        finishRows(colourModelOf(record_), threads);
        picture.colourState = 0;
        return true;
    }

    bool visitBlocks(const FrameBlockVisitor& visit)
    {
        if (!decodeCoefficients())
            return false;
        alignas(64) int32_t terms[64];
        for (int32_t n = 0; n < layout_.count; ++n) {
            const FrameComponent& c = layout_.component[n];
            FrameBlock block{n, 0, 0, reader_.image.component[c.place].quantTable, terms};
            for (block.row = 0; block.row < c.ownBlocksHigh; ++block.row)
                for (block.column = 0; block.column < c.ownBlocksWide; ++block.column) {
                    prepareBlock(coefficientsOf(n, block.row, block.column), dcQuant_[n], terms);
                    visit(layout_, reader_.image, block);
                }
        }
        return true;
    }

private:
    // Every scan into the frame's coefficients, and the tables each
    // component is dequantised with into the reader's image.
    bool decodeCoefficients()
    {
        tjpgel& image = startWalk();
        return walkScans(image, [this](const ScanShape& shape) { return decodeExtracted(shape); }) &&
               latchMissingTables(image);
    }

    // Cleared coefficients, and the reader's image at the start of the
    // frame, for a walk over its scans.
    tjpgel& startWalk()
    {
        int16_t* all = workspace_.frameCoefficients(size_t(layout_.coefficientCount()));
        for (int32_t n = 0, offset = 0; n < layout_.count; offset += int32_t(layout_.blockCount(n) * 64), ++n)
            coefficients_[n] = all + offset;
        std::fill(std::begin(latched_), std::end(latched_), false);
        blockVisits_ = 0;
        tjpgel& image = reader_.image;
        image.assign(record_);
        return image;
    }

    // The scan the container has just extracted, into the coefficients.
    ScanOutcome decodeExtracted(const ScanShape& shape)
    {
        const ExtractedScan scan{file_.scan(), file_.scanLength, file_.restartStarts, dataEndOf(file_.scanTruncated)};
        return scans_->decode(layout_, shape, coefficients_, scan);
    }

    // On several threads: the scans are read ahead, each with its data and
    // tables, then decoded at once where they share no coefficients, and
    // every MCU row is finished as soon as all scans have passed it. The
    // rows go to a picture of their own, which replaces picture only once
    // every scan went as one thread would have taken it; nullopt when one
    // did not, or memory for the second picture is short, and the decode
    // is left to one thread. The second picture is the workspace's spare,
    // which keeps the one replaced.
    std::optional<bool> decodeOnThreads(pctr& picture, int32_t threads)
    {
        tjpgel& image = startWalk();
        prepared_.clear();
        const bool walked = walkScans(image, [this](const ScanShape& shape) { return prepareExtracted(shape); }) &&
                            latchMissingTables(image);
        if (!walked)
            return false;
        buildIdcts(image);
        pctr& staged = workspace_.sparePicture();
        if (!staged.allocate(record_.width, record_.height))
            return std::nullopt;
        picture_ = &staged;
        model_ = colourModelOf(record_);
        if (layout_.count == 4)
            fourth_ = workspace_.fourthPlane(size_t(staged.size[0]));
        std::vector<ScanShape> shapes;
        for (const PreparedScan& scan : prepared_)
            shapes.push_back(scan.shape);
        const bool decoded = runScans(layout_, shapes, threads, *this);
        prepared_.clear();
        if (!decoded)
            return std::nullopt;
        staged.colourState = 0;
        picture.swap(staged);
        workspace_.path = DecodePath::frameThreads;
        return true;
    }

    ScanOutcome prepareExtracted(const ScanShape& shape)
    {
        PreparedScan& scan = prepared_.emplace_back();
        scan.shape = shape;
        scan.data = file_.scanData;
        scan.length = file_.scanLength;
        scan.restartStarts = file_.restartStarts;
        scan.dataEnd = dataEndOf(file_.scanTruncated);
        scan.reader = std::make_unique<tdec>();
        scan.reader->image.assign(reader_.image);
        scan.decoder = scanDecoderFor(record_.frameMarker, *scan.reader);
        return ScanOutcome::decoded;
    }

    bool decodeScan(size_t n, ScanProgress& progress) override
    {
        PreparedScan& scan = prepared_[n];
        const ExtractedScan extracted{scan.data.data() + tjpg::scanPadding, scan.length, scan.restartStarts,
                                      scan.dataEnd, &progress};
        const ScanOutcome outcome = scan.decoder->decode(layout_, scan.shape, coefficients_, extracted);
        lapStage(DecodeStage::entropy);
        // Data that runs out ends the walk there: only in the last scan
        // does that leave the frame as one thread leaves it.
        return outcome == ScanOutcome::decoded || (outcome == ScanOutcome::dataEnded && n + 1 == prepared_.size());
    }

    void finishRow(int32_t mr) override { finishRows(model_, mr, mr + 1); }

    const int16_t* coefficientsOf(int32_t n, int32_t by, int32_t bx) const
    {
        return coefficients_[n] + (int64_t{by} * layout_.component[n].blocksWide + bx) * 64;
    }

    // The first scan, then the record's later segments in file order:
    // tables into image, and each scan as it comes, extracted and handed to
    // take, which decodes it or keeps it. Stops early, keeping what it has,
    // where the file ends inside a scan or before a later scan's data.
    template <class Take>
    bool walkScans(tjpgel& image, Take take)
    {
        int32_t scanStart = record_.scanStart;
        size_t next = 0;
        for (bool first = true;; first = false) {
            ScanShape shape;
            ScanOutcome outcome = extractScan(image, scanStart, first, shape);
            if (outcome == ScanOutcome::decoded)
                outcome = take(shape);
            if (outcome == ScanOutcome::failed)
                return false;
            if (outcome == ScanOutcome::dataEnded || file_.scanTruncated)
                return true;
            scanStart = applyUntilScan(image, next);
            if (scanStart < 0)
                return true;
        }
    }

    // Reads the later segments from next up to and including the next
    // scan header; returns where that scan's data starts, -1 at the end.
    int32_t applyUntilScan(tjpgel& image, size_t& next)
    {
        const uint8_t* file = file_.fileData.data();
        while (next < record_.laterSegments.size()) {
            int32_t pos = record_.laterSegments[next++];
            if (readScanHeader(file, pos, image))
                return pos;
            readDefinitionSegment(file, pos, image);
        }
        return -1;
    }

    // Reads the scan header in image into shape and extracts the scan's
    // data into the container, its tables latched: decoded when the scan
    // is ready to decode.
    ScanOutcome extractScan(tjpgel& image, int32_t scanStart, bool first, ScanShape& shape)
    {
        shape = shapeOf(image, layout_);
        if (shape.count == 0)
            return ScanOutcome::failed;
        for (int32_t s = 0; s < shape.count; ++s)
            blockVisits_ += layout_.blockCount(shape.component[s]);
        if (blockVisits_ > maxBlockVisitsPerBlock * layout_.coefficientCount() / 64)
            return ScanOutcome::dataEnded;
        try {
            lapStage(DecodeStage::entropy);
            file_.extractScan(scanStart, record_.streamEnd,
                              onlyScan() ? tjpg::ScanEnd::endOfImage : tjpg::ScanEnd::nextMarker);
            lapStage(DecodeStage::parse);
        } catch (const JpegError&) {
            // No data at all: a first scan fails as any other would; a
            // later one means the file ends here.
            return first ? ScanOutcome::failed : ScanOutcome::dataEnded;
        }
        latchTables(image, shape);
        image.scanLength = file_.scanLength;
        return ScanOutcome::decoded;
    }

    // A frame of one scan ends as the row decoder ends it: stray markers
    // are dropped up to the end of the image, and where the data runs out
    // the scan is read on from zeros. Scans of several end at their next
    // marker, keeping what their data held.
    bool onlyScan() const { return record_.laterScanCount == 0; }

    DataEnd dataEndOf(bool cutShort) const
    {
        return cutShort ? DataEnd::cutShort : onlyScan() ? DataEnd::readOn : DataEnd::keep;
    }

    // A component is dequantised with the table its first scan found
    // (T.81 G.1.1.1.1: tables may change between scans).
    void latchTables(const tjpgel& image, const ScanShape& shape)
    {
        for (int32_t s = 0; s < shape.count; ++s) {
            const int32_t n = shape.component[s];
            const int32_t* table = image.quant[image.component[layout_.component[n].place].quantTable].get();
            if (!latched_[n] && table) {
                std::copy_n(table, 64, quant_[n].begin());
                latched_[n] = true;
            }
        }
    }

    // Components no scan reached keep the table in force at the end; the
    // inverse DCTs are then built from each component's own table.
    bool latchMissingTables(tjpgel& image)
    {
        for (int32_t n = 0; n < layout_.count; ++n) {
            const int32_t tq = image.component[layout_.component[n].place].quantTable;
            if (!latched_[n] && !image.quant[tq])
                return false;
            if (latched_[n]) {
                image.quant[tq] = std::make_unique<int32_t[]>(64);
                std::copy_n(quant_[n].begin(), 64, image.quant[tq].get());
            }
            dcQuant_[n] = image.quant[tq][0];
        }
        return true;
    }

    SamplePlane targetOf(int32_t n) const
    {
        uint8_t* data = n < 3 ? picture_->plane[n].get() : fourth_;
        return {data, picture_->width[0], picture_->height[0]};
    }

    // MCU row by MCU row, so that the rows each completes are converted
    // while they are in the cache.
    // With two threads each finishes half the MCU rows: their blocks and
    // picture rows are disjoint, and each block comes out as on one.
    void finishRows(ColourModel model, int32_t threads)
    {
        const int32_t rows = layout_.mcusHigh;
        if (threads < 2 || layout_.coefficientCount() / 64 < twoThreadMinimumBlocks || rows < 2) {
            finishRows(model, 0, rows);
            return;
        }
        const int32_t half = rows / 2;
        std::thread worker;
        try {
            worker = std::thread([this, model, half, rows] {
                const StageWorker timing;
                finishRows(model, half, rows);
            });
        } catch (const std::system_error&) {
            finishRows(model, 0, rows);
            return;
        }
        finishRows(model, 0, half);
        worker.join();
    }

    void finishRows(ColourModel model, int32_t from, int32_t to) const
    {
        const int32_t rowsPerMcu = 8 * layout_.vMax;
        lapStage(DecodeStage::entropy);
        for (int32_t mr = from; mr < to; ++mr) {
            for (int32_t n = 0; n < layout_.count; ++n)
                finishComponentRow(n, mr);
            lapStage(DecodeStage::transform);
            const int32_t first = mr * rowsPerMcu;
            convertPictureRowsFrom(*picture_, model, fourth_, first, std::min(rowsPerMcu, picture_->height[0] - first));
            lapStage(DecodeStage::colour);
        }
    }

    void finishComponentRow(int32_t n, int32_t mr) const
    {
        const FrameComponent& c = layout_.component[n];
        const SamplePlane target = targetOf(n);
        const Upsampling up{c.h, layout_.hMax, c.v, layout_.vMax};
        tidct* idct = idctActive[reader_.image.component[c.place].quantTable];
        alignas(64) int32_t block[64];
        const int32_t lastRow = std::min(c.ownBlocksHigh, (mr + 1) * c.v);
        for (int32_t by = mr * c.v; by < lastRow; ++by) {
            const int16_t* coefficients = coefficients_[n] + int64_t{by} * c.blocksWide * 64;
            for (int32_t bx = 0; bx < c.ownBlocksWide; ++bx, coefficients += 64) {
                prepareBlock(coefficients, dcQuant_[n], block);
                transformAndStore(*idct, block, target, by, bx, up);
            }
        }
    }

    // What the transforms take: natural order, the DC term dequantised and
    // level-shifted, the AC terms as coded (the transforms dequantise).
    static void prepareBlock(const int16_t* zigzagOrdered, int32_t dcQuant, int32_t* block)
    {
        for (int n = 0; n < 64; ++n)
            block[n] = zigzagOrdered[zigzag[n]];
        block[0] = wrapAdd(wrapMul(zigzagOrdered[0], dcQuant), tdec::levelShift);
    }

    const tjpgel& record_;
    tjpg& file_;
    tdec& reader_;
    DecodeWorkspace& workspace_;
    pctr* picture_ = nullptr;  // once run allocates it
    const FrameLayout layout_;
    const std::unique_ptr<ScanDecoder> scans_;
    int16_t* coefficients_[4] = {};
    std::array<int32_t, 64> quant_[4] = {};
    bool latched_[4] = {};
    int32_t dcQuant_[4] = {};
    uint8_t* fourth_ = nullptr;
    int64_t blockVisits_ = 0;
    ColourModel model_ = ColourModel::unknown;  // of the rows finishRow converts
    std::vector<PreparedScan> prepared_;
};

}  // namespace

bool frameDecodable(const tjpgel& image)
{
    if (image.failure != 0 || !image.hasFrameHeader || image.scanStart < 0 || image.width <= 0 || image.height <= 0)
        return false;
    if (int64_t{image.width} * image.height > pctr::maxSamples)
        return false;
    const FrameLayout layout = FrameLayout::of(image);
    for (int32_t n = 0; n < layout.count; ++n)
        if (!image.quant[image.component[layout.component[n].place].quantTable])
            return false;
    return layout.count == image.componentCount && colourModelOf(image) != ColourModel::unknown &&
           layout.coefficientCount() <= maxFrameCoefficients;
}

bool decodeFrame(const tjpgel& image, tjpg& file, tdec& reader, pctr& picture, const DecodeOptions& options)
{
    options.workspace->path = DecodePath::frame;
    return FrameDecode(image, file, reader, *options.workspace).run(picture, options.threads);
}

bool visitFrameBlocks(tjpg& file, int32_t index, DecodeWorkspace& workspace, const FrameBlockVisitor& visit)
{
    if (index < 0 || index >= file.count || !frameDecodable(file.images[index]))
        return false;
    tdec reader;
    return FrameDecode(file.images[index], file, reader, workspace).visitBlocks(visit);
}
